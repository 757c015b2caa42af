#include "game/ComputerSeat.h"

namespace game {

uint8_t NextTurnStep(uint8_t step, proc::Dice& dice, proc::Move move) {
    if (step >= 3)
        return 4;
    if (step == 2)
        return 3;
    if (proc::FirstDie(dice) == proc::SecondDie(dice))
        return 2;
    dice = proc::RemainingDice(move, dice);
    return 4;
}

TurnPlan BuiltInSeat::PlanTurn(const proc::Board& board, proc::Side side, proc::Dice dice) {
    TurnPlan plan;
    proc::Board b = board;
    proc::MoveList list;
    for (uint8_t step = 1;; step = NextTurnStep(step, dice, plan.moves.back())) {
        const int32_t n = proc::ListMoves(b, dice, side, list);
        if (n == 0)
            break;
        proc::Move move{0, 0};
        proc::ChooseMove(b, list, n, move);
        proc::ApplyMove(b, side, move);
        plan.moves.push_back(move);
        if (step >= 4)
            break;
    }
    return plan;
}

} // namespace game
