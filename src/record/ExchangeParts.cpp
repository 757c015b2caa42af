#include "record/ExchangeParts.h"

#include <algorithm>

namespace record::exchange {
namespace {

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

// The number column's width: "%3d) ".
constexpr int NumberWidth = 5;

} // namespace

QString MatTurn(const Turn& turn) {
    QStringList parts{MatDice(turn.dice) + ':'};
    for (const ShownMove& move : turn.moves) {
        parts << MatMove(move);
    }
    return parts.join(' ');
}

QStringList MatGameHead(int number, const QString& left, int leftScore, const QString& right,
                        int rightScore) {
    return {QStringLiteral(" Game %1").arg(number),
            QStringLiteral(" %1 : %2").arg(left, QString::number(leftScore)).leftJustified(MatColumn + 5) +
                QStringLiteral("%1 : %2").arg(right, QString::number(rightScore))};
}

void MatLines::Put(bool left, const QString& entry) {
    if (left || !right_.isEmpty()) {
        Flush();
    }
    (left ? left_ : right_) = entry;
}

void MatLines::Wins(bool left, int points, bool match) {
    const QString entry = QStringLiteral(" Wins %1 point%2%3")
                              .arg(points)
                              .arg(points == 1 ? QString() : QStringLiteral("s"))
                              .arg(match ? QStringLiteral(" and the match") : QString());
    if (!left && right_.isEmpty() && !left_.isEmpty()) {
        right_ = entry;
        Flush();
        return;
    }
    Flush();
    lines_ << QString(left ? NumberWidth : NumberWidth + MatColumn, ' ') + entry;
}

void MatLines::Flush() {
    if (left_.isEmpty() && right_.isEmpty()) {
        return;
    }
    lines_ << QStringLiteral("%1) ").arg(++number_, 3) + left_.leftJustified(MatColumn) + ' ' +
                  right_;
    left_.clear();
    right_.clear();
}

QChar SgfPoint(int32_t cell, bool mirrored) {
    if (cell == proc::BlackBar || cell == proc::WhiteBar) {
        return QLatin1Char('y');
    }
    if (cell == proc::BearOff) {
        return QLatin1Char('z');
    }
    const int32_t point = mirrored ? 25 - cell : cell;
    return QLatin1Char(static_cast<char>('a' + point - 1));
}

QString SgfCheckers(const proc::Board& board, proc::Side side, bool mirrored) {
    QString points;
    const int32_t ownBar = side == proc::White ? proc::WhiteBar : proc::BlackBar;
    for (int32_t cell = 1; cell <= proc::WhiteBar; ++cell) {
        if (cell <= 24 || cell == ownBar) {
            const int count = std::max(proc::Cell(board, cell) * side, 0);
            for (int i = 0; i < count; ++i) {
                points += '[' + QString(SgfPoint(cell, mirrored)) + ']';
            }
        }
    }
    return points;
}

QString SgfMove(const Turn& turn, bool mirrored) {
    QString move =
        QString::number(proc::FirstDie(turn.dice)) + QString::number(proc::SecondDie(turn.dice));
    for (const ShownMove& shown : turn.moves) {
        move += SgfPoint(shown.move.from, mirrored);
        move += SgfPoint(shown.move.to, mirrored);
    }
    return move;
}

QString SgfValue(QString text) {
    return text.replace('\\', QLatin1String("\\\\")).replace(']', QLatin1String("\\]"));
}

QString SgfSetup(const proc::Board& start, bool mirrored) {
    // The SGF's white is whoever plays our white unless mirrored; our white moves first.
    const proc::Side sgfWhite = mirrored ? proc::Black : proc::White;
    // The player to move comes first: the checkers are read as that side sees them.
    return QStringLiteral(";PL[%1]AE[a:y]AW%2AB%3")
        .arg(mirrored ? QLatin1Char('B') : QLatin1Char('W'))
        .arg(SgfCheckers(start, sgfWhite, mirrored),
             SgfCheckers(start, static_cast<proc::Side>(-sgfWhite), mirrored));
}

} // namespace record::exchange
