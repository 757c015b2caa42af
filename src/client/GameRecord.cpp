#include "client/GameRecord.h"

#include <QFile>
#include <QRegularExpression>
#include <QSaveFile>
#include <QStringList>
#include <cstdlib>

namespace client {
namespace {

const QString PassWord = QStringLiteral("пропуск");
const QString DateFormat = QStringLiteral("dd.MM.yyyy HH:mm");
const QString DateKey = QStringLiteral("Дата: ");
const QString StartKey = QStringLiteral("Начальная позиция: ");
const QString OpeningKey = QStringLiteral("Розыгрыш цвета: ");
const QString ResultKey = QStringLiteral("Результат: ");

QString CellText(int32_t cell) {
    if (cell == proc::BlackBar || cell == proc::WhiteBar) {
        return QStringLiteral("bar");
    }
    return cell == proc::BearOff ? QStringLiteral("off") : QString::number(cell);
}

QString DiceText(proc::Dice dice) {
    return QStringLiteral("%1-%2").arg(proc::FirstDie(dice)).arg(proc::SecondDie(dice));
}

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
    return board;
}

std::optional<int32_t> ParseCell(const QString& text, proc::Side side, bool source) {
    if (text == QLatin1String("bar") && source) {
        return side == proc::White ? proc::WhiteBar : proc::BlackBar;
    }
    if (text == QLatin1String("off") && !source) {
        return proc::BearOff;
    }
    bool ok = false;
    const int point = text.toInt(&ok);
    return ok && point >= 1 && point <= 24 ? std::optional<int32_t>(point) : std::nullopt;
}

// "Белые 6-5: 24/18 13/8" -> a turn, or nothing.
std::optional<Turn> ParseTurn(const QString& line) {
    static const QRegularExpression turnLine(
        QStringLiteral("^\\d+\\. (Белые|Чёрные) ([1-6])-([1-6]):(.*)$"));
    static const QRegularExpression moveToken(
        QStringLiteral("^(bar|\\d+)/(off|\\d+)(\\*?)(?:\\(([1-4])\\))?$"));
    const auto m = turnLine.match(line);
    if (!m.hasMatch()) {
        return std::nullopt;
    }
    Turn turn;
    turn.side = m.captured(1) == SideName(proc::White, true) ? proc::White : proc::Black;
    turn.dice = proc::MakeDice(m.captured(2).toInt(), m.captured(3).toInt());
    const QStringList tokens = m.captured(4).split(' ', Qt::SkipEmptyParts);
    if (tokens == QStringList{PassWord}) {
        turn.passed = true;
        return turn;
    }
    for (const QString& token : tokens) {
        const auto t = moveToken.match(token);
        const auto from = t.hasMatch() ? ParseCell(t.captured(1), turn.side, true) : std::nullopt;
        const auto to = t.hasMatch() ? ParseCell(t.captured(2), turn.side, false) : std::nullopt;
        if (!from || !to) {
            return std::nullopt;
        }
        const int times = t.captured(4).isEmpty() ? 1 : t.captured(4).toInt();
        for (int i = 0; i < times; ++i) {
            turn.moves.push_back(ShownMove{turn.side, {*from, *to}, !t.captured(3).isEmpty()});
        }
    }
    return turn.moves.empty() ? std::nullopt : std::optional<Turn>(turn);
}

} // namespace

const proc::Board& StandardStart() {
    static const proc::Board board = [] {
        proc::Board b{};
        const int32_t cells[24] = {-2, 0, 0, 0, 0,  5, 0,  3, 0, 0, 0, -5,
                                   5,  0, 0, 0, -3, 0, -5, 0, 0, 0, 0, 2};
        for (int32_t k = 1; k <= 24; ++k) {
            proc::Cell(b, k) = cells[k - 1];
        }
        return b;
    }();
    return board;
}

int PipCount(const proc::Board& board, proc::Side side) {
    int pips = 0;
    for (int32_t k = 1; k <= 24; ++k) {
        const int own = proc::Cell(board, k) * side;
        if (own > 0) {
            pips += own * (side == proc::White ? k : 25 - k);
        }
    }
    const int bar = proc::Cell(board, side == proc::White ? proc::WhiteBar : proc::BlackBar) * side;
    return pips + std::max(bar, 0) * 25;
}

QString MoveText(const ShownMove& move) {
    return CellText(move.move.from) + '/' + CellText(move.move.to) +
           (move.hit ? QStringLiteral("*") : QString());
}

QString TurnMovesText(const Turn& turn) {
    if (turn.moves.empty()) {
        return turn.passed ? PassWord : QString();
    }
    // Only moves in a row are joined, so the text replays in the order played.
    QStringList parts;
    QString last;
    int times = 0;
    auto flush = [&] {
        if (times > 0) {
            parts << (times > 1 ? QStringLiteral("%1(%2)").arg(last).arg(times) : last);
        }
    };
    for (const ShownMove& move : turn.moves) {
        const QString text = MoveText(move);
        if (text == last) {
            ++times;
            continue;
        }
        flush();
        last = text;
        times = 1;
    }
    flush();
    return parts.join(' ');
}

QString SideName(proc::Side side, bool capitalised) {
    if (capitalised) {
        return side == proc::White ? QStringLiteral("Белые") : QStringLiteral("Чёрные");
    }
    return side == proc::White ? QStringLiteral("белые") : QStringLiteral("чёрные");
}

QString SideGenitive(proc::Side side) {
    return side == proc::White ? QStringLiteral("белых") : QStringLiteral("чёрных");
}

QString TurnText(const Turn& turn) {
    return QStringLiteral("%1 %2: %3")
        .arg(SideName(turn.side, true), DiceText(turn.dice), TurnMovesText(turn))
        .trimmed();
}

