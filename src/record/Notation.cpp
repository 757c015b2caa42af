#include "record/Notation.h"

#include <QStringList>
#include <algorithm>

namespace record {

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
            pips += own * OwnPoint(side, k);
        }
    }
    const int bar = proc::Cell(board, side == proc::White ? proc::WhiteBar : proc::BlackBar) * side;
    return pips + std::max(bar, 0) * 25;
}

int OwnPoint(proc::Side side, int32_t point) {
    return side == proc::White ? point : 25 - point;
}

namespace {

QString CellText(proc::Side side, int32_t cell) {
    if (cell == proc::BlackBar || cell == proc::WhiteBar) {
        return QStringLiteral("bar");
    }
    return cell == proc::BearOff ? QStringLiteral("off") : QString::number(OwnPoint(side, cell));
}

const QString PassWord = QStringLiteral("пропуск");

} // namespace

QString MoveText(const ShownMove& move) {
    return CellText(move.side, move.move.from) + '/' + CellText(move.side, move.move.to) +
           (move.hit ? QStringLiteral("*") : QString());
}

QString DiceText(proc::Dice dice) {
    if (dice == 0) {
        return QStringLiteral("?-?");
    }
    return QStringLiteral("%1-%2").arg(proc::FirstDie(dice)).arg(proc::SecondDie(dice));
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

} // namespace record
