// Reference positions written as {cell, count} pairs.
#pragma once

#include "proc/proc.h"

#include <ostream>
#include <utility>
#include <vector>

namespace proc {
inline std::ostream& operator<<(std::ostream& out, const Move& m) {
    return out << "(" << m.from << ", " << m.to << ")";
}
} // namespace proc

namespace proctest {

using Cells = std::vector<std::pair<int32_t, int32_t>>;

inline proc::Board MakeBoard(const Cells& cells) {
    proc::Board board{};
    for (auto [cell, count] : cells)
        proc::Cell(board, cell) = count;
    return board;
}

inline std::vector<proc::Move> List(const proc::Board& board, proc::Dice dice, proc::Side side) {
    proc::MoveList moves;
    int32_t n = proc::ListMoves(board, dice, side, moves);
    return {moves.begin(), moves.begin() + n};
}

/*! Checkers of side on the board, bars included. */
inline int64_t Checkers(const proc::Board& board, proc::Side side) {
    int64_t total = 0;
    for (int32_t c : board)
        if (side > 0 ? c > 0 : c < 0)
            total += side > 0 ? c : -c;
    return total;
}

} // namespace proctest
