// A self-play game kept turn by turn, for the tests and benchmarks of what
// plays a whole turn at once.
#pragma once

#include "proc/proc.h"

#include <cstdint>
#include <vector>

namespace selfplay {

/*! One side's turn: the board and roll it began with, the moves it played
    (none for a pass) and the board it ended on. */
struct PlayedTurn {
    proc::Board before{};
    proc::Side side = proc::White;
    proc::Dice dice = 0;
    std::vector<proc::Move> moves;
    proc::Board after{};
};

/*! Every turn of one game from start with the seeded dice clock (the
    process's clock is restored after); the last is cut short by the end. */
std::vector<PlayedTurn> PlayTurns(const proc::Board& start, uint64_t seed);

} // namespace selfplay
