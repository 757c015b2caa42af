// The position as GNU Backgammon's external player reads it: one FIBS
// "board:" line, always from the side to move's view.
#pragma once

#include "proc/proc.h"

#include <string>

namespace engine {

/*! The most checkers a side may have for the engine to read the position. */
constexpr int EngineCheckers = 15;

/*! The board line (no newline) for side to move with dice: side is "You"
    with positive counts, moving from its point 24 towards 1 (white's points
    are ours, black's point p is our 25 - p); the opponent's counts are
    negative; a one-point match at 0:0 (no cube play), the cube at 1 in the
    middle; the borne-off counts are 15 less what is on the board. */
std::string FibsBoardText(const proc::Board& board, proc::Side side, proc::Dice dice);

/*! The match around a position, from the side to move's view (the taker's,
    for a take). The default is the one-point match of FibsBoardText. */
struct FibsMatch {
    int length = 1;
    int score = 0;      // the side's
    int oppScore = 0;
    int cube = 1;
    bool mayDouble = true;    // the cube is centred or the side's
    bool oppMayDouble = true; // the cube is centred or the opponent's
    bool crawford = false;
};

/*! The board line with the match: dice 0 (a decision before the roll) asks
    the engine "double" or "roll". */
std::string FibsMatchText(const proc::Board& board, proc::Side side, proc::Dice dice,
                          const FibsMatch& match);
/*! The line that asks taker, doubled by the other side, "take" or "drop":
    the doubler is on roll with no dice, the cube not yet turned. */
std::string FibsTakeText(const proc::Board& board, proc::Side taker, const FibsMatch& match);

/*! Whether the engine can be shown the position: no side has more than
    EngineCheckers checkers on the board (bars included). */
bool EngineCanRead(const proc::Board& board);

} // namespace engine
