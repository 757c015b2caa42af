#include "RecordedGame.h"

#include "SelfPlay.h"

namespace selfplay {
namespace {

struct Recorder : GameObserver {
    record::GameRecord game;
    proc::Board start{};
    QString white, black;
    void OnOpening(proc::Dice dice) override {
        game.Add(record::StartInfo{start, white + " (белые)", black + " (чёрные)", dice});
    }
    void OnRoll(proc::Side side, proc::Dice dice) override {
        game.Add(record::DiceInfo{side, dice});
    }
    void OnMove(const proc::Board&, const proc::Board&, proc::Side side, proc::Dice,
                const proc::MoveList&, int32_t, proc::Move chosen) override {
        game.Add(record::MoveInfo{side, chosen});
    }
};

} // namespace

record::GameRecord RecordedGame(const proc::Board& start, uint64_t seed, const QString& white,
                                const QString& black) {
    proc::SetDiceClock(SeededDiceClock(seed));
    Recorder recorder;
    recorder.start = start;
    recorder.white = white;
    recorder.black = black;
    PlayGame(start, &recorder);
    proc::SetDiceClock(nullptr);
    recorder.game.Finish();
    return recorder.game;
}

} // namespace selfplay
