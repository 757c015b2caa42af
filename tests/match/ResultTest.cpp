// Points of finished games: the result, the cube, and resignations.
#include "match/match.h"
#include "proc/Positions.h"

#include <gtest/gtest.h>

using namespace match;
using proctest::MakeBoard;

namespace {

struct ValueCase {
    const char* name;
    proctest::Cells cells;
    int loserAtStart;
    Side winner;
    std::array<int, 3> points; // at cube 1, 2, 4
};

const ValueCase valueCases[] = {
    {"white single", {{24, -3}}, 15, proc::White, {1, 2, 4}},
    {"black single", {{6, 14}}, 15, proc::Black, {1, 2, 4}},
    {"white gammon", {{19, -15}}, 15, proc::White, {2, 4, 8}},
    {"black gammon, white home", {{6, 15}}, 15, proc::Black, {2, 4, 8}},
    {"white gammon, point 7", {{7, -1}, {20, -14}}, 15, proc::White, {2, 4, 8}},
    {"black gammon, point 18", {{18, 1}, {5, 14}}, 15, proc::Black, {2, 4, 8}},
    {"white backgammon, point 6", {{6, -1}, {19, -14}}, 15, proc::White, {3, 6, 12}},
    {"white backgammon, bar", {{proc::BlackBar, -1}, {19, -14}}, 15, proc::White, {3, 6, 12}},
    {"black backgammon, point 19", {{19, 1}, {1, 14}}, 15, proc::Black, {3, 6, 12}},
    {"black backgammon, bar", {{proc::WhiteBar, 2}, {1, 13}}, 15, proc::Black, {3, 6, 12}},
    {"three checkers, none off", {{10, -3}}, 3, proc::White, {2, 4, 8}},
    {"three checkers, one off", {{10, -2}}, 3, proc::White, {1, 2, 4}},
};

TEST(GameValue, ResultTimesCube) {
    for (const ValueCase& c : valueCases) {
        const proc::Board board = MakeBoard(c.cells);
        EXPECT_EQ(Winner(board), c.winner) << c.name;
        for (size_t i = 0; i < 3; ++i)
            EXPECT_EQ(GameValue(board, c.loserAtStart, Cube{1 << i, Owner::Centre}), c.points[i])
                << c.name << " at cube " << (1 << i);
    }
}

TEST(GameValue, NothingWhileTheGameGoesOn) {
    for (const proctest::Cells& cells : {proctest::Cells{{1, 1}, {24, -1}}, proctest::Cells{}}) {
        EXPECT_EQ(Winner(MakeBoard(cells)), 0);
        EXPECT_FALSE(GameResult(MakeBoard(cells), 15).has_value());
        EXPECT_EQ(GameValue(MakeBoard(cells), 15, Cube{}), 0);
    }
}

TEST(Pass, DoublerWinsTheValueBeforeTheDouble) {
    const GameOutcome centred = Pass(Cube{}, proc::Black);
    EXPECT_EQ(centred.winner, proc::Black);
    EXPECT_EQ(centred.points, 1);
    const GameOutcome redouble = Pass(Cube{2, Owner::White}, proc::White);
    EXPECT_EQ(redouble.winner, proc::White);
    EXPECT_EQ(redouble.points, 2);
    EXPECT_EQ(Pass(Cube{}, 0).winner, 0);
}

TEST(Resignation, AcceptedOfferGoesToTheOtherSide) {
    struct Case {
        Resignation offer;
        Cube cube;
        GameOutcome expected;
    };
    const Case cases[] = {
        {{proc::White, Result::Single}, {1, Owner::Centre}, {proc::Black, 1}},
        {{proc::White, Result::Gammon}, {2, Owner::Black}, {proc::Black, 4}},
        {{proc::Black, Result::Backgammon}, {4, Owner::Black}, {proc::White, 12}},
        {{proc::Black, static_cast<Result>(9)}, {1, Owner::Centre}, {proc::White, 3}},
        {{0, Result::Gammon}, {2, Owner::White}, {0, 0}},
    };
    for (const Case& c : cases) {
        const GameOutcome got = Accept(c.offer, c.cube);
        EXPECT_EQ(got.winner, c.expected.winner) << int(c.offer.by) << int(c.offer.level);
        EXPECT_EQ(got.points, c.expected.points) << int(c.offer.by) << int(c.offer.level);
    }
}

} // namespace
