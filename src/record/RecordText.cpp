#include "record/RecordText.h"

#include <QRegularExpression>
#include <QStringList>
#include <QStringTokenizer>
#include <algorithm>
#include <cstdlib>

namespace record {
namespace {

const QString Title = QStringLiteral("Партия в нарды");
const QString PassWord = QStringLiteral("пропуск");
const QString DateFormat = QStringLiteral("dd.MM.yyyy HH:mm");
const QString DateKey = QStringLiteral("Дата: ");
const QString WhiteKey = QStringLiteral("Белые: ");
const QString BlackKey = QStringLiteral("Чёрные: ");
// Records written before this line existed number black's moves as white does.
const QString NumberingLine = QStringLiteral("Нумерация пунктов: от дома каждой стороны");
const QString StartKey = QStringLiteral("Начальная позиция: ");
const QString OpeningKey = QStringLiteral("Розыгрыш цвета: ");

QString PositionText(const proc::Board& board) {
    // The bars only when the start has checkers there.
    const bool bars =
        proc::Cell(board, proc::BlackBar) != 0 || proc::Cell(board, proc::WhiteBar) != 0;
    QStringList cells;
    for (int32_t k = 1; k <= (bars ? 26 : 24); ++k) {
        cells << QString::number(proc::Cell(board, k));
    }
    return cells.join(' ');
}

std::optional<proc::Board> ParsePosition(const QString& text) {
    const QStringList cells = text.split(' ', Qt::SkipEmptyParts);
    if (cells.size() != 24 && cells.size() != 26) {
        return std::nullopt;
    }
    proc::Board board{};
    for (int32_t k = 1; k <= cells.size(); ++k) {
        bool ok = false;
        proc::Cell(board, k) = cells[k - 1].toInt(&ok);
        if (!ok || std::abs(proc::Cell(board, k)) > 15) {
            return std::nullopt;
        }
    }
    if (proc::Cell(board, proc::BlackBar) > 0 || proc::Cell(board, proc::WhiteBar) < 0) {
        return std::nullopt;
    }
    return board;
}

std::optional<int32_t> ParseCell(const QString& text, proc::Side side, bool source,
                                 bool ownNumbering) {
    if (text == QLatin1String("bar") && source) {
        return side == proc::White ? proc::WhiteBar : proc::BlackBar;
    }
    if (text == QLatin1String("off") && !source) {
        return proc::BearOff;
    }
    bool ok = false;
    const int point = text.toInt(&ok);
    if (!ok || point < 1 || point > 24) {
        return std::nullopt;
    }
    return ownNumbering ? OwnPoint(side, point) : point;
}

// "12. Белые 6-5: 24/18 13/8" -> a turn, or nothing.
std::optional<Turn> ParseTurn(const QString& line, bool ownNumbering) {
    static const QRegularExpression turnLine(
        QStringLiteral("^\\d+\\. (Белые|Чёрные) (?:([1-6])-([1-6])|\\?-\\?):(.*)$"));
    static const QRegularExpression moveToken(
        QStringLiteral("^(bar|\\d+)/(off|\\d+)(\\*?)(?:\\(([1-4])\\))?$"));
    const auto m = turnLine.match(line);
    if (!m.hasMatch()) {
        return std::nullopt;
    }
    Turn turn;
    turn.side = m.captured(1) == SideName(proc::White, true) ? proc::White : proc::Black;
    if (m.hasCaptured(2)) {
        turn.dice = proc::MakeDice(m.captured(2).toInt(), m.captured(3).toInt());
    }
    const QStringList tokens = m.captured(4).split(' ', Qt::SkipEmptyParts);
    if (tokens == QStringList{PassWord} && turn.dice != 0) {
        turn.passed = true;
        return turn;
    }
    for (const QString& token : tokens) {
        const auto t = moveToken.match(token);
        const auto from =
            t.hasMatch() ? ParseCell(t.captured(1), turn.side, true, ownNumbering) : std::nullopt;
        const auto to =
            t.hasMatch() ? ParseCell(t.captured(2), turn.side, false, ownNumbering) : std::nullopt;
        if (!from || !to) {
            return std::nullopt;
        }
        const int times = t.captured(4).isEmpty() ? 1 : t.captured(4).toInt();
        for (int i = 0; i < times; ++i) {
            turn.moves.push_back(ShownMove{turn.side, {*from, *to}, !t.captured(3).isEmpty()});
        }
    }
    return turn.moves.empty() ? std::nullopt : std::optional<Turn>(std::move(turn));
}

// The usual shape of a turn line, as RecordText writes it, read without
// regular expressions: an archive holds a million of them. Nothing for any
// other shape, which ParseTurn then reads or refuses.
class QuickTurn {
  public:
    QuickTurn(QStringView line, bool ownNumbering) : line_(line), ownNumbering_(ownNumbering) {}

