// The client's board state from the referee's messages, and the person's pick
// of a move: only moves of the last list, only during a person's turn.
#include "StandardBoard.h"
#include "client/BoardModel.h"

#include <gtest/gtest.h>

using namespace client;
using proc::Black;
using proc::White;

namespace {

BoardModel Started(const proc::Board& board) {
    BoardModel model;
    model.Apply(StartInfo{board, QStringLiteral("Иван (белые)"),
                          QStringLiteral("Компьютер (чёрные)"), proc::MakeDice(5, 2)});
    return model;
}

} // namespace

TEST(BoardModel, StartSetsEverything) {
    BoardModel model = Started(StandardBoard());
    EXPECT_TRUE(model.Started());
    EXPECT_EQ(model.Board(), StandardBoard());
    EXPECT_EQ(model.WhiteLabel(), QStringLiteral("Иван (белые)"));
    EXPECT_EQ(model.Opening(), proc::MakeDice(5, 2));
    EXPECT_EQ(model.OnBoard(White), 15);
    EXPECT_EQ(model.OnBoard(Black), 15);
    EXPECT_FALSE(model.SideToMove());
    EXPECT_FALSE(model.Winner());
}

TEST(BoardModel, MessagesBeforeTheStartChangeNothing) {
    BoardModel model;
    EXPECT_FALSE(model.Apply(MoveInfo{White, {6, 5}}));
    model.Apply(DiceInfo{White, proc::MakeDice(1, 2)});
    model.Apply(MoveListInfo{White, {{6, 5}}});
    EXPECT_FALSE(model.Started());
    EXPECT_FALSE(model.SideToMove());
    EXPECT_FALSE(model.AwaitingPerson());
}

struct EchoCase {
    const char* name;
    std::vector<std::pair<int32_t, int32_t>> before; // cell, count (on an empty board)
    proc::Side side;
    proc::Move move;
    std::vector<std::pair<int32_t, int32_t>> after; // cells expected after the echo
    bool hit;
    int whiteOff;
    int blackOff;
};

class BoardModelEcho : public ::testing::TestWithParam<EchoCase> {};

TEST_P(BoardModelEcho, UpdatesTheBoard) {
    const EchoCase& c = GetParam();
    proc::Board board{};
    for (auto [cell, count] : c.before) {
        proc::Cell(board, cell) = count;
    }
    BoardModel model = Started(board);
    model.Apply(DiceInfo{c.side, proc::MakeDice(3, 5)});
    const auto shown = model.Apply(MoveInfo{c.side, c.move});
    ASSERT_TRUE(shown) << c.name;
    EXPECT_EQ(shown->hit, c.hit) << c.name;
    EXPECT_EQ(shown->move, c.move) << c.name;
    for (auto [cell, count] : c.after) {
        EXPECT_EQ(proc::Cell(model.Board(), cell), count) << c.name << " cell " << cell;
    }
    EXPECT_EQ(model.BorneOff(White), c.whiteOff) << c.name;
    EXPECT_EQ(model.BorneOff(Black), c.blackOff) << c.name;
}

INSTANTIATE_TEST_SUITE_P(
    Table, BoardModelEcho,
    ::testing::Values(
        EchoCase{
            "white ordinary", {{13, 2}, {1, -1}}, White, {13, 8}, {{13, 1}, {8, 1}}, false, 0, 0},
        EchoCase{
            "black ordinary", {{1, -2}, {24, 1}}, Black, {1, 4}, {{1, -1}, {4, -1}}, false, 0, 0},
        EchoCase{"white hits a blot",
                 {{8, 1}, {5, -1}, {1, -1}},
                 White,
                 {8, 5},
                 {{8, 0}, {5, 1}, {25, -1}},
                 true,
                 0,
                 0},
        EchoCase{"black hits a blot",
                 {{17, -2}, {20, 1}, {6, 1}},
                 Black,
                 {17, 20},
                 {{17, -1}, {20, -1}, {26, 1}},
                 true,
                 0,
                 0},
        EchoCase{"white bears off", {{3, 2}, {24, -1}}, White, {3, 27}, {{3, 1}}, false, 1, 0},
        EchoCase{"black bears off", {{22, -1}, {2, 1}}, Black, {22, 27}, {{22, 0}}, false, 0, 1},
        EchoCase{
            "white enters", {{26, 2}, {5, -1}}, White, {26, 20}, {{26, 1}, {20, 1}}, false, 0, 0},
        EchoCase{"black enters and hits",
                 {{25, -1}, {3, 1}, {10, 1}},
                 Black,
                 {25, 3},
                 {{25, 0}, {3, -1}, {26, 1}},
                 true,
                 0,
                 0}),
    [](const auto& info) {
        std::string name = info.param.name;
        std::replace(name.begin(), name.end(), ' ', '_');
        return name;
    });

