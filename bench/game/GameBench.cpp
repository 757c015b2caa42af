// The referee over loopback with no waits: whole computer games per second,
// and what a person's move costs the referee between its arrival and the
// echo (the speed target is 200 µs per move beyond the waits).
#include "EventWait.h"
#include "Referee.h"
#include "TestClient.h"

#include <QCoreApplication>
#include <benchmark/benchmark.h>
#include <chrono>

namespace {

using Clock = std::chrono::steady_clock;

const QString ProgramFolder = QStringLiteral(VERTAN_SOURCE_DIR "/data");

referee::RefereeOptions Options(const QString& first, const QString& second, int tickMs) {
    referee::RefereeOptions options;
    options.first = first;
    options.second = second;
    options.programFolder = ProgramFolder;
    options.pauseScale = 0;
    options.tickMs = tickMs;
    return options;
}

// The whole road of one game: listen, accept, start, every tick, the end.
void BM_ComputerGameOverLoopback(benchmark::State& state) {
    int64_t moves = 0;
    for (auto _ : state) {
        referee::Referee ref(Options(game::ComputerName, game::ComputerName, 0));
        ref.Start();
        testclient::TestClient client({});
        client.ConnectTo(ref.Port());
        if (!testclient::ProcessEventsUntil([&] { return client.Finished(); }, 60000))
            state.SkipWithError("the game did not end");
        moves += static_cast<int64_t>(client.Messages().size());
    }
    state.SetItemsProcessed(state.iterations()); // games
    state.counters["messages_per_game"] =
        benchmark::Counter(static_cast<double>(moves) / static_cast<double>(state.iterations()));
}
BENCHMARK(BM_ComputerGameOverLoopback)->Unit(benchmark::kMillisecond);

// Times the first send of a step: the echo of the person's move.
class TimedLink : public game::IClientLink {
  public:
    explicit TimedLink(net::TDM& dm) : dm_(dm) {}
    int32_t SendToClient(const uint8_t* data, int32_t size) override {
        const int32_t sent = dm_.SendToClient(data, size);
        if (!echoed) {
            echoAt = Clock::now(); // handed to the kernel
            echoed = true;
        }
        return sent;
    }
    int32_t ReceiveFromClient(uint8_t* buffer, int32_t size) override {
        return dm_.ReceiveFromClient(buffer, size);
    }
    void CloseGameServer() override { dm_.CloseGameServer(); }
    bool echoed = false;
    Clock::time_point echoAt;

  private:
    net::TDM& dm_;
};

// One person's step: the move has arrived (announced by the socket); the
// step reads it, checks it against the list, applies it, echoes it, sends
// the next list and makes the closing check. Counter echo_us: arrival to echo.
void BM_PersonMoveStep(benchmark::State& state) {
    net::TDM dm;
    TimedLink link(dm);
    game::FixedPlayerNames names(QStringLiteral("Иван"), QStringLiteral("Мария"));
    game::ThreadSleepPause noWaits(0);
    game::NullGameEndSink sink;
    game::TurnController controller(link, names, noWaits, sink, ProgramFolder.toStdString());
    dm.AcceptHook = [&] { controller.StartGame(); };
    dm.OpenGameServer(0);
    testclient::Options watch;
    watch.autoPlay = false;
    testclient::TestClient client(watch);
    client.ConnectTo(dm.ListeningPort());
    testclient::ProcessEventsUntil([&] { return controller.GameRunning; });

    proc::Board start{};
    proc::LoadBoard(start, ProgramFolder.toStdString());
    const proc::ByteArray move = proc::BuildClientMoveMessage({13, 7});
    double echoMicros = 0;
    for (auto _ : state) {
        state.PauseTiming();
        controller.GameBoard = start;
        controller.GameDice = proc::MakeDice(6, 2);
        controller.SideToMove = proc::White;
        controller.MoveStep = 1;
        link.echoed = false;
        client.Send(move);
        testclient::ProcessEventsUntil([&] { return dm.PendingReads > 0; });
        state.ResumeTiming();

        const Clock::time_point arrived = Clock::now();
        controller.TimerTimer();
        echoMicros += std::chrono::duration<double, std::micro>(link.echoAt - arrived).count();
    }
    if (controller.MoveStep != 4)
        state.SkipWithError("the move was not played");
    state.counters["echo_us"] =
        benchmark::Counter(echoMicros / static_cast<double>(state.iterations()));
}
BENCHMARK(BM_PersonMoveStep)->Unit(benchmark::kMicrosecond);

// The client's view with the turn timer at 0 ms: from sending a move to
// receiving its echo, through both sockets and the event loop.
void BM_PersonMoveRoundTrip(benchmark::State& state) {
    referee::Referee ref(Options(QStringLiteral("Иван"), QStringLiteral("Мария"), 0));
    ref.Start();
    testclient::Options watch;
    watch.autoPlay = false;
    testclient::TestClient client(watch);
    client.ConnectTo(ref.Port());
    testclient::ProcessEventsUntil([&] { return ref.Controller.GameRunning; });
    proc::Board start{};
    proc::LoadBoard(start, ProgramFolder.toStdString());
    const proc::ByteArray move = proc::BuildClientMoveMessage({13, 7});
    for (auto _ : state) {
        state.PauseTiming();
        game::TurnController& c = ref.Controller;
        c.GameBoard = start;
        c.GameDice = proc::MakeDice(6, 2);
        c.SideToMove = proc::White;
        c.MoveStep = 1;
        const size_t before = client.Messages().size();
        state.ResumeTiming();

        client.Send(move);
        testclient::ProcessEventsUntil([&] {
            const auto& all = client.Messages();
            for (size_t i = before; i < all.size(); ++i)
                if (all[i].type == proc::MoveMessage)
                    return true;
            return false;
        });
    }
}
BENCHMARK(BM_PersonMoveRoundTrip)->Unit(benchmark::kMicrosecond);

} // namespace
