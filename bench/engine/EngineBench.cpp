// What the referee spends on one turn of an outside engine's play: the board
// line written, the answer read and its single moves found, over the turns of
// seeded self-play games with the built-in chooser's plays written as the
// engine writes them. With GNU Backgammon installed, also how long it takes
// to start and to answer at 0 and 2 plies.
#include "engine/EnginePlay.h"
#include "engine/FibsBoard.h"
#include "engine/Gnubg.h"

#include "PlayedTurns.h"

#include <QDir>
#include <algorithm>
#include <benchmark/benchmark.h>
#include <chrono>
#include <string>
#include <vector>

namespace {

struct Turn {
    proc::Board board;
    proc::Side side;
    proc::Dice dice;
    std::string answer;
};

proc::Board StartBoard() {
    proc::Board board;
    proc::LoadBoard(board, VERTAN_SOURCE_DIR "/data");
    return board;
}

// Every turn of 50 seeded games that moved at least one checker.
const std::vector<Turn>& Turns() {
    static const std::vector<Turn> turns = [] {
        std::vector<Turn> out;
        for (uint64_t seed = 1; seed <= 50; ++seed)
            for (const selfplay::PlayedTurn& t : selfplay::PlayTurns(StartBoard(), seed))
                if (!t.moves.empty())
                    out.push_back({t.before, t.side, t.dice, engine::PlayText(t.moves, t.side)});
        return out;
    }();
    return turns;
}

void BM_RefereeTurn(benchmark::State& state) {
    const std::vector<Turn>& turns = Turns();
    size_t i = 0;
    for (auto _ : state) {
        const Turn& turn = turns[i];
        i = i + 1 == turns.size() ? 0 : i + 1;
        std::string line = engine::FibsBoardText(turn.board, turn.side, turn.dice);
        benchmark::DoNotOptimize(line);
        const auto hops = engine::ParsePlay(turn.answer);
        auto steps = engine::TurnSteps(turn.board, turn.side, turn.dice, *hops);
        if (!steps)
            state.SkipWithError("a played turn found no steps");
        benchmark::DoNotOptimize(steps);
    }
    state.counters["turns"] = static_cast<double>(turns.size());
}
BENCHMARK(BM_RefereeTurn);

double Median(std::vector<double> values) {
    std::sort(values.begin(), values.end());
    return values.empty() ? 0 : values[values.size() / 2];
}

// One engine process asked about distinct positions (it keeps what it has
// evaluated, so a repeated one would answer from memory): the first answer
// includes the start and the connection.
void BM_GnubgAnswer(benchmark::State& state) {
    if (engine::FindGnubg().isEmpty()) {
        state.SkipWithError("GNU Backgammon is not installed");
        return;
    }
    const std::vector<Turn>& turns = Turns();
    const int plies = static_cast<int>(state.range(0));
    std::vector<double> startMs;
    std::vector<double> answerMs;
    size_t next = 0;
    for (auto _ : state) {
        engine::GnubgEngine gnubg({{}, QDir::tempPath(), plies, 60000});
        for (int i = 0; i < 41; ++i) {
            const Turn& turn = turns[next];
            next = (next + 7) % turns.size();
            const auto begin = std::chrono::steady_clock::now();
            const engine::EngineAnswer answer =
                gnubg.Ask(engine::FibsBoardText(turn.board, turn.side, turn.dice));
            const double ms =
                std::chrono::duration<double, std::milli>(std::chrono::steady_clock::now() - begin)
                    .count();
            if (!answer.ok) {
                state.SkipWithError(answer.error.toStdString().c_str());
                return;
            }
            (i == 0 ? startMs : answerMs).push_back(ms);
        }
    }
    state.counters["start_ms"] = Median(startMs);
    state.counters["answer_median_ms"] = Median(answerMs);
    state.counters["answer_max_ms"] =
        answerMs.empty() ? 0 : *std::max_element(answerMs.begin(), answerMs.end());
}
BENCHMARK(BM_GnubgAnswer)->Arg(0)->Arg(1)->Arg(2)->Iterations(3)->Unit(benchmark::kMillisecond);

} // namespace

BENCHMARK_MAIN();
