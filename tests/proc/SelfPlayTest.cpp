// The self-play loop: turn structure, reproducibility and the command line.
#include "Positions.h"
#include "SelfPlay.h"

#include <gtest/gtest.h>

#include <cstdio>
#include <sstream>

using namespace proc;

namespace {

class Recorder : public selfplay::GameObserver {
  public:
    void OnOpening(Dice dice) override {
        EXPECT_NE(FirstDie(dice), SecondDie(dice));
        EXPECT_TRUE(turns.empty());
        ++openings;
    }
    void OnRoll(Side side, Dice dice) override {
        log << "roll " << int{side} << " " << dice << "\n";
        turns.push_back({side, dice, {}, false});
    }
    void OnMove(const Board&, const Board&, Side side, Dice dice, const MoveList&, int32_t,
                Move chosen) override {
        log << "move " << int{side} << " " << chosen << "\n";
        turns.back().moves.push_back({dice, chosen});
        EXPECT_EQ(side, turns.back().side);
    }
    void OnPass(Side side, Dice) override {
        log << "pass " << int{side} << "\n";
        turns.back().passed = true;
    }

    struct Turn {
        Side side;
        Dice dice;
        std::vector<std::pair<Dice, Move>> moves;
        bool passed;
    };
    std::vector<Turn> turns;
    std::ostringstream log;
    int openings = 0;
};

Board Standard() {
    Board b;
    LoadBoard(b, VERTAN_SOURCE_DIR "/data");
    return b;
}

class SelfPlayTest : public ::testing::Test {
  protected:
    void TearDown() override { SetDiceClock({}); }
};

TEST_F(SelfPlayTest, TurnStructure) {
    SetDiceClock(selfplay::SeededDiceClock(11));
    Recorder r;
    int doubles = 0;
    for (int game = 0; game < 40; ++game) {
        r.turns.clear();
        selfplay::GameSummary s = selfplay::PlayGame(Standard(), &r);
        ASSERT_TRUE(s.finished);
        ASSERT_EQ(r.turns.front().side, White);
        ASSERT_EQ(r.openings, game + 1);
        for (size_t t = 0; t < r.turns.size(); ++t) {
            const auto& turn = r.turns[t];
            if (t > 0) {
                ASSERT_EQ(turn.side, -r.turns[t - 1].side);
            }
            const bool isDouble = FirstDie(turn.dice) == SecondDie(turn.dice);
            doubles += isDouble;
            const size_t full = isDouble ? 4 : 2;
            const bool last = t + 1 == r.turns.size();
            // A turn is cut short only by a pass (or by the end of the game).
            if (!last) {
                ASSERT_EQ(turn.moves.size() == full, !turn.passed) << t;
            }
            ASSERT_LE(turn.moves.size(), full);
            for (size_t m = 0; m < turn.moves.size(); ++m) {
                Dice expected = turn.dice;
                if (!isDouble && m == 1)
                    expected = RemainingDice(turn.moves[0].second, turn.dice);
                ASSERT_EQ(turn.moves[m].first, expected) << t << " " << m;
            }
        }
    }
    EXPECT_GT(doubles, 40);
}

TEST_F(SelfPlayTest, SeededGamesRepeat) {
    Recorder a, b;
    SetDiceClock(selfplay::SeededDiceClock(99));
    selfplay::GameSummary first = selfplay::PlayGame(Standard(), &a);
    SetDiceClock(selfplay::SeededDiceClock(99));
    selfplay::GameSummary second = selfplay::PlayGame(Standard(), &b);
    EXPECT_EQ(a.log.str(), b.log.str());
    EXPECT_EQ(first.result, second.result);
    SetDiceClock(selfplay::SeededDiceClock(100));
    Recorder c;
    selfplay::PlayGame(Standard(), &c);
    EXPECT_NE(a.log.str(), c.log.str());
}

TEST_F(SelfPlayTest, GameThatCannotEndStopsAtTheLimit) {
    selfplay::GameSummary s = selfplay::PlayGame(Board{}, nullptr, 50);
    EXPECT_FALSE(s.finished);
    EXPECT_EQ(s.steps, 50);
    EXPECT_EQ(s.moves, 0);
}

TEST_F(SelfPlayTest, ConstantClockStillStarts) {
    SetDiceClock([] { return 0u; }); // always 1-1: the opening roll never differs
    selfplay::GameSummary s = selfplay::PlayGame(Standard(), nullptr, 10);
    EXPECT_GT(s.moves, 0);
}

TEST_F(SelfPlayTest, SideWithoutCheckersEndsTheGame) {
    // A side without checkers at the start ends the game after the first step;
    // the sign names black, whose checkers are all gone, as the winner.
    Board b = proctest::MakeBoard({{13, 3}});
    selfplay::GameSummary s = selfplay::PlayGame(b);
    EXPECT_TRUE(s.finished);
    EXPECT_EQ(s.result, 3);
    EXPECT_EQ(s.moves, 1);
}

struct ArgsCase {
    std::vector<const char*> args;
    bool ok;
    int64_t games = 1;
    bool seeded = false;
    uint64_t seed = 0;
    std::string board = "Data/Board.cfg";
};

class ParseOptionsTable : public ::testing::TestWithParam<ArgsCase> {};

TEST_P(ParseOptionsTable, Parse) {
    const ArgsCase& c = GetParam();
    std::vector<const char*> argv{"selfplay"};
    argv.insert(argv.end(), c.args.begin(), c.args.end());
    selfplay::Options o;
    std::string error;
    ASSERT_EQ(selfplay::ParseOptions(static_cast<int>(argv.size()), argv.data(), o, error), c.ok)
        << error;
    if (!c.ok) {
        EXPECT_FALSE(error.empty());
        return;
    }
    EXPECT_EQ(o.games, c.games);
    EXPECT_EQ(o.seeded, c.seeded);
    EXPECT_EQ(o.seed, c.seed);
    EXPECT_EQ(o.board, c.board);
}

INSTANTIATE_TEST_SUITE_P(
    SelfPlay, ParseOptionsTable,
    ::testing::Values(
        ArgsCase{{}, true, 1, false, 0, "Data/Board.cfg"},
        ArgsCase{{"--games", "50", "--seed", "7", "--board", "x.cfg"}, true, 50, true, 7, "x.cfg"},
        ArgsCase{{"--seed", "0"}, true, 1, true, 0, "Data/Board.cfg"},
        ArgsCase{{"--games", "0"}, false}, ArgsCase{{"--games", "-3"}, false},
        ArgsCase{{"--games", "5x"}, false}, ArgsCase{{"--games"}, false},
        ArgsCase{{"--seed", "-1"}, false}, ArgsCase{{"--colour", "white"}, false},
        ArgsCase{{"7"}, false}));

std::string RunTool(const std::string& args, int& status) {
    std::string command = std::string(VERTAN_PROGRAM_DIR) + "/selfplay " + args + " 2>&1";
    std::string out;
    FILE* pipe = popen(command.c_str(), "r");
    if (!pipe)
        return out;
    char buffer[4096];
    size_t n;
    while ((n = fread(buffer, 1, sizeof buffer, pipe)) > 0)
        out.append(buffer, n);
    status = pclose(pipe);
    return out;
}

const std::string boardArg = "--board " VERTAN_SOURCE_DIR "/data/Data/Board.cfg";

TEST(SelfPlayTool, OneSeededGamePrintsMovesAndResultReproducibly) {
    int status = -1;
    std::string first = RunTool("--seed 5 " + boardArg, status);
    EXPECT_EQ(status, 0);
    std::string second = RunTool("--seed 5 " + boardArg, status);
    EXPECT_EQ(first, second);
    EXPECT_EQ(first.rfind("opening roll ", 0), 0u);
    EXPECT_NE(first.find("white rolls "), std::string::npos);
    EXPECT_NE(first.find("  black "), std::string::npos);
    EXPECT_NE(first.find(" wins by "), std::string::npos);
}

TEST(SelfPlayTool, SummaryOfManyGames) {
    int status = -1;
    std::string out = RunTool("--games 20 --seed 3 " + boardArg, status);
    EXPECT_EQ(status, 0);
    for (const char* line :
         {"games: 20\n", "moves per game: ", "wins: white ", "mean margin: ", "games per second: "})
        EXPECT_NE(out.find(line), std::string::npos) << line << "\n" << out;
}

TEST(SelfPlayTool, BadArgumentsAndMissingBoard) {
    int status = -1;
    std::string out = RunTool("--games zero", status);
    EXPECT_NE(status, 0);
    EXPECT_NE(out.find("usage: selfplay"), std::string::npos);
    out = RunTool("--board /nonexistent/Board.cfg", status);
    EXPECT_NE(status, 0);
    EXPECT_NE(out.find("file not found"), std::string::npos);
}

} // namespace
