// Legal single-checker moves, their application and the end-of-game test.
// Ownership is tested by sign rather than by multiplying with the side, so
// any 32-bit counts a board file holds are safe.
#include "proc/proc.h"

#include <cstdlib>

namespace proc {
namespace {

bool Own(int32_t count, Side side) {
    return side > 0 ? count > 0 : count < 0;
}

// Empty, own checkers, or exactly one opposing checker to hit.
bool Open(int32_t count, Side side) {
    return side > 0 ? count >= -1 : count <= 1;
}

int32_t Wrap(int64_t v) {
    return static_cast<int32_t>(static_cast<uint32_t>(v));
}

} // namespace

int32_t CheckGameEnd(const Board& board) {
    int64_t pos = 0;
    int64_t neg = 0;
    for (int32_t count : board) {
        if (count > 0)
            pos += count;
        else
            neg += count;
    }
    if (pos == 0 || neg == 0)
        return Wrap(pos + neg);
    return 0;
}

int32_t ListMoves(Board board, Dice dice, Side side, MoveList& moves) {
    const int32_t dieList[2] = {FirstDie(dice), SecondDie(dice)};
    int32_t n = 0;
    const bool white = side > 0;

    if ((white && Cell(board, WhiteBar) > 0) || (!white && Cell(board, BlackBar) < 0)) {
        for (int32_t d : dieList) {
            if (d < 1 || d > 6)
                continue;
            if (white) {
                if (Cell(board, 25 - d) >= -1)
                    moves[static_cast<size_t>(n++)] = {WhiteBar, 25 - d};
            } else if (Cell(board, d) <= 1) {
                moves[static_cast<size_t>(n++)] = {BlackBar, d};
            }
        }
        return n;
    }

    bool allHome = true;
    for (int32_t p = 1; p <= 24; ++p) {
        if (!Own(Cell(board, p), side))
            continue;
        if (white ? p > 6 : p < 19)
            allHome = false;
        for (int32_t d : dieList) {
            int32_t t = white ? p - d : p + d;
            if (t >= 1 && t <= 24 && Open(Cell(board, t), side))
                moves[static_cast<size_t>(n++)] = {p, t};
        }
    }
    if (!allHome)
        return n;

    for (int32_t d : dieList) {
        if (d < 1 || d > 6)
            continue;
        // The point d pips from the edge, and the points between it and the edge.
        int32_t exact = white ? d : 25 - d;
        if (Own(Cell(board, exact), side)) {
            moves[static_cast<size_t>(n++)] = {exact, BearOff};
            continue;
        }
        if (d == 1)
            continue;
        bool fartherOwn = false;
        for (int32_t q = d; q <= 6 && !fartherOwn; ++q)
            fartherOwn = Own(Cell(board, white ? q : 25 - q), side);
        if (fartherOwn)
            continue;
        for (int32_t q = d - 1; q >= 1; --q) {
            int32_t j = white ? q : 25 - q;
            if (Own(Cell(board, j), side)) {
                moves[static_cast<size_t>(n++)] = {j, BearOff};
                break;
            }
        }
    }
    return n;
}

void ApplyMove(Board& board, Side side, Move move) {
    // A move naming cells the board does not have is ignored.
    if (move.from < 1 || move.from > 26 || move.to < 1 || move.to > BearOff)
        return;
    int32_t& from = Cell(board, move.from);
    if (move.to == BearOff) {
        from = Wrap(int64_t{from} - side);
        return;
    }
    int32_t& to = Cell(board, move.to);
    if ((from > 0 && to < 0) || (from < 0 && to > 0)) {
        if (to < 0)
            Cell(board, BlackBar) = Wrap(int64_t{Cell(board, BlackBar)} - 1);
        else
            Cell(board, WhiteBar) = Wrap(int64_t{Cell(board, WhiteBar)} + 1);
        to = 0;
    }
    from = Wrap(int64_t{from} - side);
    to = Wrap(int64_t{to} + side);
}

bool UsesFirstDie(Move move, Dice dice) {
    const int32_t a = FirstDie(dice);
    const int32_t b = SecondDie(dice);
    if (move.to == BearOff) {
        const int32_t d = move.from <= 12 ? move.from : 25 - move.from;
        if (a == d)
            return true;
        if (b == d)
            return false;
        const int32_t small = a < b ? a : b;
        const int32_t large = a < b ? b : a;
        return a == (small < d ? large : small);
    }
    int32_t distance;
    if (move.from == BlackBar)
        distance = move.to;
    else if (move.from == WhiteBar)
        distance = 25 - move.to;
    else
        distance = std::abs(move.to - move.from);
    return distance == a;
}

Dice RemainingDice(Move move, Dice dice) {
    if (UsesFirstDie(move, dice))
        return MakeDice(SecondDie(dice), SecondDie(dice));
    return MakeDice(FirstDie(dice), FirstDie(dice));
}

} // namespace proc
