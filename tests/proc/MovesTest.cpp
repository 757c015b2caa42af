// Reference positions for the move generator, move application, the end of
// the game and the remaining-die rule.
#include "Positions.h"

#include <gtest/gtest.h>

using namespace proc;
using proctest::Cells;
using proctest::List;
using proctest::MakeBoard;

namespace {

struct ListCase {
    const char* name;
    Cells cells;
    Dice dice;
    Side side;
    std::vector<Move> expected;
};

const ListCase listCases[] = {
    // Entering from the bar.
    {"white enters on an open point and hits",
     {{26, 1}, {19, -2}, {22, -1}, {13, 5}},
     0x0306,
     White,
     {{26, 22}}},
    {"white enters with both dice",
     {{26, 2}, {21, 1}, {13, 5}},
     MakeDice(4, 1),
     White,
     {{26, 21}, {26, 24}}},
    {"white shut out", {{26, 1}, {19, -2}, {22, -3}, {13, 5}}, 0x0306, White, {}},
    {"black closed point with a double", {{25, -1}, {4, 2}, {12, -5}}, MakeDice(4, 4), Black, {}},
    {"black enters on empty and own",
     {{25, -1}, {5, -3}, {12, -5}},
     MakeDice(2, 5),
     Black,
     {{25, 2}, {25, 5}}},
    {"black enters hitting one white",
     {{25, -2}, {3, 1}, {6, 2}},
     MakeDice(3, 6),
     Black,
     {{25, 3}}},
    {"black enters twice with a double", {{25, -1}}, MakeDice(2, 2), Black, {{25, 2}, {25, 2}}},
    // Either bar cell showing the side's colour puts it on the bar.
    {"white count on black's bar cell",
     {{25, 1}, {13, 2}},
     MakeDice(3, 1),
     White,
     {{26, 22}, {26, 24}}},
    {"bar of the other side does not matter",
     {{25, -1}, {13, 1}},
     MakeDice(3, 1),
     White,
     {{13, 10}, {13, 12}}},

    // Ordinary moves, blocks and order.
    {"white order by source then die",
     {{13, 2}, {8, 3}},
     MakeDice(5, 3),
     White,
     {{8, 3}, {8, 5}, {13, 8}, {13, 10}}},
    {"white blocked by two, hits one",
     {{13, 2}, {8, -2}, {10, -1}},
     MakeDice(5, 3),
     White,
     {{13, 10}}},
    {"black moves upwards",
     {{1, -2}, {12, -1}},
     MakeDice(6, 5),
     Black,
     {{1, 7}, {1, 6}, {12, 18}, {12, 17}}},
    {"black never moves beyond 24 outside home",
     {{22, -1}, {10, -1}},
     MakeDice(3, 1),
     Black,
     {{10, 13}, {10, 11}, {22, 23}}},
    {"white never moves below 1 outside home",
     {{3, 1}, {9, 1}},
     MakeDice(4, 2),
     White,
     {{3, 1}, {9, 5}, {9, 7}}},
    {"double lists every move twice",
     {{13, 1}, {6, 1}, {2, -2}},
     MakeDice(4, 4),
     White,
     {{13, 9}, {13, 9}}},
    {"double with two sources",
     {{12, -1}, {1, -1}},
     MakeDice(3, 3),
     Black,
     {{1, 4}, {1, 4}, {12, 15}, {12, 15}}},

    // White bears off.
    {"white higher die from the highest point",
     {{5, 1}, {2, 1}},
     MakeDice(6, 1),
     White,
     {{2, 1}, {5, 4}, {5, 27}}},
    {"white die below the highest point cannot bear off",
     {{5, 1}, {2, 1}},
     MakeDice(3, 3),
     White,
     {{5, 2}, {5, 2}}},
    {"white exact with both dice",
     {{6, 2}, {4, 1}},
     MakeDice(6, 4),
     White,
     {{6, 2}, {6, 27}, {4, 27}}},
    {"white opposing checkers do not block higher die",
     {{3, 1}, {5, -2}},
     MakeDice(6, 4),
     White,
     {{3, 27}, {3, 27}}},
    {"white die 1 needs a checker on point 1", {{3, 1}}, MakeDice(1, 2), White, {{3, 2}, {3, 1}}},
    {"white die 1 bears off exactly",
     {{1, 2}, {2, 1}},
     MakeDice(1, 1),
     White,
     {{2, 1}, {2, 1}, {1, 27}, {1, 27}}},
    {"white with a checker outside home bears nothing off",
     {{7, 1}, {3, 3}, {1, 2}},
     MakeDice(6, 3),
     White,
     {{7, 1}, {7, 4}}},
    {"black checker on white's point 1 keeps white home",
     {{1, -1}, {4, 1}},
     MakeDice(6, 4),
     White,
     {{4, 27}, {4, 27}}},
    {"white black bar does not keep white from home",
     {{25, -1}, {2, 1}},
     MakeDice(5, 2),
     White,
     {{2, 27}, {2, 27}}},

    // Black bears off.
    {"black higher die and exact",
     {{20, -1}, {23, -1}},
     MakeDice(6, 2),
     Black,
     {{20, 22}, {20, 27}, {23, 27}}},
    {"black higher die from the lowest point",
     {{22, -1}, {24, -1}},
     MakeDice(5, 4),
     Black,
     {{22, 27}, {22, 27}}},
    {"black die below the lowest point cannot bear off",
     {{20, -1}, {24, -2}},
     MakeDice(3, 3),
     Black,
     {{20, 23}, {20, 23}}},
    {"black die 1 needs a checker on point 24",
     {{22, -1}},
     MakeDice(1, 1),
     Black,
     {{22, 23}, {22, 23}}},
    {"black exact on 24 with die 1",
     {{24, -2}, {19, -1}},
     MakeDice(1, 6),
     Black,
     {{19, 20}, {24, 27}, {19, 27}}},
    {"black with a checker outside home bears nothing off",
     {{18, -1}, {23, -1}},
     MakeDice(2, 6),
     Black,
     {{18, 20}, {18, 24}}},
    // Dice never come from outside, but a die outside 1..6 must not move anything.
    {"die outside 1..6 gives no move", {{13, 2}, {3, 1}}, MakeDice(0, 9), White, {}},
    {"one good die of two", {{20, -1}, {25, 0}}, MakeDice(2, 7), Black, {{20, 22}}},
    {"bar with bad dice", {{26, 1}}, MakeDice(0, 25), White, {}},
    {"black closed points in home",
     {{19, -1}, {21, 2}, {24, 3}},
     MakeDice(6, 5),
     Black,
     {{19, 27}}},
};

class ListMovesTable : public ::testing::TestWithParam<ListCase> {};

TEST_P(ListMovesTable, ExactList) {
    const ListCase& c = GetParam();
    Board board = MakeBoard(c.cells);
    EXPECT_EQ(List(board, c.dice, c.side), c.expected) << c.name;
}

INSTANTIATE_TEST_SUITE_P(Rules, ListMovesTable, ::testing::ValuesIn(listCases));

TEST(ListMoves, LeavesBoardAndRestOfListAlone) {
    Board board = MakeBoard({{13, 5}, {8, 3}, {6, 5}, {24, 2}, {1, -2}, {12, -5}});
    const Board copy = board;
    MoveList moves;
    moves.fill({-7, -7});
    int32_t n = ListMoves(board, MakeDice(6, 6), White, moves);
    EXPECT_EQ(board, copy);
    ASSERT_GT(n, 0);
    for (size_t i = static_cast<size_t>(n); i < moves.size(); ++i)
        ASSERT_EQ(moves[i], (Move{-7, -7})) << i;
}

TEST(ListMoves, EmptyBoardHasNoMoves) {
    EXPECT_TRUE(List(Board{}, MakeDice(3, 5), White).empty());
    EXPECT_TRUE(List(Board{}, MakeDice(3, 5), Black).empty());
}

struct ApplyCase {
    const char* name;
    Cells before;
    Side side;
    Move move;
    Cells after;
};

const ApplyCase applyCases[] = {
    {"ordinary onto own", {{13, 5}, {8, 3}}, White, {13, 8}, {{13, 4}, {8, 4}}},
    {"white hits black", {{10, 1}, {7, -1}}, White, {10, 7}, {{7, 1}, {25, -1}}},
    {"black enters hitting white",
     {{25, -2}, {4, 1}},
     Black,
     {25, 4},
     {{25, -1}, {4, -1}, {26, 1}}},
    {"white enters on empty", {{26, 2}}, White, {26, 20}, {{26, 1}, {20, 1}}},
    {"white enters hitting black",
     {{26, 1}, {22, -1}, {25, -1}},
     White,
     {26, 22},
     {{22, 1}, {25, -2}}},
    {"white bears off", {{3, 2}, {5, -2}}, White, {3, 27}, {{3, 1}, {5, -2}}},
    {"black bears off last", {{23, -1}, {2, 4}}, Black, {23, 27}, {{2, 4}}},
    {"black hits onto white point",
     {{12, -3}, {15, 1}, {26, 1}},
     Black,
     {12, 15},
     {{12, -2}, {15, -1}, {26, 2}}},
    {"move naming no cell is ignored", {{6, 2}}, White, {0, 3}, {{6, 2}}},
    {"target beyond bear-off is ignored", {{6, 2}}, White, {6, 28}, {{6, 2}}},
    {"bar cell as a target is ignored", {{6, 2}, {25, -1}}, White, {6, 25}, {{6, 2}, {25, -1}}},
};

class ApplyMoveTable : public ::testing::TestWithParam<ApplyCase> {};

TEST_P(ApplyMoveTable, ResultingBoard) {
    const ApplyCase& c = GetParam();
    Board board = MakeBoard(c.before);
    ApplyMove(board, c.side, c.move);
    EXPECT_EQ(board, MakeBoard(c.after)) << c.name;
}

INSTANTIATE_TEST_SUITE_P(Rules, ApplyMoveTable, ::testing::ValuesIn(applyCases));

struct EndCase {
    Cells cells;
    int32_t expected;
};

class CheckGameEndTable : public ::testing::TestWithParam<EndCase> {};

TEST_P(CheckGameEndTable, SignedMargin) {
    EXPECT_EQ(CheckGameEnd(MakeBoard(GetParam().cells)), GetParam().expected);
}

INSTANTIATE_TEST_SUITE_P(Rules, CheckGameEndTable,
                         ::testing::Values(EndCase{{{20, -3}, {25, -2}}, -5}, EndCase{{{26, 1}}, 1},
                                           EndCase{{{26, 1}, {25, -1}}, 0}, EndCase{{}, 0},
                                           EndCase{{{1, 4}, {7, 2}, {24, -1}}, 0},
                                           EndCase{{{1, 4}, {7, 2}}, 6}, EndCase{{{2, -15}}, -15}));

TEST(CheckGameEnd, HugeCountsDoNotOverflow) {
    Board board = MakeBoard({{1, INT32_MAX}, {2, INT32_MAX}, {3, -5}});
    EXPECT_EQ(CheckGameEnd(board), 0);
}

struct DieCase {
    Move move;
    Dice dice;
    bool first;
    Dice remaining;
};

class RemainingDieTable : public ::testing::TestWithParam<DieCase> {};

TEST_P(RemainingDieTable, UsedDieTakesTheOther) {
    const DieCase& c = GetParam();
    EXPECT_EQ(UsesFirstDie(c.move, c.dice), c.first) << c.move;
    EXPECT_EQ(RemainingDice(c.move, c.dice), c.remaining) << c.move;
}

INSTANTIATE_TEST_SUITE_P(Rules, RemainingDieTable,
                         ::testing::Values(DieCase{{13, 7}, MakeDice(6, 2), true, MakeDice(2, 2)},
                                           DieCase{{13, 11}, MakeDice(6, 2), false, MakeDice(6, 6)},
                                           DieCase{{1, 7}, MakeDice(6, 2), true, MakeDice(2, 2)},
                                           DieCase{{26, 20}, MakeDice(3, 5), false, MakeDice(3, 3)},
                                           DieCase{{26, 22}, MakeDice(3, 5), true, MakeDice(5, 5)},
                                           DieCase{{25, 4}, MakeDice(4, 1), true, MakeDice(1, 1)},
                                           DieCase{{25, 1}, MakeDice(4, 1), false, MakeDice(4, 4)},
                                           DieCase{{3, 27}, MakeDice(6, 4), false, MakeDice(6, 6)},
                                           DieCase{{3, 27}, MakeDice(4, 6), true, MakeDice(6, 6)},
                                           DieCase{{4, 27}, MakeDice(2, 6), false, MakeDice(2, 2)},
                                           DieCase{{4, 27}, MakeDice(6, 2), true, MakeDice(2, 2)},
                                           DieCase{{4, 27}, MakeDice(4, 2), true, MakeDice(2, 2)},
                                           DieCase{{23, 27}, MakeDice(6, 2), false, MakeDice(6, 6)},
                                           DieCase{{20, 27}, MakeDice(6, 2), true, MakeDice(2, 2)},
                                           DieCase{
                                               {22, 27}, MakeDice(4, 5), true, MakeDice(5, 5)}));

} // namespace
