// selfplay [--games N] [--seed S] [--board FILE]: computer-against-computer
// games with the rules engine alone. One game is printed move by move, more
// games are summed up.
#include "SelfPlay.h"

#include <chrono>
#include <cstdio>
#include <cstdlib>

namespace {

const char* SideName(proc::Side side) {
    return side > 0 ? "white" : "black";
}

class Printer : public selfplay::GameObserver {
  public:
    void OnOpening(proc::Dice dice) override {
        std::printf("opening roll %d-%d\n", proc::FirstDie(dice), proc::SecondDie(dice));
    }
    void OnRoll(proc::Side side, proc::Dice dice) override {
        std::printf("%s rolls %d-%d\n", SideName(side), proc::FirstDie(dice),
                    proc::SecondDie(dice));
    }
    void OnMove(const proc::Board&, const proc::Board&, proc::Side side, proc::Dice,
                const proc::MoveList&, int32_t, proc::Move chosen) override {
        std::printf("  %s %s\n", SideName(side), selfplay::MoveText(chosen).c_str());
    }
    void OnPass(proc::Side side, proc::Dice) override {
        std::printf("  %s cannot move\n", SideName(side));
    }
};

void PrintResult(const selfplay::GameSummary& summary) {
    if (!summary.finished) {
        std::printf("no result after %d steps\n", summary.steps);
        return;
    }
    std::printf("%s wins by %d after %d moves\n", summary.result < 0 ? "white" : "black",
                std::abs(summary.result), summary.moves);
}

} // namespace

int main(int argc, char** argv) {
    selfplay::Options options;
    std::string error;
    if (!selfplay::ParseOptions(argc, argv, options, error)) {
        std::fprintf(stderr, "%s\nusage: selfplay [--games N] [--seed S] [--board FILE]\n",
                     error.c_str());
        return 2;
    }
    proc::Board start{};
    try {
        proc::LoadBoardFile(start, options.board);
    } catch (const proc::InOutError& e) {
        std::fprintf(stderr, "%s: %s\n", options.board.c_str(), e.what());
        return 1;
    }
    if (options.seeded)
        proc::SetDiceClock(selfplay::SeededDiceClock(options.seed));

    if (options.games == 1) {
        Printer printer;
        selfplay::GameSummary summary = selfplay::PlayGame(start, &printer);
        PrintResult(summary);
        return 0;
    }

    int64_t moves = 0, whiteWins = 0, blackWins = 0, unfinished = 0, margins = 0;
    const auto begin = std::chrono::steady_clock::now();
    for (int64_t i = 0; i < options.games; ++i) {
        selfplay::GameSummary summary = selfplay::PlayGame(start);
        moves += summary.moves;
        if (!summary.finished)
            ++unfinished;
        else if (summary.result < 0)
            ++whiteWins;
        else
            ++blackWins;
        margins += std::abs(summary.result);
    }
    const double seconds =
        std::chrono::duration<double>(std::chrono::steady_clock::now() - begin).count();
    const int64_t finished = options.games - unfinished;
    std::printf("games: %lld\n", static_cast<long long>(options.games));
    std::printf("moves per game: %.1f\n",
                static_cast<double>(moves) / static_cast<double>(options.games));
    std::printf("wins: white %lld, black %lld", static_cast<long long>(whiteWins),
                static_cast<long long>(blackWins));
    if (unfinished > 0)
        std::printf(", unfinished %lld", static_cast<long long>(unfinished));
    std::printf("\nmean margin: %.2f\n",
                finished > 0 ? static_cast<double>(margins) / static_cast<double>(finished) : 0.0);
    std::printf("games per second: %.0f\n",
                seconds > 0 ? static_cast<double>(options.games) / seconds : 0.0);
    return 0;
}