TEST(BoardModel, DiceAndPasses) {
    BoardModel model = Started(StandardBoard());
    model.Apply(DiceInfo{White, proc::MakeDice(6, 1)});
    EXPECT_EQ(model.SideToMove(), White);
    EXPECT_EQ(model.CurrentDice(), proc::MakeDice(6, 1));
    EXPECT_FALSE(model.PassedSide());
    model.Apply(MoveInfo{White, {13, 7}});
    model.Apply(MoveInfo{White, {8, 7}});
    model.Apply(DiceInfo{Black, proc::MakeDice(2, 3)}); // white moved: no pass
    EXPECT_FALSE(model.PassedSide());
    model.Apply(DiceInfo{White, proc::MakeDice(4, 4)}); // black did not move
    EXPECT_EQ(model.PassedSide(), Black);
    model.Apply(DiceInfo{Black, proc::MakeDice(5, 5)}); // nor did white now
    EXPECT_EQ(model.PassedSide(), White);
    model.Apply(MoveInfo{Black, {1, 6}});
    EXPECT_FALSE(model.PassedSide());
}

TEST(BoardModel, LastCheckerOffGivesTheWinner) {
    proc::Board board{};
    proc::Cell(board, 2) = 1;
    proc::Cell(board, 20) = -4;
    BoardModel model = Started(board);
    model.Apply(DiceInfo{White, proc::MakeDice(2, 1)});
    model.Apply(MoveInfo{White, {2, 27}});
    EXPECT_EQ(model.Winner(), White);
    model.SetGameOver();
    EXPECT_TRUE(model.GameOver());
}

TEST(BoardModel, AnotherStartResetsTheGame) {
    BoardModel model = Started(StandardBoard());
    model.Apply(DiceInfo{White, proc::MakeDice(6, 1)});
    model.Apply(MoveInfo{White, {6, 27}});
    model.Apply(StartInfo{StandardBoard(), "a", "b", proc::MakeDice(3, 1)});
    EXPECT_EQ(model.BorneOff(White), 0);
    EXPECT_FALSE(model.SideToMove());
    EXPECT_EQ(model.Board(), StandardBoard());
}

// --- the person's turn -----------------------------------------------------

TEST(BoardModelClick, SourceThenTargetSendsTheListedMove) {
    BoardModel model = Started(StandardBoard());
    model.Apply(DiceInfo{White, proc::MakeDice(6, 2)});
    EXPECT_FALSE(model.AwaitingPerson());
    model.Apply(MoveListInfo{White, {{6, 4}, {8, 2}, {8, 6}, {13, 7}, {13, 11}, {24, 18}}});
    ASSERT_TRUE(model.AwaitingPerson());
    EXPECT_EQ(model.MovableSources(), (std::vector<int32_t>{6, 8, 13, 24}));
    EXPECT_EQ(model.TargetsFrom(8), (std::vector<int32_t>{2, 6}));

    EXPECT_TRUE(model.Clickable(8));
    EXPECT_FALSE(model.Clickable(7));
    EXPECT_FALSE(model.Click(7).send); // not a source: nothing
    EXPECT_FALSE(model.Selected());
    EXPECT_TRUE(model.Click(8).changed); // pick 8
    EXPECT_EQ(model.Selected(), 8);
    EXPECT_TRUE(model.Clickable(2));
    EXPECT_FALSE(model.Clickable(4));
    EXPECT_FALSE(model.Click(4).send); // 4 is no target of 8
    EXPECT_FALSE(model.Selected());
    model.Click(13);
    EXPECT_TRUE(model.Click(13).changed); // the picked checker again: put back
    EXPECT_FALSE(model.Selected());
    model.Click(13);
    const ClickResult sent = model.Click(7);
    ASSERT_TRUE(sent.send);
    EXPECT_EQ(*sent.send, (proc::Move{13, 7}));
    // One move per list: nothing more until the next list.
    EXPECT_FALSE(model.AwaitingPerson());
    model.Click(24);
    EXPECT_FALSE(model.Click(18).send);
}

