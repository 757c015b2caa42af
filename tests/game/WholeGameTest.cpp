// Whole games through the headless referee's wiring: real loopback socket,
// real event loop and timer, the recording pause, the test client playing
// every person's side, and an independent replay of the message stream.
#include "EventWait.h"
#include "GameTestSupport.h"
#include "Referee.h"

#include "engine/Gnubg.h"

#include <QTemporaryDir>
#include <gtest/gtest.h>

using namespace gametest;

namespace {

const QString Computer = game::ComputerName;
const QString Engine = game::EngineName;

// GNU Backgammon at the board: the real one, or a stand-in that fails in
// the way its name says (it dies, answers garbage, never answers).
class EngineUnderTest {
  public:
    /*! mode: "gnubg" or a stand-in's mode; false when the real one is missing. */
    bool Install(const std::string& mode) {
        if (mode == "gnubg")
            return !engine::FindGnubg().isEmpty();
        saved_ = qgetenv("VERTAN_GNUBG");
        qputenv("VERTAN_GNUBG", VERTAN_SOURCE_DIR "/tests/engine/fake_gnubg.py");
        qputenv("FAKE_GNUBG_MODE", QByteArray::fromStdString(mode));
        qputenv("FAKE_GNUBG_LOG", (log_.path() + "/starts").toUtf8());
        installed_ = true;
        return true;
    }
    ~EngineUnderTest() {
        if (!installed_)
            return;
        if (saved_.isEmpty())
            qunsetenv("VERTAN_GNUBG");
        else
            qputenv("VERTAN_GNUBG", saved_);
    }

  private:
    QTemporaryDir log_;
    QByteArray saved_;
    bool installed_ = false;
};

struct GameCase {
    const char* title;
    QString first;
    QString second;
    testclient::Pick pick;
    uint32_t diceSeed;
    std::vector<testclient::Fault> faults = {};
    std::string engine = {}; // how GNU Backgammon behaves, where it plays
    bool told = false;       // the user hears once that the built-in computer stood in
};

class WholeGame : public ::testing::TestWithParam<GameCase> {};

TEST_P(WholeGame, RunsToTheEndByTheRules) {
    const GameCase& c = GetParam();
    EngineUnderTest engine;
    if (!c.engine.empty() && !engine.Install(c.engine))
        GTEST_SKIP() << "GNU Backgammon is not installed (scripts/packages.txt has it)";
    ScriptedDice dice({}, c.diceSeed);
    ProgramFolder folder(StandardBoardText());
    RecordingPause pause;
    referee::RefereeOptions options;
    options.first = c.first;
    options.second = c.second;
    options.programFolder = QString::fromStdString(folder.Path());
    options.tickMs = 0;
    options.engineWaitMs = c.engine == "gnubg" ? 10000 : 300;
    referee::Referee ref(options, &pause);
    QStringList printed;
    ref.Print = [&](const QString& text) { printed << text; };
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

    EXPECT_EQ(printed.count(game::SeatTroubleText), c.told ? 1 : 0);
    const bool firstHuman = c.first != Computer && c.first != Engine;
    const bool secondHuman = c.second != Computer && c.second != Engine;
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
                  testclient::Fault::OutOfRange, testclient::Fault::Garbage}},
        GameCase{
            "EngineAgainstComputer", Engine, Computer, testclient::Pick::First, 7, {}, "gnubg"},
        GameCase{"PersonAgainstEngine", "Иван", Engine, testclient::Pick::Random, 11, {}, "gnubg"},
        GameCase{"EngineThatDies", Engine, Computer, testclient::Pick::First, 13, {}, "die", true}),
    [](const auto& info) { return std::string(info.param.title); });

} // namespace
