// The board line the engine reads, worked out by hand.
#include "engine/FibsBoard.h"
#include "proc/Positions.h"

#include <QStringList>
#include <gtest/gtest.h>

using proctest::Cells;
using proctest::MakeBoard;

namespace {

TEST(FibsBoard, LinesWorkedOutByHand) {
    // White: one on the bar, three on 6, two on 13 (nine off). Black: two on
    // the bar, two on white's 1, four on white's 19 (seven off).
    const proc::Board board = MakeBoard({{26, 1}, {6, 3}, {13, 2}, {25, -2}, {1, -2}, {19, -4}});
    EXPECT_EQ(engine::FibsBoardText(board, proc::White, proc::MakeDice(5, 2)),
              "board:You:Opp:1:0:0:-2:"
              "-2:0:0:0:0:3:0:0:0:0:0:0:2:0:0:0:0:0:-4:0:0:0:0:0:"
              "1:1:5:2:0:0:1:1:1:0:1:-1:0:25:9:7:0:0:0:0:0:0");
    EXPECT_EQ(engine::FibsBoardText(board, proc::Black, proc::MakeDice(6, 6)),
              "board:You:Opp:1:0:0:-1:"
              "0:0:0:0:0:4:0:0:0:0:0:-2:0:0:0:0:0:0:-3:0:0:0:0:2:"
              "2:1:6:6:0:0:1:1:1:0:1:-1:0:25:7:9:0:0:0:0:0:0");
}

// The match's fields of a line, counted from "board" (field 0): the
// length and both scores (3..5), whose turn (32), the dice (33, 34), the
// cube and who may double (37..39), doubled (40), Crawford (51).
TEST(FibsBoard, MatchFieldsForEachQuestion) {
    const proc::Board board = MakeBoard({{6, 15}, {19, -15}});
    engine::FibsMatch atFive{7, 5, 2, 4, false, true, true};
    engine::FibsMatch crawford{5, 1, 4, 1, true, true, true};
    const struct {
        std::string line;
        const char* fields; // 3 4 5 32 33 34 37 38 39 40 51
    } cases[] = {
        {engine::FibsMatchText(board, proc::White, proc::MakeDice(3, 1), atFive),
         "7 5 2 1 3 1 4 0 1 0 1"},
        {engine::FibsMatchText(board, proc::Black, 0, crawford), "5 1 4 1 0 0 1 1 1 0 1"},
        {engine::FibsTakeText(board, proc::Black, atFive), "7 5 2 -1 0 0 4 0 1 1 1"},
        {engine::FibsBoardText(board, proc::White, proc::MakeDice(6, 6)),
         "1 0 0 1 6 6 1 1 1 0 0"},
    };
    for (const auto& c : cases) {
        const QStringList all = QString::fromStdString(c.line).split(':');
        ASSERT_EQ(all.size(), 53) << c.line;
        QStringList picked;
        for (const int i : {3, 4, 5, 32, 33, 34, 37, 38, 39, 40, 51})
            picked << all[i];
        EXPECT_EQ(picked.join(' ').toStdString(), c.fields) << c.line;
    }
}

TEST(FibsBoard, TheEngineReadsFifteenCheckersASideAtMost) {
    const struct {
        Cells cells;
        bool readable;
    } cases[] = {
        {{{24, 15}, {1, -15}}, true},
        {{{24, 14}, {26, 1}, {1, -14}, {25, -1}}, true},
        {{{24, 15}, {26, 1}, {1, -15}}, false},
        {{{24, 15}, {1, -15}, {25, -1}}, false},
        {{{24, 16}}, false},
        {{{1, -16}}, false},
        {{{24, 2147483647}, {1, -2147483647 - 1}}, false},
        {{}, true},
    };
    for (const auto& c : cases)
        EXPECT_EQ(engine::EngineCanRead(MakeBoard(c.cells)), c.readable)
            << testing::PrintToString(c.cells);
}

} // namespace
