// Whole games through the headless referee's wiring: real loopback socket,
// real event loop and timer, the recording pause, the test client playing
// every person's side, and an independent replay of the message stream.
#include "EventWait.h"
#include "GameTestSupport.h"
#include "Referee.h"

#include <gtest/gtest.h>

using namespace gametest;

namespace {

const QString Computer = game::ComputerName;

struct GameCase {
    const char* title;
    QString first;
    QString second;
    testclient::Pick pick;
    uint32_t diceSeed;
    std::vector<testclient::Fault> faults = {};
};

class WholeGame : public ::testing::TestWithParam<GameCase> {};

TEST_P(WholeGame, RunsToTheEndByTheRules) {
    const GameCase& c = GetParam();
    ScriptedDice dice({}, c.diceSeed);
    ProgramFolder folder(StandardBoardText());
    RecordingPause pause;
    referee::RefereeOptions options;
    options.first = c.first;
    options.second = c.second;
    options.programFolder = QString::fromStdString(folder.Path());
    options.tickMs = 0;
    referee::Referee ref(options, &pause);
    int exitCode = -1;
    QObject::connect(&ref, &referee::Referee::Finished,
                     [&](int code, const QString&) { exitCode = code; });
    ref.Start();

    testclient::Options clientOptions;
    clientOptions.pick = c.pick;
    clientOptions.seed = c.diceSeed;
    clientOptions.faults = c.faults;
    // The bad messages go with the first few lists only: every one of them
    // is answered with the list again before the next is sent.
    clientOptions.faultyLists = 3;
    testclient::TestClient client(clientOptions);
    ProtocolChecker checker(c.first, c.second);
    checker.allowResentList = !c.faults.empty();
    client.OnMessage = [&](const clientproto::Message& m) { checker.Feed(m); };
    client.ConnectTo(ref.Port());

    ASSERT_TRUE(testclient::ProcessEventsUntil([&] { return client.Finished(); }, 120000))
        << "the game did not end";
    ASSERT_FALSE(::testing::Test::HasFailure()) << client.Log().join('\n').toStdString();

    const int32_t r = proc::CheckGameEnd(checker.Board());
    ASSERT_NE(r, 0) << "the connection closed before the game was over";
    ASSERT_TRUE(ref.Result.has_value());
    EXPECT_EQ(ref.Result->r, r);
    EXPECT_EQ(exitCode, 0);
    EXPECT_FALSE(ref.Controller.GameRunning);
    EXPECT_EQ(ref.DM.ListeningPort(), 0) << "the socket closes at the end";
    EXPECT_EQ(ref.Controller.GameBoard, checker.Board());

    const bool firstHuman = c.first != Computer, secondHuman = c.second != Computer;
    EXPECT_EQ(checker.lists > 0, firstHuman || secondHuman) << "lists go to persons only";
    // Every answer is played, except one to a list sent just before the end.
    const int unplayed = static_cast<int>(client.Answers().size()) - checker.humanMoves;
    EXPECT_TRUE(unplayed == 0 || unplayed == 1) << unplayed;
    EXPECT_EQ(checker.humanMoves > 0, firstHuman || secondHuman);
    EXPECT_EQ(checker.computerMoves > 0, !firstHuman || !secondHuman);
}

INSTANTIATE_TEST_SUITE_P(
    Players, WholeGame,
    ::testing::Values(
        GameCase{"ComputerAgainstComputer", Computer, Computer, testclient::Pick::First, 1},
        GameCase{"ComputerAgainstComputer2", Computer, Computer, testclient::Pick::First, 977},
        GameCase{"PersonAgainstComputer", "Иван", Computer, testclient::Pick::Random, 5},
        GameCase{"ComputerAgainstPerson", Computer, "Мария", testclient::Pick::Last, 17},
        GameCase{"PersonAgainstPerson", "Иван", "Мария", testclient::Pick::Random, 23},
        GameCase{"PersonAgainstPerson2", "Пётр", "Анна", testclient::Pick::First, 4242},
        // Every answer comes after bad messages of every kind: the board never
        // takes them, the list comes again and the game still ends.
        GameCase{"MisbehavingPerson",
                 "Иван",
                 Computer,
                 testclient::Pick::Random,
                 31,
                 {testclient::Fault::Short, testclient::Fault::OutsideList,
                  testclient::Fault::OutOfRange, testclient::Fault::Garbage}}),
    [](const auto& info) { return std::string(info.param.title); });

} // namespace