void GameRecord::Add(const Message& message) {
    if (const auto* start = std::get_if<StartInfo>(&message)) {
        *this = GameRecord();
        started_ = true;
        start_ = *start;
        startTime_ = QDateTime::currentDateTime();
        board_ = start->board;
        messages_.push_back(message);
        return;
    }
    if (!started_ || finished_ || std::holds_alternative<MoveListInfo>(message)) {
        return;
    }
    if (const auto* dice = std::get_if<DiceInfo>(&message)) {
        if (!turns_.empty() && turns_.back().moves.empty()) {
            turns_.back().passed = true;
        }
        turns_.push_back(Turn{dice->side, dice->dice, {}, false});
        messages_.push_back(message);
        return;
    }
    const auto& echo = std::get<MoveInfo>(message);
    ShownMove shown{echo.side, echo.move, false};
    if (echo.move.to != proc::BearOff) {
        shown.hit = proc::Cell(board_, echo.move.to) * echo.side < 0;
    }
    proc::ApplyMove(board_, echo.side, echo.move);
    if (turns_.empty() || turns_.back().side != echo.side) {
        turns_.push_back(Turn{echo.side, 0, {}, false});
    }
    turns_.back().moves.push_back(shown);
    messages_.push_back(message);
}

std::optional<proc::Side> GameRecord::Winner() const {
    const int32_t end = started_ ? proc::CheckGameEnd(board_) : 0;
    if (end == 0) {
        return std::nullopt;
    }
    return end < 0 ? proc::White : proc::Black;
}

int GameRecord::Margin() const {
    return Winner() ? std::abs(proc::CheckGameEnd(board_)) : 0;
}

QString PlayerName(const QString& label) {
    for (proc::Side side : {proc::White, proc::Black}) {
        const QString suffix = QStringLiteral(" (%1)").arg(SideName(side));
        if (label.endsWith(suffix)) {
            return label.chopped(suffix.size());
        }
    }
    return label;
}

QString ResultText(const GameRecord& record) {
    if (const auto winner = record.Winner()) {
        const QString label =
            *winner == proc::White ? record.Start().whiteLabel : record.Start().blackLabel;
        return ResultKey + QStringLiteral("победа %1 (%2); фишек у %3: %4")
                               .arg(SideGenitive(*winner), PlayerName(label),
                                    SideGenitive(static_cast<proc::Side>(-*winner)))
                               .arg(record.Margin());
    }
    return ResultKey + (record.Finished() ? QStringLiteral("партия прервана")
                                          : QStringLiteral("партия не окончена"));
}

QString RecordText(const GameRecord& record, const QDateTime& date) {
    QStringList lines{QStringLiteral("Партия в нарды"), DateKey + date.toString(DateFormat),
                      QStringLiteral("Белые: ") + PlayerName(record.Start().whiteLabel),
                      QStringLiteral("Чёрные: ") + PlayerName(record.Start().blackLabel)};
    if (record.Start().board != StandardStart()) {
        lines << StartKey + PositionText(record.Start().board);
    }
    const proc::Dice opening = record.Start().opening;
    lines
        << OpeningKey +
               QStringLiteral("%1 : %2").arg(proc::FirstDie(opening)).arg(proc::SecondDie(opening))
        << QString();
    int number = 0;
    for (const Turn& turn : record.Turns()) {
        // A turn still waiting for its first move is not part of the game.
        if (turn.moves.empty() && !turn.passed) {
            continue;
        }
        lines << QStringLiteral("%1. ").arg(++number) + TurnText(turn);
    }
    lines << ResultText(record);
    return lines.join('\n') + '\n';
}

bool SaveRecord(const GameRecord& record, const QDateTime& date, const QString& path,
                QString& error) {
    QSaveFile file(path);
    if (!file.open(QIODevice::WriteOnly | QIODevice::Truncate) ||
        file.write(RecordText(record, date).toUtf8()) < 0 || !file.commit()) {
        error = file.errorString();
        return false;
    }
    return true;
}

std::optional<ParsedRecord> ParseRecord(const QString& text, QString& error) {
    ParsedRecord parsed;
    parsed.start = StandardStart();
    bool opening = false;
    const QStringList lines = text.split('\n');
    for (int i = 0; i < lines.size(); ++i) {
        const QString line = lines[i].trimmed();
        auto fail = [&] {
            error = QStringLiteral("line %1: %2").arg(i + 1).arg(line);
            return std::nullopt;
        };
        if (line.startsWith(QStringLiteral("Белые: "))) {
            parsed.white = line.section(": ", 1);
        } else if (line.startsWith(QStringLiteral("Чёрные: "))) {
            parsed.black = line.section(": ", 1);
        } else if (line.startsWith(StartKey)) {
            const auto board = ParsePosition(line.mid(StartKey.size()));
            if (!board) {
                return fail();
            }
            parsed.start = *board;
        } else if (line.startsWith(OpeningKey)) {
            const QStringList dice = line.mid(OpeningKey.size()).split(QStringLiteral(" : "));
            const int a = dice.value(0).toInt();
            const int b = dice.size() == 2 ? dice[1].toInt() : 0;
            if (a < 1 || a > 6 || b < 1 || b > 6) {
                return fail();
            }
            parsed.opening = proc::MakeDice(a, b);
            opening = true;
        } else if (!line.isEmpty() && line[0].isDigit()) {
            const auto turn = ParseTurn(line);
            if (!turn) {
                return fail();
            }
            parsed.turns.push_back(*turn);
        }
    }
    if (!opening) {
        error = QStringLiteral("no opening roll");
        return std::nullopt;
    }
    return parsed;
}

} // namespace client
