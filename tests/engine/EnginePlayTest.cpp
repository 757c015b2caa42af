// The engine's answers read as hops, and the hops as the single moves the
// referee plays: worked out by hand for both colours, and checked against
// every turn of self-play games.
#include "engine/EnginePlay.h"
#include "proc/Positions.h"

#include "PlayedTurns.h"

#include <gtest/gtest.h>
#include <string>

using engine::Hop;
using proc::Move;
using proctest::Cells;
using proctest::MakeBoard;

namespace engine {
inline std::ostream& operator<<(std::ostream& out, const Hop& h) {
    return out << h.from << "/" << h.to;
}
} // namespace engine

namespace {

using Hops = std::optional<std::vector<Hop>>;
using Steps = std::optional<std::vector<Move>>;
using Ms = std::vector<Move>;

TEST(ParsePlay, ReadsEveryWayAPlayIsWritten) {
    const struct {
        const char* answer;
        Hops hops;
    } cases[] = {
        {"8/5 6/5 \n", std::vector<Hop>{{8, 5}, {6, 5}}},
        {"25/22", std::vector<Hop>{{25, 22}}},
        {"bar/22", std::vector<Hop>{{25, 22}}},
        {"6/0", std::vector<Hop>{{6, 0}}},
        {"6/off", std::vector<Hop>{{6, 0}}},
        {"13/7(2)", std::vector<Hop>{{13, 7}, {13, 7}}},
        {"24/18*/13", std::vector<Hop>{{24, 18}, {18, 13}}},
        {"24/13", std::vector<Hop>{{24, 13}}},
        {"24/18*/13(2)", std::vector<Hop>{{24, 18}, {18, 13}, {24, 18}, {18, 13}}},
        {"24/18 24/18 13/7 13/7", std::vector<Hop>{{24, 18}, {24, 18}, {13, 7}, {13, 7}}},
        {"bar/20* 6/off\r\n", std::vector<Hop>{{25, 20}, {6, 0}}},
        {"  8/5\t6/5  ", std::vector<Hop>{{8, 5}, {6, 5}}},
        {"", std::vector<Hop>{}},
        // Not a play.
        {"garbage", std::nullopt},
        {"Error: badly formed board", std::nullopt},
        {"8/5 6/5 13/10 24/23 2/1", std::nullopt}, // five moves
        {"13/7(3) 8/2(2)", std::nullopt},
        {"24/18*/13(3)", std::nullopt},
        {"5/8", std::nullopt}, // away from home
        {"6/6", std::nullopt},
        {"off/3", std::nullopt},
        {"6/bar", std::nullopt},
        {"8/5/", std::nullopt},
        {"8//5", std::nullopt},
        {"8*/5", std::nullopt},
        {"8/5(0)", std::nullopt},
        {"8/5(5)", std::nullopt},
        {"8/5,6/5", std::nullopt},
        {"8/5\n6/5", std::nullopt},
        {"8/5 x", std::nullopt},
        {"8/99999999999999999999", std::nullopt},
    };
    for (const auto& c : cases)
        EXPECT_EQ(engine::ParsePlay(c.answer), c.hops) << '"' << c.answer << '"';
}

// Black's board for white's: each point seen from the other side.
proc::Board Mirror(const proc::Board& white) {
    proc::Board black{};
    for (int k = 1; k <= 24; ++k)
        proc::Cell(black, k) = -proc::Cell(white, 25 - k);
    proc::Cell(black, proc::BlackBar) = -proc::Cell(white, proc::WhiteBar);
    proc::Cell(black, proc::WhiteBar) = -proc::Cell(white, proc::BlackBar);
    return black;
}

TEST(TurnSteps, SingleMovesOfAnswersForEachColour) {
    // Each position is white's to move; black moves in its mirror image.
    const struct {
        const char* answer;
        Cells white;
        int die1, die2;
        Steps whiteSteps;
        Steps blackSteps;
    } cases[] = {
        // clang-format off
        {"bar/22", {{26, 1}, {6, 2}, {19, -2}}, 3, 1, Ms{{26, 22}}, Ms{{25, 3}}},
        {"6/0", {{6, 1}, {3, 2}, {20, -2}}, 6, 2, Ms{{6, 27}}, Ms{{19, 27}}},
        {"13/7(2)", {{13, 2}, {24, 1}, {1, -2}}, 6, 6, Ms{{13, 7}, {13, 7}}, Ms{{12, 18}, {12, 18}}},
        {"24/18*/13", {{24, 1}, {6, 5}, {18, -1}}, 6, 5, Ms{{24, 18}, {18, 13}}, Ms{{1, 7}, {7, 12}}},
        {"24/13*", {{24, 1}, {13, -1}}, 6, 5, Ms{{24, 18}, {18, 13}}, Ms{{1, 7}, {7, 12}}},
        // The middle point is the open one; passing a blot does not hit it.
        {"24/13", {{24, 1}, {18, -2}}, 6, 5, Ms{{24, 19}, {19, 13}}, Ms{{1, 6}, {6, 12}}},
        {"24/13", {{24, 1}, {19, -1}}, 5, 6, Ms{{24, 18}, {18, 13}}, Ms{{1, 7}, {7, 12}}},
        {"24/13", {{24, 1}, {18, -2}, {19, -2}}, 6, 5, std::nullopt, std::nullopt},
        {"8/5 6/5", {{8, 1}, {6, 1}}, 3, 1, Ms{{8, 5}, {6, 5}}, Ms{{17, 20}, {19, 20}}},
        // Written in an order that cannot be played as written.
        {"18/13 24/18", {{24, 1}}, 6, 5, Ms{{24, 18}, {18, 13}}, Ms{{1, 7}, {7, 12}}},
        {"21/17(2) 25/21(2)", {{26, 2}}, 4, 4, Ms{{26, 21}, {26, 21}, {21, 17}, {21, 17}},
         Ms{{25, 4}, {25, 4}, {4, 8}, {4, 8}}},
        // The larger die bears off; the remaining die plays the smaller.
        {"4/0 2/1", {{4, 1}, {2, 1}}, 6, 1, Ms{{4, 27}, {2, 1}}, Ms{{21, 27}, {23, 24}}},
        {"24/16", {{24, 1}}, 2, 2, Ms{{24, 22}, {22, 20}, {20, 18}, {18, 16}},
         Ms{{1, 3}, {3, 5}, {5, 7}, {7, 9}}},
        {"", {{24, 1}}, 2, 2, Ms{}, Ms{}},
        // Not the roll's.
        {"24/20", {{24, 1}}, 6, 5, std::nullopt, std::nullopt},
        {"24/18 18/12", {{24, 1}}, 6, 5, std::nullopt, std::nullopt},
        {"8/5 6/5 13/10", {{8, 1}, {6, 1}, {13, 1}}, 3, 1, std::nullopt, std::nullopt},
        {"13/7", {{13, 1}, {7, -2}}, 6, 1, std::nullopt, std::nullopt},
        {"8/5", {{26, 1}, {8, 1}}, 3, 1, std::nullopt, std::nullopt}, // still on the bar
        {"6/0", {{6, 1}, {9, 1}}, 6, 2, std::nullopt, std::nullopt},  // not all home
        // clang-format on
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.answer);
        const proc::Board board = MakeBoard(c.white);
        const proc::Dice dice = proc::MakeDice(c.die1, c.die2);
        const Hops hops = engine::ParsePlay(c.answer);
        const auto steps = [&](const proc::Board& b, proc::Side side) -> Steps {
            return hops ? engine::TurnSteps(b, side, dice, *hops) : std::nullopt;
        };
        EXPECT_EQ(steps(board, proc::White), c.whiteSteps) << "white";
        EXPECT_EQ(steps(Mirror(board), proc::Black), c.blackSteps) << "black";
    }
}

