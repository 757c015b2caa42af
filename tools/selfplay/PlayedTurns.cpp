#include "PlayedTurns.h"

#include "SelfPlay.h"

namespace selfplay {
namespace {

struct TurnRecorder : GameObserver {
    explicit TurnRecorder(const proc::Board& start) : board(start) {}
    void OnRoll(proc::Side side, proc::Dice dice) override {
        Finish();
        turns.push_back({board, side, dice, {}, {}});
    }
    void OnMove(const proc::Board&, const proc::Board& after, proc::Side, proc::Dice,
                const proc::MoveList&, int32_t, proc::Move chosen) override {
        turns.back().moves.push_back(chosen);
        board = after;
    }
    void Finish() {
        if (!turns.empty())
            turns.back().after = board;
    }
    proc::Board board;
    std::vector<PlayedTurn> turns;
};

} // namespace

std::vector<PlayedTurn> PlayTurns(const proc::Board& start, uint64_t seed) {
    proc::SetDiceClock(SeededDiceClock(seed));
    TurnRecorder recorder(start);
    PlayGame(start, &recorder);
    proc::SetDiceClock(nullptr);
    recorder.Finish();
    return recorder.turns;
}

} // namespace selfplay
