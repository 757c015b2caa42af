// How players write a game down: every move numbered from the mover's own
// side (a side's home board is 1-6, "bar" and "off"), turns, pip counts.
#pragma once

#include "record/GameEvents.h"

#include <QString>
#include <vector>

namespace record {

/*! The position every game starts from unless Board.cfg gives another. */
const proc::Board& StandardStart();

/*! Pips a side still has to travel: every checker's distance to bearing off,
    a checker on the bar counting 25. */
int PipCount(const proc::Board& board, proc::Side side);

/*! A board point 1..24 as side counts it: white's numbers are the board's,
    black counts from the other end (the board's 1 is black's 24). */
int OwnPoint(proc::Side side, int32_t point);

/*! One checker move from the mover's side: "24/18", "bar/22", "6/off", and
    "*" after a move that hits. */
QString MoveText(const ShownMove& move);

/*! One side's turn: its roll and the moves echoed for it. */
struct Turn {
    proc::Side side = proc::White;
    proc::Dice dice = 0; // 0: the roll never came
    std::vector<ShownMove> moves;
    bool passed = false; // the side had no move and the turn went on
};

/*! "6-5"; "?-?" for a roll that never came. */
QString DiceText(proc::Dice dice);
/*! The moves of a turn, equal moves in a row joined as "8/5(2)"; a pass as "пропуск". */
QString TurnMovesText(const Turn& turn);
/*! "Белые 6-5: 24/18 13/8". */
QString TurnText(const Turn& turn);
/*! "белые" or "чёрные"; capitalised: "Белые", "Чёрные". */
QString SideName(proc::Side side, bool capitalised = false);
/*! "белых" or "чёрных". */
QString SideGenitive(proc::Side side);

} // namespace record
