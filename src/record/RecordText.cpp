#include "record/RecordText.h"

#include "record/TurnLine.h"

#include <QRegularExpression>
#include <QStringList>
#include <QStringTokenizer>
#include <algorithm>
#include <cstdlib>

namespace record {
namespace {

const QString Title = QStringLiteral("Партия в нарды");
const QString& DateFormat = RecordDateFormat;
const QString& DateKey = RecordDateKey;
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
        // One pass: a name may hold "%1" of its own.
        return QStringLiteral("%1 (%2) %3").arg(PlayerOf(record, side), SideName(side),
                                                QString::number(die));
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
            auto turn = ParseTurnLine(line, ownNumbering);
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
