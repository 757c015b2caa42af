// The computer's choice: categories, examination order and ties.
#include "Positions.h"

#include <gtest/gtest.h>

using namespace proc;
using proctest::Cells;
using proctest::MakeBoard;

namespace {

struct ChoiceCase {
    const char* name;
    Cells cells;
    std::vector<Move> list;
    Move expected;
};

const ChoiceCase choiceCases[] = {
    {"onto own beats onto empty",
     {{8, 3}, {13, 5}, {5, 2}},
     {{8, 3}, {8, 5}, {13, 8}, {13, 10}},
     {13, 8}},
    {"black first of the highest category",
     {{1, -2}, {12, -5}, {15, -1}, {17, -3}, {20, -2}},
     {{1, 3}, {12, 15}, {17, 20}},
     {12, 15}},
    {"white bear-off wins", {{2, 1}, {5, 1}}, {{2, 1}, {5, 4}, {5, 27}}, {5, 27}},
    {"black first bear-off wins the tie",
     {{20, -1}, {23, -1}},
     {{20, 22}, {20, 27}, {23, 27}},
     {20, 27}},
    {"white bar both empty: last examined first", {{26, 1}}, {{26, 19}, {26, 22}}, {26, 22}},
    {"white bar onto own", {{26, 1}, {19, 2}}, {{26, 19}, {26, 22}}, {26, 19}},
    {"black bar hit beats empty", {{25, -1}, {5, 1}}, {{25, 2}, {25, 5}}, {25, 5}},
    {"black bar both empty: first", {{25, -1}}, {{25, 2}, {25, 5}}, {25, 2}},
    {"one entry", {{13, 5}}, {{13, 11}}, {13, 11}},
    // Leaving one behind from two onto empty (2) beats a lone move onto empty (1).
    {"white from two onto empty", {{13, 2}, {6, 1}}, {{13, 10}, {6, 3}}, {13, 10}},
    {"black from two onto empty", {{1, -1}, {12, -2}}, {{1, 4}, {12, 15}}, {12, 15}},
    // From two onto occupied (3) loses to from other counts onto occupied (4).
    {"white from three onto own beats from two onto own",
     {{13, 2}, {8, 3}, {10, 1}, {6, 1}},
     {{6, 3}, {8, 6}, {13, 10}},
     {8, 6}},
    {"hit counts as occupied", {{13, 3}, {10, -1}, {8, 2}}, {{13, 10}, {8, 5}}, {13, 10}},
    // Point 24 is a point, not the bar: a lone checker onto empty (1) loses to
    // from two onto own (3).
    {"white from 24 is no entry", {{24, 1}, {13, 2}, {10, 1}}, {{13, 10}, {24, 21}}, {13, 10}},
    // Ties: white takes the last candidate, black the first.
    {"white ties go to the end of the list", {{13, 1}, {6, 1}}, {{6, 2}, {13, 9}}, {13, 9}},
    // The order depends on the first entry's source: a black first entry means list order.
    {"black examined from the start", {{1, -1}, {12, -1}}, {{1, 4}, {12, 15}}, {1, 4}},
};

class ChooseMoveTable : public ::testing::TestWithParam<ChoiceCase> {};

TEST_P(ChooseMoveTable, Choice) {
    const ChoiceCase& c = GetParam();
    Board board = MakeBoard(c.cells);
    const Board copy = board;
    MoveList moves;
    std::copy(c.list.begin(), c.list.end(), moves.begin());
    Move result{-1, -1};
    ChooseMove(board, moves, static_cast<int32_t>(c.list.size()), result);
    EXPECT_EQ(result, c.expected) << c.name;
    EXPECT_EQ(board, copy);
}

INSTANTIATE_TEST_SUITE_P(Rules, ChooseMoveTable, ::testing::ValuesIn(choiceCases));

TEST(ChooseMove, WritesNothingForAnEmptyList) {
    MoveList moves;
    moves[0] = {13, 8};
    Move result{-1, -1};
    ChooseMove(MakeBoard({{13, 5}}), moves, 0, result);
    EXPECT_EQ(result, (Move{-1, -1}));
    ChooseMove(MakeBoard({{13, 5}}), moves, -3, result);
    EXPECT_EQ(result, (Move{-1, -1}));
}

TEST(ChooseMove, IdenticalCategoriesBlackTakesFirstDieWhiteSecond) {
    // Black 1 with dice 5 and 3: (1, 6), (1, 4), both onto empty from a lone checker.
    Board black = MakeBoard({{1, -1}});
    MoveList moves;
    int32_t n = ListMoves(black, MakeDice(5, 3), Black, moves);
    Move result{};
    ChooseMove(black, moves, n, result);
    EXPECT_EQ(result, (Move{1, 6}));

    Board white = MakeBoard({{24, 1}});
    n = ListMoves(white, MakeDice(5, 3), White, moves);
    ChooseMove(white, moves, n, result);
    EXPECT_EQ(result, (Move{24, 21}));
}

} // namespace