    std::optional<Turn> Read() {
        Turn turn;
        turn.moves.reserve(4);
        if (!Number(1'000'000) || !Skip(u". "))
            return std::nullopt;
        if (Skip(u"Белые "))
            turn.side = proc::White;
        else if (Skip(u"Чёрные "))
            turn.side = proc::Black;
        else
            return std::nullopt;
        if (!Skip(u"?-?")) {
            const int first = Die();
            if (!first || !Skip(u'-'))
                return std::nullopt;
            const int second = Die();
            if (!second)
                return std::nullopt;
            turn.dice = proc::MakeDice(first, second);
        }
        if (!Skip(u':'))
            return std::nullopt;
        const qsizetype moves = at_;
        while (Skip(u' ')) {
        }
        if (turn.dice != 0 && Skip(PassWord)) {
            while (Skip(u' ')) {
            }
            turn.passed = at_ == line_.size();
            return turn.passed ? std::optional<Turn>(std::move(turn)) : std::nullopt;
        }
        at_ = moves;
        while (true) {
            while (Skip(u' ')) {
            }
            if (at_ == line_.size())
                break;
            if (!Move(turn))
                return std::nullopt;
        }
        return turn.moves.empty() ? std::nullopt : std::optional<Turn>(std::move(turn));
    }

  private:
    bool Skip(char16_t c) {
        if (at_ == line_.size() || line_[at_] != c)
            return false;
        ++at_;
        return true;
    }
    bool Skip(QStringView text) {
        if (line_.size() - at_ < text.size())
            return false;
        for (qsizetype i = 0; i < text.size(); ++i) {
            if (line_[at_ + i] != text[i])
                return false;
        }
        at_ += text.size();
        return true;
    }
    // Digits up to below limit, none leading zero; 0 for anything else.
    int Number(int limit) {
        int value = 0;
        const qsizetype from = at_;
        while (at_ < line_.size() && line_[at_] >= u'0' && line_[at_] <= u'9') {
            value = value * 10 + (line_[at_++].unicode() - u'0');
            if (value >= limit)
                return 0;
        }
        return at_ == from || line_[from] == u'0' ? 0 : value;
    }
    int Die() {
        if (at_ >= line_.size() || line_[at_] < u'1' || line_[at_] > u'6')
            return 0;
        return line_[at_++].unicode() - u'0';
    }
    std::optional<int32_t> Cell(proc::Side side, bool source) {
        if (source && Skip(u"bar"))
            return side == proc::White ? proc::WhiteBar : proc::BlackBar;
        if (!source && Skip(u"off"))
            return proc::BearOff;
        const int point = Number(25);
        if (point == 0)
            return std::nullopt;
        return ownNumbering_ ? OwnPoint(side, point) : point;
    }
    // "24/18", "bar/22*", "8/5(2)", up to the next space or the end.
    bool Move(Turn& turn) {
        const auto from = Cell(turn.side, true);
        if (!from || !Skip(u'/'))
            return false;
        const auto to = Cell(turn.side, false);
        if (!to)
            return false;
        const bool hit = Skip(u'*');
        int times = 1;
        if (Skip(u'(')) {
            times = Die();
            if (times < 1 || times > 4 || !Skip(u')'))
                return false;
        }
        if (at_ < line_.size() && line_[at_] != u' ')
            return false;
        for (int i = 0; i < times; ++i)
            turn.moves.push_back(ShownMove{turn.side, {*from, *to}, hit});
        return true;
    }

