// Match play at the controller: the cube before the roll, the answers of
// persons and of the computer, resignations, the Crawford game and the end
// of the match, on a real loopback socket with the test driving the ticks.
#include "GameTestSupport.h"

#include "record/MatchRecord.h"

#include <gtest/gtest.h>

using namespace gametest;

namespace {

const QString Computer = game::ComputerName;
const QString Anna = QStringLiteral("Анна");
const QString Boris = QStringLiteral("Борис");

proc::ByteArray Command(proc::Command command, int level = 0) {
    return proc::BuildClientCommand(command, level);
}

// The match state message's fields, read by hand from its bytes.
struct StateBytes {
    int length, white, black, cube;
    proc::Side owner;
    bool crawford;
};
StateBytes ReadState(const clientproto::Message& m) {
    const auto& b = m.bytes;
    return {b[1] | b[2] << 8, b[3] | b[4] << 8, b[5] | b[6] << 8, 1 << b[7],
            static_cast<proc::Side>(proc::Unbiased(b[8])), b[9] != 0};
}

struct MatchRig : Rig {
    MatchRig(QString first, QString second, int length) : Rig(first, second) {
        controller.MatchLength = length;
    }
    /*! Sends a command and runs the tick that reads it. */
    std::vector<clientproto::Message> Answer(proc::Command command, int level = 0) {
        EXPECT_TRUE(SendRaw(Command(command, level)));
        Tick();
        return TakeNew();
    }
};

// A race white leads by far: ten white checkers left on its 4 point (40
// pips), black's fifteen still on its 6, 12 and 13 points (155 pips).
proc::Board WhiteFarAhead() {
    return MakeBoard({{4, 10}, {24 - 5, -5}, {13, -5}, {12, -5}});
}

} // namespace

TEST(MatchFlow, PersonToMoveDecidesOnTheCubeBeforeAnyRoll) {
    ScriptedDice dice({{5, 2}, {3, 1}});
    MatchRig rig(Anna, Computer, 5);
    ASSERT_TRUE(rig.Connect());
    const auto start = rig.TakeNew();
    // Start, the match's state, then the person's cube turn: no dice yet.
    ASSERT_EQ(Types(start), "1 5 6");
    const StateBytes s = ReadState(start[1]);
    EXPECT_EQ(s.length, 5);
    EXPECT_EQ(s.white + s.black, 0);
    EXPECT_EQ(s.cube, 1);
    EXPECT_EQ(s.owner, 0);
    EXPECT_EQ(start[2].side, proc::White);
    EXPECT_EQ(dice.Reads(), 1);

    // Rolling gives the dice and the list, as in a single game.
    const auto rolled = rig.Answer(proc::Command::Roll);
    EXPECT_EQ(Types(rolled), "2 3");
    EXPECT_EQ(rolled[0].dice, proc::MakeDice(3, 1));
}

// The computer answers a person's double by the position: the standard start
// is even (take); a race it trails by far is a pass, which ends the game at
// the cube's value before the double.
struct AnswerCase {
    const char* title;
    bool farAhead;
    bool taken;
};
class ComputerAnswers : public ::testing::TestWithParam<AnswerCase> {};

TEST_P(ComputerAnswers, ADoubleByThePersonToMove) {
    const AnswerCase& c = GetParam();
    ScriptedDice dice({{5, 2}, {3, 1}, {5, 2}});
    MatchRig rig(Anna, Computer, 5);
    ASSERT_TRUE(rig.Connect());
    rig.TakeNew();
    if (c.farAhead)
        rig.SetPosition(WhiteFarAhead(), 0, proc::White);
    const auto answered = rig.Answer(proc::Command::Double);
    ASSERT_GE(answered.size(), 3u);
    EXPECT_EQ(answered[0].bytes, proc::BuildDoubleMessage(proc::White, 2, false));
    EXPECT_EQ(answered[1].bytes, proc::BuildDoubleAnswerMessage(proc::Black, c.taken));
    if (c.taken) {
        EXPECT_EQ(Types(answered), "7 8 5 2 3");
        const StateBytes s = ReadState(answered[2]);
        EXPECT_EQ(s.cube, 2);
        EXPECT_EQ(s.owner, proc::Black);
        EXPECT_TRUE(rig.sink.results.empty());
    } else {
        // The pass: white wins one point, the next game starts at 1:0.
        EXPECT_EQ(answered[2].bytes, proc::BuildGameOverMessage(proc::White, 1, 1, false));
        ASSERT_GE(answered.size(), 5u);
        EXPECT_EQ(answered[3].type, proc::StartMessage);
        const StateBytes s = ReadState(answered[4]);
        EXPECT_EQ(s.white, 1);
        EXPECT_EQ(s.black, 0);
        EXPECT_EQ(s.cube, 1);
        ASSERT_EQ(rig.controller.Match.games.size(), 1u);
        EXPECT_EQ(rig.controller.Match.games[0].end, record::GameEnd::Pass);
    }
}

