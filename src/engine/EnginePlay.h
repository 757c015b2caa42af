// A play as the engine answers it ("8/5 6/5", "25/22*", "6/0", "bar/22",
// "13/7(2)", "24/18*/13"), and the single-checker steps the referee plays
// for it.
#pragma once

#include "proc/proc.h"

#include <optional>
#include <string>
#include <string_view>
#include <vector>

namespace engine {

/*! One checker's move in the mover's own numbering: 1..24 from its home
    outwards, 25 the bar, 0 off. It may span more than one die. */
struct Hop {
    int from = 0;
    int to = 0;
    bool operator==(const Hop&) const = default;
};

/*! The hops of an answer: space-separated moves, a chain "a/b/c" as a/b and
    b/c, "(n)" repeating the move before it n times in all, "*" ignored,
    "bar" as 25, "off" as 0; trailing blanks and newline allowed. nullopt for
    anything else, for a hop that does not go towards home, starts off the
    board or ends on the bar, and for more than four single moves written. */
std::optional<std::vector<Hop>> ParsePlay(std::string_view answer);

/*! Our board's cell for a point of the mover's numbering: white's point p
    is cell p, black's is 25 - p; 25 is the side's own bar cell (26 white,
    25 black); 0 is 27 (borne off); 0 for any other point. */
int32_t BoardCell(int point, proc::Side side);

/*! Single-checker moves of side written as the engine writes a play: one
    "from/to" a move in the mover's numbering (the bar 25, off 0), a blank
    between moves. ParsePlay reads it back. For the log and for tests. */
std::string PlayText(const std::vector<proc::Move>& moves, proc::Side side);

/*! The play as single-checker moves that the referee can play one at a
    time from board with dice: each one of ListMoves for the dice still to
    play (both at first; a double gives four moves; after a non-double's
    first move the remaining-die rule), ending on the position the play
    describes. A hop spanning several dice is split into single moves whose
    middle points are open. nullopt when no such order exists (a hop the
    roll cannot make, a blocked point, too many moves). */
std::optional<std::vector<proc::Move>> TurnSteps(const proc::Board& board, proc::Side side,
                                                 proc::Dice dice, const std::vector<Hop>& play);

} // namespace engine