    QStringView line_;
    bool ownNumbering_;
    qsizetype at_ = 0;
};

// "dd.MM.yyyy HH:mm" without the general parser; nothing unless the text is
// exactly a date and time that exist.
std::optional<QDateTime> QuickDate(QStringView text) {
    static constexpr char16_t shape[] = u"00.00.0000 00:00";
    if (text.size() != qsizetype(std::size(shape) - 1))
        return std::nullopt;
    int fields[5] = {};
    int field = 0;
    for (qsizetype i = 0; i < text.size(); ++i) {
        const char16_t c = text[i].unicode();
        if (shape[i] != u'0') {
            if (c != shape[i])
                return std::nullopt;
            ++field;
        } else if (c < u'0' || c > u'9') {
            return std::nullopt;
        } else {
            fields[field] = fields[field] * 10 + (c - u'0');
        }
    }
    const QDate date(fields[2], fields[1], fields[0]);
    const QTime time(fields[3], fields[4]);
    const QDateTime made(date, time);
    if (!made.isValid() || made.date() != date || made.time() != time)
        return std::nullopt;
    return made;
}

bool Listed(const proc::Board& board, proc::Dice dice, proc::Side side, proc::Move move) {
    proc::MoveList moves;
    const int32_t n = proc::ListMoves(board, dice, side, moves);
    return std::find(moves.begin(), moves.begin() + n, move) != moves.begin() + n;
}

// Whether the move is one the referee could have allowed: with the dice still
// to play, or with some die when the roll is unknown.
bool Allowed(const proc::Board& board, proc::Dice dice, proc::Side side, proc::Move move) {
    if (dice != 0) {
        return Listed(board, dice, side, move);
    }
    for (int die = 1; die <= 6; ++die) {
        if (Listed(board, proc::MakeDice(die, die), side, move)) {
            return true;
        }
    }
    return false;
}

// Checks one turn against the rules on the board before it; empty when it is
// allowed, else what is wrong.
QString CheckTurn(const Turn& turn, proc::Board board) {
    proc::Dice dice = turn.dice;
    const bool doubles = proc::FirstDie(dice) == proc::SecondDie(dice);
    proc::MoveList none;
    if (turn.passed) {
        return proc::ListMoves(board, dice, turn.side, none) == 0
                   ? QString()
                   : QStringLiteral("пропуск, хотя ход был");
    }
    if (dice != 0 && turn.moves.size() > (doubles ? 4u : 2u)) {
        return QStringLiteral("больше ходов, чем костей");
    }
    for (const ShownMove& shown : turn.moves) {
        if (!Allowed(board, dice, turn.side, shown.move)) {
            return QStringLiteral("ход %1 невозможен").arg(MoveText(shown));
        }
        proc::ApplyMove(board, turn.side, shown.move);
        if (dice != 0 && !doubles) {
            dice = proc::RemainingDice(shown.move, dice);
        }
    }
    return QString();
}

// Who rolled which, the first die first: it is the first chosen player's, and
// the higher die took white.
QString OpeningText(const GameRecord& record) {
    const proc::Dice opening = record.Start().opening;
    const int first = proc::FirstDie(opening);
    const int second = proc::SecondDie(opening);
    const proc::Side firstSide = first > second ? proc::White : proc::Black;
    auto roll = [&](proc::Side side, int die) {
        return QStringLiteral("%1 (%2) %3").arg(PlayerOf(record, side), SideName(side)).arg(die);
    };
    return roll(firstSide, first) + QStringLiteral(", ") +
           roll(static_cast<proc::Side>(-firstSide), second);
}

// The dice of an opening line: "Анна (белые) 5, Борис (чёрные) 2", or as
// older records wrote it, "5 : 2". 0 for a die it cannot read.
std::pair<int, int> OpeningDice(const QString& text) {
    // The named form without a regular expression, as it would match: the
    // last ") d, " that leaves room for the closing ") d".
    const auto die = [&](qsizetype i) {
        return text[i] >= u'1' && text[i] <= u'6' ? text[i].unicode() - u'0' : 0;
    };
    const qsizetype n = text.size();
    if (n >= 8 && text[n - 3] == u')' && text[n - 2] == u' ' && die(n - 1)) {
        for (qsizetype i = text.lastIndexOf(u") ", n - 8); i >= 0;
             i = i > 0 ? text.lastIndexOf(u") ", i - 1) : -1)
            if (die(i + 2) && text[i + 3] == u',' && text[i + 4] == u' ')
                return {die(i + 2), die(n - 1)};
    }
    static const QRegularExpression named(QStringLiteral("^.*\\) ([1-6]), .*\\) ([1-6])$"));
    static const QRegularExpression bare(QStringLiteral("^([1-6]) : ([1-6])$"));
    for (const auto* form : {&named, &bare}) {
        const auto match = form->match(text);
        if (match.hasMatch())
            return {match.captured(1).toInt(), match.captured(2).toInt()};
    }
    return {0, 0};
}

} // namespace

QString RecordText(const GameRecord& record, const QDateTime& date) {
    QStringList lines{Title, DateKey + date.toString(DateFormat),
                      WhiteKey + PlayerOf(record, proc::White),
                      BlackKey + PlayerOf(record, proc::Black), NumberingLine};
    if (record.Start().board != StandardStart()) {
        lines << StartKey + PositionText(record.Start().board);
    }
    lines << OpeningKey + OpeningText(record) << QString();
    int number = 0;
    for (const Turn* turn : record.PlayedTurns()) {
        lines << QStringLiteral("%1. ").arg(++number) + TurnText(*turn);
    }
    lines << ResultText(record);
    return lines.join('\n') + '\n';
}

std::optional<ParsedRecord> ParseRecord(const QString& text, QString& error) {
    ParsedRecord parsed;
    parsed.start = StandardStart();
    // Most lines are turns, of twenty characters or more.
    parsed.turns.reserve(size_t(text.size() / 20 + 1));
    parsed.turnLines.reserve(size_t(text.size() / 20 + 1));
    const bool marked = text.contains(QChar(0xFEFF));
    bool titled = false;
    bool opening = false;
    bool ownNumbering = false;
    int number = 0;
    for (const QStringView raw : QStringTokenizer(text, u'\n')) {
        ++number;
        // A byte-order mark, and the line ends of another system, are not part of a line.
        QStringView line = raw.trimmed();
        QString cleaned;
        if (marked && line.contains(QChar(0xFEFF))) {
            cleaned = line.toString().remove(QChar(0xFEFF));
            line = cleaned;
        }
        auto fail = [&](const QString& what) {
            error = QStringLiteral("строка %1: %2: «%3»")
                        .arg(number)
                        .arg(what, line.left(80).toString());
            return std::nullopt;
        };
        if (line.isEmpty()) {
            continue;
        }
        if (!titled) {
            if (line != Title) {
                return fail(QStringLiteral("это не запись партии"));
            }
            titled = true;
        } else if (line[0].isDigit()) {
            // No key starts with a digit: the turns, most of a record, come first.
            auto turn = QuickTurn(line, ownNumbering).Read();
            if (!turn) {
                turn = ParseTurn(line.toString(), ownNumbering);
            }
            if (!turn) {
                return fail(QStringLiteral("ход не читается"));
            }
            parsed.turns.push_back(std::move(*turn));
            parsed.turnLines.push_back(number);
        } else if (line.startsWith(DateKey)) {
            const QString date = line.mid(DateKey.size()).toString();
            const auto quick = QuickDate(date);
            parsed.date = quick ? *quick : QDateTime::fromString(date, DateFormat);
        } else if (line.startsWith(WhiteKey)) {
            parsed.white = line.mid(WhiteKey.size()).toString();
        } else if (line.startsWith(BlackKey)) {
            parsed.black = line.mid(BlackKey.size()).toString();
        } else if (line == NumberingLine) {
            ownNumbering = true;
        } else if (line.startsWith(StartKey)) {
            const auto board = ParsePosition(line.mid(StartKey.size()).toString());
            if (!board) {
                return fail(QStringLiteral("начальная позиция не читается"));
            }
            parsed.start = *board;
        } else if (line.startsWith(OpeningKey)) {
            const auto [a, b] = OpeningDice(line.mid(OpeningKey.size()).toString());
            if (a == 0 || b == 0) {
                return fail(QStringLiteral("розыгрыш цвета не читается"));
            }
            parsed.opening = proc::MakeDice(a, b);
            opening = true;
        }
    }
    if (!titled) {
        error = QStringLiteral("файл пуст");
        return std::nullopt;
    }
    if (!opening) {
        error = QStringLiteral("нет строки «%1»").arg(OpeningKey.trimmed());
        return std::nullopt;
    }
    return parsed;
}

namespace {

// Only what keeps the board sound: a checker of the side leaves, and the
// point it reaches is not the other side's.
QString CheckPlacement(const Turn& turn, proc::Board board) {
    for (const ShownMove& shown : turn.moves) {
        const bool leaves = proc::Cell(board, shown.move.from) * turn.side > 0;
        const bool lands =
            shown.move.to == proc::BearOff || proc::Cell(board, shown.move.to) * turn.side >= -1;
        if (!leaves || !lands) {
            return QStringLiteral("ход %1 невозможен").arg(MoveText(shown));
        }
        proc::ApplyMove(board, turn.side, shown.move);
    }
    return QString();
}

std::optional<GameRecord> Replay(const QString& text, QString& error, bool byTheRules) {
    auto parsed = ParseRecord(text, error);
    if (!parsed) {
        return std::nullopt;
    }
    // A record checked by the rules may be replayed; one only shown needs no messages.
    GameRecord record = byTheRules ? GameRecord() : GameRecord(GameRecord::WithoutMessages{});
    record.Add(StartInfo{parsed->start, parsed->white + QStringLiteral(" (белые)"),
                         parsed->black + QStringLiteral(" (чёрные)"), parsed->opening});
    size_t moves = 0;
    for (const Turn& turn : parsed->turns)
        moves += turn.moves.size();
    record.Reserve(1 + parsed->turns.size() + moves, parsed->turns.size());
    if (parsed->date.isValid()) {
        record.SetStartTime(parsed->date);
    }
    // A side runs out of checkers only by bearing off: the end is looked for
    // at the start and after a turn that bore a checker off.
    bool mayHaveEnded = true;
    for (size_t i = 0; i < parsed->turns.size(); ++i) {
        Turn& turn = parsed->turns[i];
        if (mayHaveEnded && record.Winner()) {
            error = QStringLiteral("строка %1: ход после конца партии").arg(parsed->turnLines[i]);
            return std::nullopt;
        }
        const QString wrong =
            byTheRules ? CheckTurn(turn, record.Board()) : CheckPlacement(turn, record.Board());
        if (!wrong.isEmpty()) {
            error = QStringLiteral("строка %1: %2").arg(parsed->turnLines[i]).arg(wrong);
            return std::nullopt;
        }
        mayHaveEnded = std::any_of(turn.moves.begin(), turn.moves.end(),
                                   [](const ShownMove& m) { return m.move.to == proc::BearOff; });
        record.AddTurn(std::move(turn));
    }
    record.Finish();
    return record;
}

} // namespace

std::optional<GameRecord> ReadRecord(const QString& text, QString& error) {
    return Replay(text, error, true);
}

std::optional<GameRecord> ReplayRecord(const QString& text, QString& error) {
    return Replay(text, error, false);
}

} // namespace record
