// Computer players as seats at the board: given this board, side and dice,
// the moves of this turn. The turn controller plays them one at a time and
// checks each against the list of legal moves.
#pragma once

#include "match/match.h"
#include "proc/proc.h"
#include "record/ComputerNames.h"

#include <QString>
#include <vector>

namespace game {

/*! The outside engine's name in the dialog's lists, the journal and the records. */
inline const QString& EngineName = record::EngineName;
using record::IsComputerName;

/*! The move number (1..4) after the move at step 1..3 of a turn: a double
    goes on to 2 and 3; a non-double's first move goes to 4 and leaves dice
    with the remaining die (the used die takes the other's value). */
uint8_t NextTurnStep(uint8_t step, proc::Dice& dice, proc::Move move);

/*! What a seat offers for one turn. */
struct TurnPlan {
    /*! The turn's single-checker moves in playing order. */
    std::vector<proc::Move> moves;
    /*! Why the seat has no moves (for the log); empty when it has. The
        built-in computer then plays the turn. */
    QString trouble;
};

class IComputerSeat {
  public:
    virtual ~IComputerSeat() = default;
    /*! Asked at the first move of each turn in which side can move. */
    virtual TurnPlan PlanTurn(const proc::Board& board, proc::Side side, proc::Dice dice) = 0;

    // The cube and resignations, in a match; state is by this game's
    // colours. A seat without its own judgement uses the built-in rules.
    /*! The match around the turn to come, told before each plan (length 1
        in a single game). */
    virtual void SeeMatch(const match::MatchState& state) { (void)state; }
    /*! Whether side doubles before its roll (asked only when it may). */
    virtual bool Doubles(const proc::Board& board, proc::Side side,
                         const match::MatchState& state) {
        return match::BuiltInDoubles(board, side, state);
    }
    /*! Whether taker takes the other side's double. */
    virtual bool Takes(const proc::Board& board, proc::Side taker,
                       const match::MatchState& state) {
        return match::BuiltInTakes(board, taker, state);
    }
    /*! Whether side accepts the other side's resignation. */
    virtual bool Accepts(const proc::Board& board, proc::Side side,
                         const match::Resignation& offer, const match::MatchState& state) {
        return match::BuiltInAccepts(board, side, offer, state);
    }
};

/*! The built-in computer as a seat: ChooseMove at every move of the turn,
    with the remaining-die rule, exactly as the controller plays it itself. */
class BuiltInSeat : public IComputerSeat {
  public:
    TurnPlan PlanTurn(const proc::Board& board, proc::Side side, proc::Dice dice) override;
};

/*! Who sits at each computer side of a game. */
class ISeats {
  public:
    virtual ~ISeats() = default;
    /*! The seat of side, played under name; null: the built-in computer,
        played by the controller itself. Asked at each game's start. */
    virtual IComputerSeat* SeatFor(proc::Side side, const QString& name) = 0;
};

/*! The Russian notice a game gives once when a seat failed and the
    built-in computer played its turn instead. */
inline const QString SeatTroubleText =
    QStringLiteral("GNU Backgammon не смог сделать ход, и за него походил встроенный компьютер. "
                   "Игра продолжается.");

} // namespace game
