// The result of a finished game and its points. Ownership is read by sign and
// counts are summed wide, so any 32-bit cells a board holds are safe.
#include "match/match.h"

#include <algorithm>
#include <climits>

namespace match {
namespace {

/*! Checkers of side on the board, bars included. */
int64_t Checkers(const proc::Board& board, Side side) {
    int64_t total = 0;
    for (int32_t count : board) {
        if (side > 0 && count > 0)
            total += count;
        else if (side < 0 && count < 0)
            total -= int64_t{count};
    }
    return total;
}

bool Owns(int32_t count, Side side) {
    return side > 0 ? count > 0 : count < 0;
}

/*! A checker of loser on either bar cell or in the winner's home board. */
bool LeftBehind(const proc::Board& board, Side loser) {
    if (Owns(proc::Cell(board, proc::BlackBar), loser) ||
        Owns(proc::Cell(board, proc::WhiteBar), loser))
        return true;
    // White, moving down to 1, has its home at 1..6; black's is 19..24.
    const int32_t first = loser < 0 ? 1 : 19;
    for (int32_t k = first; k < first + 6; ++k)
        if (Owns(proc::Cell(board, k), loser))
            return true;
    return false;
}

} // namespace

Side Winner(const proc::Board& board) {
    const bool white = Checkers(board, proc::White) > 0;
    const bool black = Checkers(board, proc::Black) > 0;
    if (white == black)
        return 0;
    return white ? proc::Black : proc::White;
}

std::optional<Result> GameResult(const proc::Board& board, int loserCheckersAtStart) {
    const Side winner = Winner(board);
    if (winner == 0)
        return std::nullopt;
    const Side loser = static_cast<Side>(-winner);
    if (Checkers(board, loser) < loserCheckersAtStart)
        return Result::Single;
    return LeftBehind(board, loser) ? Result::Backgammon : Result::Gammon;
}

int GameValue(const proc::Board& board, int loserCheckersAtStart, const Cube& cube) {
    const std::optional<Result> result = GameResult(board, loserCheckersAtStart);
    return result ? Points(*result, cube) : 0;
}

int Points(Result result, const Cube& cube) {
    const int64_t level = std::clamp<int64_t>(static_cast<int64_t>(result), 1, 3);
    const int64_t value = std::max<int64_t>(cube.value, 1);
    return static_cast<int>(std::min<int64_t>(level * value, INT_MAX));
}

} // namespace match
