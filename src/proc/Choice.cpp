// The computer player: a fixed ranking of move categories, no look-ahead.
#include "proc/proc.h"

#include <cstdlib>

namespace proc {
namespace {

// Cells outside the board read as empty, so a malformed list cannot reach
// beyond it.
int32_t CellOrEmpty(const Board& board, int32_t k) {
    return k >= 1 && k <= 26 ? Cell(board, k) : 0;
}

int Category(const Board& board, Move move) {
    const int32_t target = CellOrEmpty(board, move.to);
    if (move.from > 24)
        return target == 0 ? 3 : 4;
    if (move.to == BearOff)
        return 7;
    const bool fromTwo = std::llabs(CellOrEmpty(board, move.from)) == 2;
    if (target == 0)
        return fromTwo ? 2 : 1;
    return fromTwo ? 3 : 4;
}

} // namespace

void ChooseMove(const Board& board, const MoveList& moves, int32_t count, Move& result) {
    if (count < 1)
        return;
    if (count > static_cast<int32_t>(moves.size()))
        count = static_cast<int32_t>(moves.size());
    // White's rearmost checkers stand at the end of the list, black's at the start.
    const bool reverse = CellOrEmpty(board, moves[0].from) > 0;
    int best = 0;
    size_t chosen = 0;
    for (int32_t i = 0; i < count; ++i) {
        const size_t index = static_cast<size_t>(reverse ? count - 1 - i : i);
        const int category = Category(board, moves[index]);
        if (category > best) {
            best = category;
            chosen = index;
        }
    }
    result = moves[chosen];
}

} // namespace proc