TEST(TurnSteps, HopsNoAnswerCanHoldAreRefused) {
    const proc::Board board = MakeBoard({{24, 2}, {13, 2}});
    const proc::Dice dice = proc::MakeDice(2, 2);
    for (const std::vector<Hop>& hops :
         {std::vector<Hop>{{24, 22}, {24, 22}, {13, 11}, {13, 11}, {22, 20}},
          std::vector<Hop>{{0, -2}}, std::vector<Hop>{{26, 24}}, std::vector<Hop>{{13, 15}},
          std::vector<Hop>{{24, 24}}})
        EXPECT_EQ(engine::TurnSteps(board, proc::White, dice, hops), std::nullopt) << hops[0];
    EXPECT_EQ(engine::TurnSteps(board, 0, dice, {{24, 22}}), std::nullopt);
}

TEST(TurnSteps, EveryTurnOfSelfPlayGamesComesBack) {
    // The built-in chooser's turns written as plays come back as its moves.
    const proc::Board start =
        MakeBoard({{1, -2}, {6, 5}, {8, 3}, {12, -5}, {13, 5}, {17, -3}, {19, -5}, {24, 2}});
    size_t checked = 0;
    for (uint64_t seed = 1; seed <= 40; ++seed) {
        for (const selfplay::PlayedTurn& turn : selfplay::PlayTurns(start, seed)) {
            const std::string answer = engine::PlayText(turn.moves, turn.side);
            SCOPED_TRACE(testing::Message() << "seed " << seed << ": " << answer);
            const Hops hops = engine::ParsePlay(answer);
            ASSERT_TRUE(hops);
            const Steps steps = engine::TurnSteps(turn.before, turn.side, turn.dice, *hops);
            ASSERT_TRUE(steps);
            EXPECT_EQ(steps->size(), turn.moves.size());
            proc::Board board = turn.before;
            for (const Move& move : *steps)
                proc::ApplyMove(board, turn.side, move);
            EXPECT_EQ(board, turn.after);
            ++checked;
        }
    }
    EXPECT_GT(checked, 1000u);
}

} // namespace
