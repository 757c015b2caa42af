// The turn controller step by step on a real loopback socket: the test
// drives the ticks, fixes the dice and puts the game into chosen positions.
#include "EventWait.h"
#include "GameTestSupport.h"

#include "text/Win1251.h"

#include <QTcpSocket>
#include <QTimer>
#include <gtest/gtest.h>

using namespace gametest;
using proc::Move;

namespace {

const QString Computer = game::ComputerName;
const QString Person = QStringLiteral("Иван");

using Waits = std::vector<int>;
using Moves = std::vector<Move>;

// Expected lists are worked out by hand: the engine's own tests carry the
// rules, these check that the controller lists for the right board and dice.
proc::ByteArray ListBytes(proc::Side side, const Moves& moves) {
    proc::ByteArray bytes{proc::MoveListMessage, proc::Biased(side),
                          proc::Biased(static_cast<int32_t>(moves.size()))};
    for (const Move& m : moves) {
        bytes.push_back(static_cast<uint8_t>(m.from));
        bytes.push_back(static_cast<uint8_t>(m.to));
    }
    return bytes;
}

/*! A double lists every move twice, side by side. */
Moves Twice(const Moves& moves) {
    Moves twice;
    for (const Move& m : moves)
        twice.insert(twice.end(), {m, m});
    return twice;
}

// White to play 1 and 2 on the standard position.
const Moves StandardOneTwo = {{6, 5}, {6, 4}, {8, 7}, {8, 6}, {13, 11}, {24, 23}, {24, 22}};

// A person's side on a board where both sides keep checkers, ready to move.
struct PersonRig : Rig {
    PersonRig(QString first = Person, QString second = Computer,
              const std::string& board = StandardBoardText())
        : Rig(first, second, board) {}
    /*! Starts with the first list's player on white (opening 5-2). */
    void Start(ScriptedDice& dice) {
        dice.Push(5, 2);
        dice.Push(1, 2);
        ASSERT_TRUE(Connect());
        ASSERT_TRUE(controller.GameRunning);
        TakeNew();
        pause.Take();
    }
};

// ---- Start of a game -------------------------------------------------------

struct OpeningCase {
    const char* title;
    std::vector<std::pair<int, int>> rolls; // opening rolls, then white's first roll
    bool firstIsWhite;
    int opening1, opening2;
};

class Opening : public ::testing::TestWithParam<OpeningCase> {};

TEST_P(Opening, DoublesAreRolledAgainAndTheHigherDieTakesWhite) {
    const OpeningCase& c = GetParam();
    ScriptedDice dice(c.rolls);
    Rig rig(Person, Computer);
    ASSERT_TRUE(rig.Connect());

    const auto messages = rig.TakeNew();
    // White's first roll is the last scripted one: every other roll was taken
    // before it, and none of the doubles went out.
    EXPECT_EQ(dice.Reads(), static_cast<int>(c.rolls.size()));
    ASSERT_FALSE(messages.empty());
    EXPECT_EQ(proc::FirstDie(messages[0].dice), c.opening1);
    EXPECT_EQ(proc::SecondDie(messages[0].dice), c.opening2);
    const auto [w1, w2] = c.rolls.back();
    EXPECT_EQ(messages[1].bytes, proc::BuildDiceMessage(proc::MakeDice(w1, w2), proc::White));
    EXPECT_EQ(rig.controller.WhiteName, c.firstIsWhite ? Person : Computer);
    EXPECT_EQ(rig.controller.BlackName, c.firstIsWhite ? Computer : Person);
    EXPECT_EQ(rig.controller.WhiteHuman, c.firstIsWhite);
    EXPECT_EQ(rig.controller.BlackHuman, !c.firstIsWhite);
    // White's list goes out only when white is the person.
    EXPECT_EQ(Types(messages), c.firstIsWhite ? "1 2 3" : "1 2");
    EXPECT_EQ(rig.pause.Take(), (Waits{5000, 2000, 100}));
    EXPECT_TRUE(rig.controller.GameRunning);
    EXPECT_EQ(rig.controller.SideToMove, proc::White);
    EXPECT_EQ(rig.controller.MoveStep, 1);
}

INSTANTIATE_TEST_SUITE_P(
    Rolls, Opening,
    ::testing::Values(OpeningCase{"FirstDieHigher", {{5, 2}, {3, 4}}, true, 5, 2},
                      OpeningCase{"SecondDieHigher", {{2, 5}, {3, 4}}, false, 2, 5},
                      OpeningCase{"DoublesFirst", {{3, 3}, {6, 6}, {4, 6}, {2, 2}}, false, 4, 6},
                      OpeningCase{"WhiteMayRollADouble", {{1, 1}, {6, 1}, {5, 5}}, true, 6, 1}),
    [](const auto& info) { return std::string(info.param.title); });

TEST(StartGame, StartMessageCarriesThePositionAndBothLabels) {
    ScriptedDice dice({{6, 1}});
    Rig rig(QStringLiteral("Очень-длинное-имя-игрока"), QStringLiteral("Аня"));
    ASSERT_TRUE(rig.Connect());
    const auto messages = rig.TakeNew();
    ASSERT_GE(messages.size(), 1u);
    proc::Board expected{};
    proc::LoadBoard(expected, rig.folder.Path());
    EXPECT_EQ(messages[0].board, expected);
    EXPECT_EQ(rig.controller.GameBoard, expected);
    // A name of 20 characters or more leaves no room for the suffix.
    EXPECT_EQ(messages[0].whiteLabel, text::ToWin1251Std(QStringLiteral("Очень-длинное-имя-иг")));
    EXPECT_EQ(messages[0].blackLabel, text::ToWin1251Std(QStringLiteral("Аня (чёрные)")));
}

TEST(StartGame, UnreadableInitialPositionStopsTheStartBeforeAnythingIsSent) {
    ScriptedDice dice({{5, 2}});
    Rig rig(Person, Computer, "1 2 x 4");
    rig.dm.AcceptHook = nullptr; // the test runs the start itself
    ASSERT_TRUE(rig.Connect());
    EXPECT_THROW(rig.controller.StartGame(), proc::InOutError);
    ASSERT_TRUE(rig.Sync());
    EXPECT_TRUE(rig.TakeNew().empty());
    EXPECT_FALSE(rig.controller.GameRunning);
    EXPECT_TRUE(rig.pause.waits.empty());
    // Ticks do nothing for a game that never started.
    rig.Tick();
    EXPECT_TRUE(rig.TakeNew().empty());
}

TEST(StartGame, TurnTimerTicksEverySecondFromCreation) {
    Rig rig(Computer, Computer);
    QObject owner;
    QTimer* timer = game::StartTurnTimer(rig.controller, &owner);
    EXPECT_EQ(timer->interval(), 1000);
    EXPECT_TRUE(timer->isActive());
    EXPECT_EQ(timer->parent(), &owner);
}

// ---- Waits and messages of the steps ---------------------------------------

TEST(Steps, ComputerTurnWaitsAndPassesAfterTheSecondMove) {
    ScriptedDice dice({{2, 5}, {6, 2}, {3, 1}});
    Rig rig(Person, Computer); // the computer plays white
    ASSERT_TRUE(rig.Connect());
    rig.TakeNew();
    rig.pause.Take();

    rig.Tick();
    EXPECT_EQ(Types(rig.TakeNew()), "4");
    EXPECT_EQ(rig.pause.Take(), (Waits{3000, 100}));
    EXPECT_EQ(rig.controller.MoveStep, 4);
    rig.Tick();
    EXPECT_EQ(Types(rig.TakeNew()), "4 2 3") << "the pass gives the person a roll and a list";
    EXPECT_EQ(rig.pause.Take(), (Waits{3000, 1000, 100}));
    EXPECT_EQ(rig.controller.SideToMove, proc::Black);
    EXPECT_EQ(rig.controller.GameDice, proc::MakeDice(3, 1));
}

TEST(Steps, PersonMoveWaitsAndListsTheRemainingDie) {
    ScriptedDice dice;
    PersonRig rig;
    rig.Start(dice);
    dice.Push(4, 4); // the computer's roll after the pass

    ASSERT_TRUE(rig.SendMove({13, 11}));
    rig.Tick();
    auto messages = rig.TakeNew();
    ASSERT_EQ(Types(messages), "4 3");
    EXPECT_EQ(messages[0].bytes, proc::BuildMoveMessage(proc::White, {13, 11}));
    EXPECT_EQ(rig.pause.Take(), (Waits{100, 100}));
    EXPECT_EQ(rig.controller.MoveStep, 4);
    EXPECT_EQ(rig.controller.GameDice, proc::MakeDice(1, 1));

    ASSERT_TRUE(rig.SendMove({6, 5}));
    rig.Tick();
    EXPECT_EQ(Types(rig.TakeNew()), "4 2");
    EXPECT_EQ(rig.pause.Take(), (Waits{100, 1000, 100}));
    EXPECT_EQ(rig.controller.SideToMove, proc::Black);
}

TEST(Steps, PersonWithNothingToReadWaitsWithoutSending) {
    ScriptedDice dice;
    PersonRig rig;
    rig.Start(dice);
    const proc::Board before = rig.controller.GameBoard;
    for (int i = 0; i < 3; ++i)
        rig.Tick();
    EXPECT_TRUE(rig.TakeNew().empty());
    EXPECT_TRUE(rig.pause.waits.empty());
    EXPECT_EQ(rig.controller.GameBoard, before);
    EXPECT_TRUE(rig.controller.GameRunning);
}

TEST(Steps, DoubleGivesFourMovesWithAListAfterEachOfTheFirstThree) {
    ScriptedDice dice({{5, 2}, {3, 3}});
    PersonRig rig;
    ASSERT_TRUE(rig.Connect());
    rig.TakeNew();
    const Move moves[] = {{24, 21}, {21, 18}, {13, 10}, {13, 10}};
    const Moves lists[] = {
        Twice({{6, 3}, {8, 5}, {13, 10}, {21, 18}, {24, 21}}),
        Twice({{6, 3}, {8, 5}, {13, 10}, {18, 15}, {24, 21}}),
        Twice({{6, 3}, {8, 5}, {10, 7}, {13, 10}, {18, 15}, {24, 21}}),
    };
    for (int i = 0; i < 4; ++i) {
        SCOPED_TRACE(i);
        const proc::Board before = rig.controller.GameBoard;
        ASSERT_TRUE(rig.SendMove(moves[i]));
        rig.Tick();
        const auto messages = rig.TakeNew();
        // No hits: one checker leaves the source and lands on the target.
        proc::Board after = before;
        --proc::Cell(after, moves[i].from);
        ++proc::Cell(after, moves[i].to);
        EXPECT_EQ(rig.controller.GameBoard, after);
        if (i < 3) {
            ASSERT_EQ(Types(messages), "4 3");
            EXPECT_EQ(rig.controller.MoveStep, i + 2);
            EXPECT_EQ(messages[1].bytes, ListBytes(proc::White, lists[i]));
        } else {
            ASSERT_EQ(Types(messages), "4 2");
            EXPECT_EQ(rig.controller.SideToMove, proc::Black);
        }
    }
}

// ---- The remaining-die rule ---------------------------------------------------

struct RemainingCase {
    const char* title;
    proc::Board board;
    proc::Side side;
    int die1, die2;
    Move move;
    int left1, left2;
    Moves list; // for the dice left
};

class RemainingDie : public ::testing::TestWithParam<RemainingCase> {};

TEST_P(RemainingDie, UsedDieTakesTheOtherDiesValue) {
    const RemainingCase& c = GetParam();
    ScriptedDice dice;
    PersonRig rig(Person, Person);
    rig.Start(dice);
    rig.SetPosition(c.board, proc::MakeDice(c.die1, c.die2), c.side);

    ASSERT_TRUE(rig.SendMove(c.move));
    rig.Tick();
    const auto messages = rig.TakeNew();
    ASSERT_GE(messages.size(), 2u) << Types(messages);
    // The echo is the client's zero-based move one higher in both cells.
    EXPECT_EQ(messages[0].bytes,
              (proc::ByteArray{4, proc::Biased(c.side), static_cast<uint8_t>(c.move.from),
                               static_cast<uint8_t>(c.move.to)}));
    const proc::Dice left = proc::MakeDice(c.left1, c.left2);
    EXPECT_EQ(messages[1].bytes, ListBytes(c.side, c.list));
    EXPECT_EQ(rig.controller.GameDice, left);
    EXPECT_EQ(rig.controller.MoveStep, 4);
}

// One case to a row.
// clang-format off
INSTANTIATE_TEST_SUITE_P(
    Table, RemainingDie,
    ::testing::Values(
        // title, board, side, dice, move, dice left, the list for them
        RemainingCase{"OrdinaryFirstDie", MakeBoard({{13, 5}, {6, 5}, {1, -2}, {19, -5}}),
                      1, 6, 2, {13, 7}, 2, 2, Twice({{6, 4}, {7, 5}, {13, 11}})},
        RemainingCase{"OrdinarySecondDie", MakeBoard({{13, 5}, {6, 5}, {1, -2}, {19, -5}}),
                      1, 6, 2, {13, 11}, 6, 6, Twice({{11, 5}, {13, 7}})},
        RemainingCase{"WhiteEntersWithSecondDie", MakeBoard({{26, 1}, {6, 3}, {1, -2}}),
                      1, 3, 5, {26, 20}, 3, 3, Twice({{6, 3}, {20, 17}})},
        // 19 + 5 lands on white's two checkers on 24.
        RemainingCase{"BlackEntersWithFirstDie", MakeBoard({{25, -1}, {19, -3}, {24, 2}}),
                      -1, 3, 5, {25, 3}, 5, 5, Twice({{3, 8}})},
        // With 6s the highest point left, 2, bears off.
        RemainingCase{"BearOffSmallerOfTwoHigherDice", MakeBoard({{3, 1}, {2, 1}, {20, -2}}),
                      1, 6, 4, {3, 27}, 6, 6, Twice({{2, 27}})},
        RemainingCase{"BearOffSmallerFirstDie", MakeBoard({{3, 1}, {2, 1}, {20, -2}}),
                      1, 4, 6, {3, 27}, 6, 6, Twice({{2, 27}})},
        RemainingCase{"BearOffLargerWhenSmallerFallsShort", MakeBoard({{4, 1}, {1, 1}, {20, -2}}),
                      1, 2, 6, {4, 27}, 2, 2, Twice({{1, 27}})},
        RemainingCase{"BearOffLargerFirstDie", MakeBoard({{4, 1}, {1, 1}, {20, -2}}),
                      1, 6, 2, {4, 27}, 2, 2, Twice({{1, 27}})},
        RemainingCase{"BlackBearsOffExactly", MakeBoard({{23, -1}, {20, -1}, {5, 2}}),
                      -1, 6, 2, {23, 27}, 6, 6, Twice({{20, 27}})}),
    [](const auto& info) { return std::string(info.param.title); });
// clang-format on

// ---- Passes ---------------------------------------------------------------------

TEST(Passes, LastMoveLeavingTheOpponentStuckPassesTwiceInOneStep) {
    ScriptedDice dice;
    PersonRig rig;
    rig.Start(dice);
    // White closes its whole home board; black has a checker on the bar.
    proc::Board board =
        MakeBoard({{1, 2}, {2, 2}, {3, 2}, {4, 2}, {5, 2}, {6, 2}, {13, 2}, {25, -1}, {20, -2}});
    rig.SetPosition(board, proc::MakeDice(2, 2), proc::White, 4);
    dice.Push(3, 5); // black cannot enter
    dice.Push(6, 4); // white's new roll
    ASSERT_TRUE(rig.SendMove({13, 11}));
    rig.Tick();
    const auto messages = rig.TakeNew();
    ASSERT_EQ(Types(messages), "4 2 2 3");
    EXPECT_EQ(messages[1].side, proc::Black);
    EXPECT_EQ(messages[2].bytes, proc::BuildDiceMessage(proc::MakeDice(6, 4), proc::White));
    EXPECT_EQ(rig.pause.Take(), (Waits{100, 1000, 100, 1000, 100}));
    EXPECT_EQ(rig.controller.SideToMove, proc::White);
    EXPECT_EQ(rig.controller.MoveStep, 1);
}

struct PassCase {
    const char* title;
    proc::Board board;
    int die1, die2;
    Move move;
    int stepBefore;
    bool gameOver;
};

class PassAfterMove : public ::testing::TestWithParam<PassCase> {};

TEST_P(PassAfterMove, ClosingCheckPassesWhenNoMoveIsLeft) {
    const PassCase& c = GetParam();
    ScriptedDice dice;
    PersonRig rig;
    rig.Start(dice);
    rig.SetPosition(c.board, proc::MakeDice(c.die1, c.die2), proc::White,
                    static_cast<uint8_t>(c.stepBefore));
    dice.Push(2, 1);
    ASSERT_TRUE(rig.SendMove(c.move));
    rig.Tick();
    const auto messages = rig.TakeNew();
    // The echo, the empty list for the dice still to play, and the pass.
    ASSERT_EQ(Types(messages), "4 3 2");
    EXPECT_EQ(messages[1].bytes, (proc::ByteArray{3, 129, 128}));
    EXPECT_EQ(messages[2].bytes, proc::BuildDiceMessage(proc::MakeDice(2, 1), proc::Black));
    if (c.gameOver) {
        // The pass comes before the end of the game in the same tick.
        ASSERT_EQ(rig.sink.results.size(), 1u);
        EXPECT_EQ(rig.sink.results[0].r, -2);
        EXPECT_EQ(rig.sink.results[0].Winner(), Person);
        EXPECT_FALSE(rig.controller.GameRunning);
        EXPECT_TRUE(testclient::ProcessEventsUntil([&] { return rig.client.Finished(); }));
    } else {
        EXPECT_TRUE(rig.sink.results.empty());
        EXPECT_EQ(rig.controller.SideToMove, proc::Black);
    }
}

INSTANTIATE_TEST_SUITE_P(
    Steps, PassAfterMove,
    ::testing::Values(
        PassCase{
            "LastCheckerBorneOffAtStep1", MakeBoard({{2, 1}, {20, -2}}), 2, 3, {2, 27}, 1, true},
        PassCase{"BlockedAtStep2",
                 MakeBoard({{10, 1}, {24, 1}, {2, -2}, {20, -2}}),
                 4,
                 4,
                 {10, 6},
                 1,
                 false},
        PassCase{"BlockedAtStep3",
                 MakeBoard({{14, 1}, {24, 1}, {6, -2}, {20, -2}}),
                 4,
                 4,
                 {14, 10},
                 2,
                 false},
        PassCase{"BlockedAfterFirstOfTwoDice",
                 MakeBoard({{9, 1}, {3, -2}, {2, -2}, {20, -2}}),
                 6,
                 1,
                 {9, 8},
                 1,
                 false}),
    [](const auto& info) { return std::string(info.param.title); });

// ---- What the client sends --------------------------------------------------------

struct BadInputCase {
    const char* title;
    proc::ByteArray bytes;
    bool listAgain; // false: dropped without a word
    // White to move with 1 and 2; 24 -> 23 is always legal.
    std::string board = StandardBoardText();
    Moves list = StandardOneTwo;
};

class BadInput : public ::testing::TestWithParam<BadInputCase> {};

TEST_P(BadInput, BoardNeverChangesAndTheGameGoesOn) {
    const BadInputCase& c = GetParam();
    ScriptedDice dice;
    PersonRig rig(Person, Computer, c.board);
    rig.Start(dice);
    const proc::Board before = rig.controller.GameBoard;

    ASSERT_TRUE(rig.SendRaw(c.bytes));
    rig.Tick();
    const auto messages = rig.TakeNew();
    EXPECT_EQ(rig.controller.GameBoard, before);
    EXPECT_EQ(rig.controller.MoveStep, 1);
    EXPECT_EQ(rig.controller.GameDice, proc::MakeDice(1, 2));
    EXPECT_TRUE(rig.controller.GameRunning);
    if (c.listAgain) {
        ASSERT_EQ(Types(messages), "3");
        EXPECT_EQ(messages[0].bytes, ListBytes(proc::White, c.list));
        EXPECT_EQ(rig.pause.Take(), (Waits{100}));
    } else {
        EXPECT_TRUE(messages.empty());
        EXPECT_TRUE(rig.pause.Take().empty());
    }

    // A proper move afterwards is played.
    ASSERT_TRUE(rig.SendMove({24, 23}));
    rig.Tick();
    EXPECT_EQ(Types(rig.TakeNew()), "4 3");
    EXPECT_EQ(proc::Cell(rig.controller.GameBoard, 23), 1);
}

INSTANTIATE_TEST_SUITE_P(
    Kinds, BadInput,
    ::testing::Values(BadInputCase{"FirstByteNotOne", {7, 0, 23, 22}, false},
                      BadInputCase{"ThreeBytes", {1, 0, 23}, true},
                      BadInputCase{"OneByte", {1}, true},
                      BadInputCase{"NotInTheList", {1, 0, 12, 11}, true},
                      BadInputCase{"OpponentsChecker", {1, 0, 0, 1}, true},
                      BadInputCase{"FromTheBarWithNothingThere", {1, 0, 25, 22}, true},
                      BadInputCase{"CellsBeyondTheBoard", {1, 0, 200, 250}, true},
                      BadInputCase{"TargetBeyondBearOff", {1, 0, 5, 27}, true},
                      // The missing fourth byte would read as cell 1, and 3 -> 1 is listed.
                      BadInputCase{"ThreeBytesOfAListedMove",
                                   {1, 0, 2},
                                   true,
                                   BoardText(MakeBoard({{24, 1}, {3, 1}, {19, -2}})),
                                   {{3, 2}, {3, 1}, {24, 23}, {24, 22}}}),
    [](const auto& info) { return std::string(info.param.title); });

TEST(ReadGate, TwoMovesInOneReceiveOnlyTheFirstIsPlayed) {
    ScriptedDice dice;
    PersonRig rig;
    rig.Start(dice);
    proc::ByteArray both = proc::BuildClientMoveMessage({24, 23});
    const proc::ByteArray second = proc::BuildClientMoveMessage({13, 11});
    both.insert(both.end(), second.begin(), second.end());
    ASSERT_TRUE(rig.SendRaw(both));
    rig.Tick();
    EXPECT_EQ(Types(rig.TakeNew()), "4 3");
    rig.Tick(); // the second move went with the first receive: nothing more
    EXPECT_TRUE(rig.TakeNew().empty());
    EXPECT_EQ(proc::Cell(rig.controller.GameBoard, 23), 1);
    EXPECT_EQ(proc::Cell(rig.controller.GameBoard, 13), 5);
    EXPECT_EQ(rig.controller.MoveStep, 4);
}

TEST(ReadGate, BytesForgottenByASendWaitForTheNextNotification) {
    ScriptedDice dice({{2, 5}, {1, 2}, {6, 5}});
    Rig rig(Person, Computer); // the computer plays white first
    ASSERT_TRUE(rig.Connect());
    rig.TakeNew();
    // An early move from the client: announced, then forgotten by the sends.
    ASSERT_TRUE(rig.SendMove({1, 2}));
    rig.Tick();
    rig.Tick(); // white's two moves, the pass and black's list
    EXPECT_EQ(Types(rig.TakeNew()), "4 4 2 3");
    EXPECT_EQ(rig.dm.PendingReads, 0);
    const proc::Board before = rig.controller.GameBoard;
    rig.Tick();
    EXPECT_TRUE(rig.TakeNew().empty()) << "nothing may be read without a new notification";

    // The next notification's receive returns the old bytes first; the early
    // move is no move of black's list, so it is refused.
    ASSERT_TRUE(rig.SendMove({12, 17}));
    rig.Tick();
    EXPECT_EQ(Types(rig.TakeNew()), "3");
    EXPECT_EQ(rig.controller.GameBoard, before);
}

// ---- Connection --------------------------------------------------------------------

TEST(Connection, ClientLeavingMidGameStopsItWithoutAResult) {
    ScriptedDice dice;
    PersonRig rig;
    rig.Start(dice);
    rig.client.Disconnect();
    ASSERT_TRUE(testclient::ProcessEventsUntil([&] { return !rig.dm.ClientConnected; }));
    EXPECT_FALSE(rig.controller.GameRunning);
    EXPECT_EQ(rig.dm.ListeningPort(), 0) << "the socket closes";
    rig.Tick();
    EXPECT_TRUE(rig.sink.results.empty());
}

TEST(Connection, SecondConnectionDoesNotRestartTheGame) {
    ScriptedDice dice;
    PersonRig rig;
    rig.Start(dice);
    ASSERT_TRUE(rig.SendMove({24, 23}));
    rig.Tick();
    rig.TakeNew();
    const proc::Board board = rig.controller.GameBoard;

    QTcpSocket stray;
    bool strayClosed = false;
    QObject::connect(&stray, &QTcpSocket::disconnected, [&] { strayClosed = true; });
    stray.connectToHost(QHostAddress::LocalHost, rig.dm.ListeningPort());
    ASSERT_TRUE(testclient::ProcessEventsUntil([&] { return strayClosed; }));
    EXPECT_EQ(stray.bytesAvailable(), 0) << "nothing is sent to a refused connection";
    EXPECT_EQ(rig.controller.GameBoard, board);
    EXPECT_EQ(rig.controller.MoveStep, 4);
    EXPECT_TRUE(rig.TakeNew().empty());
    EXPECT_TRUE(rig.dm.ClientConnected);
}

TEST(EndOfGame, StopsClosesAndHandsTheResultOver) {
    ScriptedDice dice({{2, 5}, {6, 5}});
    // The computer plays white and bears off its last checker at once.
    Rig rig(Person, Computer, BoardText(MakeBoard({{5, 1}, {20, -3}})));
    std::vector<std::string> order;
    rig.controller.CloseDialogHook = [&] {
        order.push_back(rig.dm.ListeningPort() != 0 ? "dialog closed, socket open" : "late");
        rig.controller.FormClose();
    };
    ASSERT_TRUE(rig.Connect());
    rig.Tick();
    ASSERT_EQ(rig.sink.results.size(), 1u);
    const game::GameResult& r = rig.sink.results[0];
    EXPECT_EQ(r.r, -3);
    EXPECT_EQ(r.whiteName, Computer);
    EXPECT_EQ(r.blackName, Person);
    EXPECT_FALSE(r.whiteHuman);
    EXPECT_TRUE(r.blackHuman);
    EXPECT_EQ(r.Margin(), 3);
    EXPECT_EQ(order, std::vector<std::string>{"dialog closed, socket open"});
    EXPECT_FALSE(rig.controller.GameRunning);
    EXPECT_EQ(rig.dm.ListeningPort(), 0);
    EXPECT_TRUE(testclient::ProcessEventsUntil([&] { return rig.client.Finished(); }));
    EXPECT_EQ(Types(rig.client.Messages()), "1 2 4") << "the last echo arrives before the close";
}

TEST(EndOfGame, TheAnnouncementFindsTheGameStoppedAndTicksUnderItDoNothing) {
    ScriptedDice dice({{2, 5}, {6, 5}});
    Rig rig(Person, Computer, BoardText(MakeBoard({{5, 1}, {20, -3}})));
    bool running = true, listening = true, connected = true;
    int64_t sentUnderAnnouncement = -1;
    rig.sink.OnResult = [&] {
        if (rig.sink.results.size() != 1)
            return;
        running = rig.controller.GameRunning;
        listening = rig.dm.ListeningPort() != 0;
        connected = rig.dm.ClientConnected;
        // The message box is modal: the turn timer keeps firing under it.
        const int64_t before = rig.link.sent;
        rig.controller.TimerTimer();
        rig.controller.TimerTimer();
        sentUnderAnnouncement = rig.link.sent - before;
    };
    ASSERT_TRUE(rig.Connect());
    rig.Tick();
    EXPECT_EQ(rig.sink.results.size(), 1u) << "the game ends once";
    EXPECT_FALSE(running);
    EXPECT_FALSE(listening);
    EXPECT_FALSE(connected);
    EXPECT_EQ(sentUnderAnnouncement, 0);
}

} // namespace