INSTANTIATE_TEST_SUITE_P(Positions, ComputerAnswers,
                         ::testing::Values(AnswerCase{"EvenStartIsTaken", false, true},
                                           AnswerCase{"LostRaceIsPassed", true, false}),
                         [](const auto& info) { return std::string(info.param.title); });

// Two persons at one client: the taker answers with its own buttons, the cube
// turns to the taker, and only the owner may double again.
TEST(MatchFlow, PersonsDoubleTakeRedoubleAndPass) {
    ScriptedDice dice({{5, 2}, {6, 5}, {4, 3}, {5, 2}});
    MatchRig rig(Anna, Boris, 7);
    ASSERT_TRUE(rig.Connect());
    rig.TakeNew();
    const auto offered = rig.Answer(proc::Command::Double);
    ASSERT_EQ(Types(offered), "7");
    EXPECT_EQ(offered[0].bytes, proc::BuildDoubleMessage(proc::White, 2, true));
    // A move or a roll from the client now is not an answer.
    EXPECT_TRUE(rig.Answer(proc::Command::Roll).empty());
    const auto taken = rig.Answer(proc::Command::Take);
    ASSERT_EQ(Types(taken), "8 5 2 3");
    EXPECT_EQ(ReadState(taken[1]).owner, proc::Black);

    // White plays its 6-5; black, owning the cube, gets the cube turn.
    ASSERT_TRUE(rig.SendMove({24, 18}));
    rig.Tick();
    ASSERT_TRUE(rig.SendMove({18, 13}));
    rig.Tick();
    const auto blackTurn = rig.TakeNew();
    ASSERT_FALSE(blackTurn.empty());
    EXPECT_EQ(blackTurn.back().type, proc::CubeTurnMessage);
    EXPECT_EQ(blackTurn.back().side, proc::Black);

    const auto redouble = rig.Answer(proc::Command::Double);
    EXPECT_EQ(redouble[0].bytes, proc::BuildDoubleMessage(proc::Black, 4, true));
    const auto passed = rig.Answer(proc::Command::Pass);
    // Black wins the 2 the cube held before the redouble.
    ASSERT_GE(passed.size(), 2u);
    EXPECT_EQ(passed[1].bytes, proc::BuildGameOverMessage(proc::Black, 2, 1, false));
    const record::MatchGame& game = rig.controller.Match.games.at(0);
    ASSERT_EQ(game.cube.size(), 2u);
    EXPECT_EQ(game.cube[0].turn, 0);
    EXPECT_EQ(game.cube[1].turn, 1);
    EXPECT_EQ(game.cube[1].doubler, proc::Black);
    EXPECT_FALSE(game.cube[1].taken);
}