TEST(BoardModelClick, ATargetThatIsAlsoASourceCompletesTheMove) {
    BoardModel model = Started(StandardBoard());
    model.Apply(DiceInfo{White, proc::MakeDice(2, 2)});
    model.Apply(MoveListInfo{White, {{8, 6}, {6, 4}}});
    model.Click(8);
    const auto sent = model.Click(6);
    ASSERT_TRUE(sent.send);
    EXPECT_EQ(*sent.send, (proc::Move{8, 6}));
}

TEST(BoardModelClick, EitherBarHalfMeansTheBarOfTheSideToPlay) {
    proc::Board board = StandardBoard();
    proc::Cell(board, 25) = -1;
    proc::Cell(board, 12) = -4;
    for (int32_t bar : {25, 26}) {
        BoardModel model = Started(board);
        model.Apply(DiceInfo{Black, proc::MakeDice(3, 4)});
        model.Apply(MoveListInfo{Black, {{25, 3}, {25, 4}}});
        EXPECT_TRUE(model.Clickable(bar));
        model.Click(bar);
        EXPECT_EQ(model.Selected(), 25) << bar;
        const auto sent = model.Click(4);
        ASSERT_TRUE(sent.send);
        EXPECT_EQ(*sent.send, (proc::Move{25, 4}));
    }
}

TEST(BoardModelClick, TrayIsTheBearOffTarget) {
    proc::Board board{};
    proc::Cell(board, 3) = 2;
    proc::Cell(board, 20) = -1;
    BoardModel model = Started(board);
    model.Apply(DiceInfo{White, proc::MakeDice(5, 3)});
    model.Apply(MoveListInfo{White, {{3, 27}, {3, 27}}});
    model.Click(3);
    EXPECT_EQ(model.TargetsFrom(3), (std::vector<int32_t>{27}));
    const auto sent = model.Click(27);
    ASSERT_TRUE(sent.send);
    EXPECT_EQ(*sent.send, (proc::Move{3, 27}));
}

TEST(BoardModelClick, NothingOutsideAPersonsTurn) {
    BoardModel model = Started(StandardBoard());
    model.Apply(DiceInfo{White, proc::MakeDice(6, 2)});
    model.Apply(MoveListInfo{White, {}}); // empty list: nothing to pick
    EXPECT_FALSE(model.AwaitingPerson());
    model.Apply(MoveListInfo{White, {{13, 7}}});
    model.Apply(MoveInfo{White, {13, 7}}); // an echo ends the list
    model.Click(13);
    EXPECT_FALSE(model.Click(7).send);
    model.Apply(MoveListInfo{White, {{13, 7}}});
    model.Apply(DiceInfo{Black, proc::MakeDice(1, 1)}); // so does a new roll
    model.Click(13);
    EXPECT_FALSE(model.Click(7).send);
    model.Apply(MoveListInfo{White, {{13, 7}}});
    model.SetGameOver(); // and the end of the game
    model.Click(13);
    EXPECT_FALSE(model.Click(7).send);
}

TEST(BoardModel, LastTurnKeepsTheMovesOfTheSideThatMovedLast) {
    BoardModel model = Started(StandardBoard());
    model.Apply(DiceInfo{Black, proc::MakeDice(6, 3)});
    model.Apply(MoveInfo{Black, {1, 7}});
    model.Apply(MoveInfo{Black, {1, 4}});
    model.Apply(DiceInfo{White, proc::MakeDice(2, 1)}); // still shown during white's turn
    ASSERT_EQ(model.LastTurn().size(), 2u);
    EXPECT_EQ(model.LastTurn()[1].move, (proc::Move{1, 4}));
    model.Apply(MoveInfo{White, {6, 4}}); // hits black's blot on 4
    ASSERT_EQ(model.LastTurn().size(), 1u);
    EXPECT_EQ(model.LastTurn()[0].side, White);
    EXPECT_TRUE(model.LastTurn()[0].hit);
}
