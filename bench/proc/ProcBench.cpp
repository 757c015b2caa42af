// Speed of the rules engine over positions taken from seeded self-play.
#include "SelfPlay.h"

#include <benchmark/benchmark.h>

#include <vector>

using namespace proc;

namespace {

struct Position {
    Board board;
    Dice dice;
    Side side;
    int32_t moveNumber;
};

class Collector : public selfplay::GameObserver {
  public:
    explicit Collector(std::vector<Position>& out) : out_(out) {}
    void OnMove(const Board& before, const Board&, Side side, Dice dice, const MoveList&, int32_t,
                Move) override {
        out_.push_back({before, dice, side, ++moveNumber_});
    }

  private:
    std::vector<Position>& out_;
    int32_t moveNumber_ = 0;
};

Board StartBoard() {
    Board board;
    LoadBoard(board, VERTAN_SOURCE_DIR "/data");
    return board;
}

// Every position in which a move was made in 50 seeded games.
const std::vector<Position>& PlayedPositions() {
    static const std::vector<Position> positions = [] {
        std::vector<Position> out;
        SetDiceClock(selfplay::SeededDiceClock(424242));
        for (int game = 0; game < 50; ++game) {
            Collector collector(out);
            selfplay::PlayGame(StartBoard(), &collector);
        }
        SetDiceClock({});
        return out;
    }();
    return positions;
}

// A fixed set small enough to stay in cache: the engine is measured, not memory.
constexpr size_t SetSize = 512;

std::vector<Position> EvenlySpaced(const std::vector<Position>& from) {
    std::vector<Position> out;
    const size_t stride = from.size() > SetSize ? from.size() / SetSize : 1;
    for (size_t i = 0; i < from.size() && out.size() < SetSize; i += stride)
        out.push_back(from[i]);
    return out;
}

const std::vector<Position>& AllPositions() {
    static const std::vector<Position> positions = EvenlySpaced(PlayedPositions());
    return positions;
}

// Mid-game: past the opening, before either side bears off, nobody on the bar.
const std::vector<Position>& MidGamePositions() {
    static const std::vector<Position> positions = [] {
        std::vector<Position> out;
        for (const Position& p : PlayedPositions()) {
            MoveList moves;
            const int32_t n = ListMoves(p.board, p.dice, p.side, moves);
            bool bearing = false;
            for (int32_t i = 0; i < n; ++i)
                bearing |= moves[static_cast<size_t>(i)].to == BearOff;
            if (p.moveNumber >= 20 && !bearing && Cell(p.board, BlackBar) == 0 &&
                Cell(p.board, WhiteBar) == 0)
                out.push_back(p);
        }
        return EvenlySpaced(out);
    }();
    return positions;
}

void RunListMoves(benchmark::State& state, const std::vector<Position>& positions) {
    MoveList moves;
    size_t i = 0;
    for (auto _ : state) {
        const Position& p = positions[i];
        benchmark::DoNotOptimize(ListMoves(p.board, p.dice, p.side, moves));
        benchmark::ClobberMemory();
        if (++i == positions.size())
            i = 0;
    }
    state.counters["positions"] = static_cast<double>(positions.size());
}

void BM_ListMovesMidGame(benchmark::State& state) {
    RunListMoves(state, MidGamePositions());
}
BENCHMARK(BM_ListMovesMidGame);

void BM_ListMovesAllPositions(benchmark::State& state) {
    RunListMoves(state, AllPositions());
}
BENCHMARK(BM_ListMovesAllPositions);

void BM_ChooseMove(benchmark::State& state) {
    struct Listed {
        const Board* board;
        MoveList moves;
        int32_t count;
    };
    std::vector<Listed> lists;
    for (const Position& p : AllPositions()) {
        lists.push_back({&p.board, {}, 0});
        lists.back().count = ListMoves(p.board, p.dice, p.side, lists.back().moves);
    }
    size_t i = 0;
    Move result{};
    for (auto _ : state) {
        const Listed& l = lists[i];
        ChooseMove(*l.board, l.moves, l.count, result);
        benchmark::DoNotOptimize(result);
        if (++i == lists.size())
            i = 0;
    }
}
BENCHMARK(BM_ChooseMove);

void BM_BuildMoveListMessage(benchmark::State& state) {
    const std::vector<Position>& positions = AllPositions();
    size_t i = 0;
    for (auto _ : state) {
        const Position& p = positions[i];
        ByteArray message = BuildMoveListMessage(p.board, p.dice, p.side);
        benchmark::DoNotOptimize(message.data());
        if (++i == positions.size())
            i = 0;
    }
}
BENCHMARK(BM_BuildMoveListMessage);

void BM_SelfPlayGame(benchmark::State& state) {
    const Board start = StartBoard();
    SetDiceClock(selfplay::SeededDiceClock(7));
    int64_t moves = 0;
    for (auto _ : state) {
        selfplay::GameSummary summary = selfplay::PlayGame(start);
        moves += summary.moves;
        benchmark::DoNotOptimize(summary);
    }
    SetDiceClock({});
    state.counters["moves/game"] =
        benchmark::Counter(static_cast<double>(moves), benchmark::Counter::kAvgIterations);
}
BENCHMARK(BM_SelfPlayGame)->Unit(benchmark::kMicrosecond);

} // namespace

BENCHMARK_MAIN();