// Resigning: a gammon offered at the computer's even start is accepted and
// brings the computer to match point; the next game is the Crawford game (no
// cube turn, straight to the roll); a single resigned there ends the match.
TEST(MatchFlow, ResignationsCrawfordGameAndTheMatchsResult) {
    ScriptedDice dice({{5, 2}, {5, 2}, {1, 2}});
    MatchRig rig(Anna, Computer, 3);
    ASSERT_TRUE(rig.Connect());
    rig.TakeNew();

    const auto first = rig.Answer(proc::Command::Resign, 2);
    ASSERT_GE(first.size(), 5u);
    EXPECT_EQ(first[0].bytes, proc::BuildResignMessage(proc::White, 2, false));
    EXPECT_EQ(first[1].bytes, proc::BuildResignAnswerMessage(proc::Black, true));
    EXPECT_EQ(first[2].bytes, proc::BuildGameOverMessage(proc::Black, 2, 2, false));
    EXPECT_EQ(first[3].type, proc::StartMessage);
    const StateBytes crawford = ReadState(first[4]);
    EXPECT_TRUE(crawford.crawford);
    EXPECT_EQ(crawford.black, 2);
    EXPECT_EQ(Types(first), "9 10 11 1 5 2 3");

    const auto last = rig.Answer(proc::Command::Resign, 1);
    ASSERT_EQ(Types(last), "9 10 11");
    EXPECT_EQ(last[2].bytes, proc::BuildGameOverMessage(proc::Black, 1, 1, true));
    ASSERT_EQ(rig.sink.results.size(), 1u);
    const game::GameResult& result = rig.sink.results[0];
    EXPECT_EQ(result.Winner(), Computer);
    EXPECT_EQ(result.Loser(), Anna);
    EXPECT_EQ(result.Margin(), 3);
    ASSERT_TRUE(result.match.has_value());
    EXPECT_EQ(result.match->Score(), std::make_pair(0, 3));
    EXPECT_FALSE(rig.controller.GameRunning);

    // The match's text reads back to the same games and score.
    QString error;
    const auto read = record::ReadMatch(result.RecordText(), true, error);
    ASSERT_TRUE(read.has_value()) << error.toStdString();
    EXPECT_EQ(read->Score(), std::make_pair(0, 3));
    ASSERT_EQ(read->games.size(), 2u);
    EXPECT_TRUE(read->games[1].crawford);
    EXPECT_EQ(read->games[0].level, match::Result::Gammon);
    EXPECT_EQ(read->games[0].end, record::GameEnd::Resign);
}

// A refused resignation returns the person to the same decision.
TEST(MatchFlow, RefusedResignationLeavesThePersonWhereTheyWere) {
    ScriptedDice dice({{5, 2}, {1, 2}});
    MatchRig rig(Anna, Boris, 5);
    ASSERT_TRUE(rig.Connect());
    rig.TakeNew();
    EXPECT_EQ(Types(rig.Answer(proc::Command::Resign, 3)), "9");
    const auto refused = rig.Answer(proc::Command::Refuse);
    EXPECT_EQ(Types(refused), "10 6");
    EXPECT_EQ(refused[0].bytes, proc::BuildResignAnswerMessage(proc::Black, false));
    EXPECT_EQ(Types(rig.Answer(proc::Command::Roll)), "2 3");
}

// Two computers play a whole match; what the client was told adds up to the
// result handed over, and the record reads back by the rules to the same.
TEST(MatchFlow, ComputersPlayAWholeMatchThatReadsBack) {
    ScriptedDice dice({}, 777);
    MatchRig rig(Computer, Computer, 5);
    ASSERT_TRUE(rig.Connect());
    for (int tick = 0; tick < 20000 && rig.sink.results.empty(); ++tick)
        rig.Tick();
    ASSERT_EQ(rig.sink.results.size(), 1u);
    const game::GameResult& result = rig.sink.results[0];
    ASSERT_TRUE(result.match.has_value());

    int white = 0, black = 0, overs = 0;
    std::vector<int> told;
    for (const auto& m : rig.client.Messages()) {
        if (m.type == proc::GameOverMessage)
            told.push_back(m.bytes[2] | m.bytes[3] << 8), ++overs;
    }
    const auto& games = result.match->games;
    ASSERT_EQ(static_cast<int>(games.size()), overs);
    for (size_t i = 0; i < games.size(); ++i) {
        EXPECT_EQ(games[i].points, told[i]);
        (games[i].winner == games[i].firstSide ? white : black) += games[i].points;
    }
    EXPECT_EQ(std::make_pair(white, black), result.match->Score());
    EXPECT_GE(std::max(white, black), 5);
    EXPECT_LT(std::min(white, black), 5);
    EXPECT_EQ(result.Margin(), std::abs(white - black));

    QString error;
    const auto read = record::ReadMatch(result.RecordText(), true, error);
    ASSERT_TRUE(read.has_value()) << error.toStdString();
    EXPECT_EQ(read->Score(), result.match->Score());
    ASSERT_EQ(read->games.size(), games.size());
    for (size_t i = 0; i < games.size(); ++i) {
        EXPECT_EQ(read->games[i].cube.size(), games[i].cube.size());
        EXPECT_EQ(read->games[i].points, games[i].points);
    }
}
