#include "record/ExchangeFormats.h"

#include <QStringList>
#include <algorithm>

namespace record {
namespace {

constexpr int MatColumn = 28; // width of the first player's half of a move line

bool AllRolled(const GameRecord& record) {
    const auto turns = record.PlayedTurns();
    return std::all_of(turns.begin(), turns.end(), [](const Turn* t) { return t->dice != 0; });
}

QString UnrolledProblem() {
    return QStringLiteral("в записи есть ход без броска костей");
}

// "64": the higher die first, as match texts write a roll.
QString MatDice(proc::Dice dice) {
    const int a = proc::FirstDie(dice);
    const int b = proc::SecondDie(dice);
    return QString::number(std::max(a, b)) + QString::number(std::min(a, b));
}

// A point from the mover's side as match texts number it: the bar 25, off 0.
int MatPoint(proc::Side side, int32_t cell) {
    if (cell == proc::BlackBar || cell == proc::WhiteBar) {
        return 25;
    }
    return cell == proc::BearOff ? 0 : OwnPoint(side, cell);
}

// "25/20*": a move as GNU Backgammon writes it in match text.
QString MatMove(const ShownMove& move) {
    return QStringLiteral("%1/%2")
               .arg(MatPoint(move.side, move.move.from))
               .arg(MatPoint(move.side, move.move.to)) +
           (move.hit ? QStringLiteral("*") : QString());
}

QString MatTurn(const Turn& turn) {
    QStringList parts{MatDice(turn.dice) + ':'};
    for (const ShownMove& move : turn.moves) {
        parts << MatMove(move);
    }
    return parts.join(' ');
}

// Backgammon SGF numbers the points a..x from white's 1 point: the board's own
// cells. Both bars are y, borne off is z.
QChar SgfPoint(int32_t cell) {
    if (cell == proc::BlackBar || cell == proc::WhiteBar) {
        return QLatin1Char('y');
    }
    if (cell == proc::BearOff) {
        return QLatin1Char('z');
    }
    return QLatin1Char(static_cast<char>('a' + cell - 1));
}

QString SgfValue(QString text) {
    return text.replace('\\', QLatin1String("\\\\")).replace(']', QLatin1String("\\]"));
}

QString SgfCheckers(const proc::Board& board, proc::Side side) {
    QString points;
    for (int32_t cell = 1; cell <= proc::WhiteBar; ++cell) {
        const bool ownBar =
            cell == (side == proc::White ? proc::WhiteBar : proc::BlackBar);
        if (cell <= 24 || ownBar) {
            const int count = std::max(proc::Cell(board, cell) * side, 0);
            for (int i = 0; i < count; ++i) {
                points += '[' + QString(SgfPoint(cell)) + ']';
            }
        }
    }
    return points;
}

QChar SgfColour(proc::Side side) {
    return side == proc::White ? QLatin1Char('W') : QLatin1Char('B');
}

} // namespace

QString MatProblem(const GameRecord& record) {
    if (record.Start().board != StandardStart()) {
        return QStringLiteral("формат .mat хранит только партии из обычной начальной позиции, "
                              "эту партию можно сохранить в формате .sgf");
    }
    return AllRolled(record) ? QString() : UnrolledProblem();
}

QString SgfProblem(const GameRecord& record) {
    return AllRolled(record) ? QString() : UnrolledProblem();
}

QString MatText(const GameRecord& record, const QDateTime& date) {
    const QString white = PlayerOf(record, proc::White);
    const QString black = PlayerOf(record, proc::Black);
    QStringList lines{QStringLiteral("; [EventDate \"%1\"]").arg(date.toString("yyyy.MM.dd")),
                      QString(), QStringLiteral(" 1 point match"), QString(),
                      QStringLiteral(" Game 1"),
                      QStringLiteral(" %1 : 0").arg(white).leftJustified(MatColumn + 5) +
                          QStringLiteral("%1 : 0").arg(black)};
    // White always moves first: a line holds a white turn and the black one after it.
    QString left;
    QString right;
    int number = 0;
    auto flush = [&] {
        if (left.isEmpty() && right.isEmpty()) {
            return;
        }
        lines << QStringLiteral("%1) ").arg(++number, 3) + left.leftJustified(MatColumn) + ' ' +
                     right;
        left.clear();
        right.clear();
    };
    for (const Turn* turn : record.PlayedTurns()) {
        if (turn->side == proc::White || !right.isEmpty()) {
            flush();
        }
        (turn->side == proc::White ? left : right) = MatTurn(*turn);
    }
    flush();
    if (const auto winner = record.Winner()) {
        lines << QString(*winner == proc::White ? 6 : MatColumn + 6, ' ') +
                     QStringLiteral("Wins 1 point");
    }
    return lines.join('\n') + '\n';
}

QString SgfText(const GameRecord& record, const QDateTime& date) {
    QString root = QStringLiteral("(;FF[4]GM[6]CA[UTF-8]AP[Вертан:1.0]"
                                  "MI[length:1][game:0][ws:0][bs:0]");
    root += QStringLiteral("PW[%1]PB[%2]DT[%3]RU[NoCube]")
                .arg(SgfValue(PlayerOf(record, proc::White)),
                     SgfValue(PlayerOf(record, proc::Black)), date.toString("yyyy-MM-dd"));
    if (const auto winner = record.Winner()) {
        root += QStringLiteral("RE[%1+1]").arg(SgfColour(*winner));
    }
    QStringList nodes{root};
    // The start is always set up, so any Board.cfg start arrives as it was.
    const proc::Board& start = record.Start().board;
    // The player to move comes first: the checkers are read as that side sees them.
    nodes << QStringLiteral(";PL[W]AE[a:y]AW%1AB%2")
                 .arg(SgfCheckers(start, proc::White), SgfCheckers(start, proc::Black));
    for (const Turn* turn : record.PlayedTurns()) {
        QString move = QString::number(proc::FirstDie(turn->dice)) +
                       QString::number(proc::SecondDie(turn->dice));
        for (const ShownMove& shown : turn->moves) {
            move += SgfPoint(shown.move.from);
            move += SgfPoint(shown.move.to);
        }
        nodes << QStringLiteral(";%1[%2]").arg(SgfColour(turn->side)).arg(move);
    }
    return nodes.join('\n') + QStringLiteral(")\n");
}

} // namespace record
