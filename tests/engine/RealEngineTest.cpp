// GNU Backgammon itself, where it is installed: it judges our board line by
// the line it prints for the same position set up through its commands, and
// its play for the position, asked over the socket, turns into steps.
#include "engine/EnginePlay.h"
#include "engine/FibsBoard.h"
#include "engine/Gnubg.h"
#include "proc/Positions.h"

#include <QProcess>
#include <QStringList>
#include <QTemporaryDir>
#include <gtest/gtest.h>

using proctest::Cells;
using proctest::MakeBoard;

namespace {

// The fields of a board line between its colons.
constexpr int FirstPointField = 6;
constexpr int TurnField = 32;
constexpr int OffField = 45;

// The engine's own line for the position, white being its player "root":
// white's checkers positive, the board in white's numbering.
QStringList JudgeLine(const QString& gnubg, const proc::Board& board, proc::Side side,
                      proc::Dice dice) {
    QString simple = QString::number(proc::Cell(board, proc::WhiteBar));
    for (int k = 1; k <= 24; ++k)
        simple += ' ' + QString::number(proc::Cell(board, k));
    simple += ' ' + QString::number(-proc::Cell(board, proc::BlackBar));
    const QString commands = QStringLiteral("set output rawboard on\n"
                                            "set player 0 human\nset player 1 human\n"
                                            "new game\nset turn 1\nset board simple %1\n"
                                            "set turn %2\nset dice %3 %4\nshow board\n")
                                 .arg(simple)
                                 .arg(side > 0 ? 1 : 0)
                                 .arg(proc::FirstDie(dice))
                                 .arg(proc::SecondDie(dice));
    QProcess process;
    process.start(gnubg, {"-t", "-q"});
    process.write(commands.toUtf8());
    process.closeWriteChannel();
    if (!process.waitForFinished(60000))
        return {};
    QString last;
    for (const QString& line : QString::fromUtf8(process.readAllStandardOutput()).split('\n'))
        if (line.startsWith("board:"))
            last = line.trimmed();
    return last.split(':');
}

// Our line's board fields, turn, dice and borne-off counts against the
// judge's, which always shows white's view: black's turn is its mirror.
void ExpectSameLine(const QStringList& ours, const QStringList& judge, proc::Side side) {
    ASSERT_GT(judge.size(), OffField + 1) << judge.join(':').toStdString();
    ASSERT_GT(ours.size(), OffField + 1);
    const bool mirror = side < 0;
    const int sign = mirror ? -1 : 1;
    for (int i = 0; i < 26; ++i) {
        const int j = mirror ? 25 - i : i;
        EXPECT_EQ(ours[FirstPointField + i].toInt(), sign * judge[FirstPointField + j].toInt())
            << "field " << i;
    }
    EXPECT_EQ(ours[TurnField].toInt(), sign * judge[TurnField].toInt());
    EXPECT_EQ(ours[TurnField + 1], judge[TurnField + 1]);
    EXPECT_EQ(ours[TurnField + 2], judge[TurnField + 2]);
    EXPECT_EQ(ours[OffField], judge[OffField + (mirror ? 1 : 0)]);
    EXPECT_EQ(ours[OffField + 1], judge[OffField + (mirror ? 0 : 1)]);
}

const Cells Start = {{1, -2}, {6, 5}, {8, 3}, {12, -5}, {13, 5}, {17, -3}, {19, -5}, {24, 2}};
const Cells WhiteOnBar = {{26, 1}, {24, 1},  {6, 5},   {8, 3},   {13, 5},
                          {1, -2}, {12, -4}, {17, -3}, {19, -5}, {22, -1}};
const Cells BlackOnBar = {{25, -2}, {24, 2}, {6, 5}, {8, 3}, {13, 5}, {12, -5}, {17, -3}, {19, -5}};
const Cells BearingOff = {{1, 2}, {3, 3}, {5, 1}, {20, -3}, {24, -2}, {22, -1}};
const Cells AfterHits = {{26, 1}, {25, -2}, {3, 1},   {6, 4},   {13, 4},
                         {7, -1}, {18, 2},  {19, -4}, {21, -1}, {4, -3}};
const Cells ShutOut = {{26, 1}, {6, 5}, {19, -2}, {20, -2}, {21, -2}, {22, -2}, {23, -2}, {24, -2}};

TEST(RealEngine, ReadsOurLinesAsItsOwnAndItsPlaysTurnIntoSteps) {
    const QString program = engine::FindGnubg();
    if (program.isEmpty())
        GTEST_SKIP() << "GNU Backgammon is not installed";
    QTemporaryDir dir;
    engine::GnubgEngine gnubg({{}, dir.path(), 0, 30000});
    const struct {
        const char* name;
        const Cells& cells;
        proc::Side side;
        int die1, die2;
        bool moves;
    } cases[] = {
        {"start, white", Start, proc::White, 3, 1, true},
        {"start, black", Start, proc::Black, 6, 5, true},
        {"start, black, a double", Start, proc::Black, 4, 4, true},
        {"white on the bar", WhiteOnBar, proc::White, 4, 2, true},
        {"black on the bar", BlackOnBar, proc::Black, 5, 5, true},
        {"bearing off, white", BearingOff, proc::White, 6, 4, true},
        {"bearing off, black", BearingOff, proc::Black, 6, 5, true},
        {"after hits, black", AfterHits, proc::Black, 4, 3, true},
        {"shut out", ShutOut, proc::White, 6, 5, false},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.name);
        const proc::Board board = MakeBoard(c.cells);
        const proc::Dice dice = proc::MakeDice(c.die1, c.die2);
        const std::string line = engine::FibsBoardText(board, c.side, dice);
        ExpectSameLine(QString::fromStdString(line).split(':'),
                       JudgeLine(program, board, c.side, dice), c.side);

        const engine::EngineAnswer answer = gnubg.Ask(line);
        ASSERT_TRUE(answer.ok) << answer.error.toStdString() << " " << answer.line;
        const auto hops = engine::ParsePlay(answer.line);
        ASSERT_TRUE(hops) << answer.line;
        const auto steps = engine::TurnSteps(board, c.side, dice, *hops);
        ASSERT_TRUE(steps) << answer.line;
        EXPECT_EQ(steps->empty(), !c.moves) << answer.line;
    }
}

// The engine's own cube decisions on our lines, in a 5-point match at 0:0:
// a race led by a quarter is doubled and passed, an even start neither.
TEST(RealEngine, DecidesOnTheCubeFromOurLines) {
    if (engine::FindGnubg().isEmpty())
        GTEST_SKIP() << "GNU Backgammon is not installed";
    QTemporaryDir dir;
    engine::GnubgEngine gnubg({{}, dir.path(), 0, 30000});
    const Cells race = {{6, 5}, {4, 5}, {2, 5}, {19, -5}, {20, -5}, {21, -5}}; // 60 to 75 pips
    const engine::FibsMatch five{5, 0, 0, 1, true, true, false};
    const struct {
        const char* name;
        std::string line;
        const char* answer;
    } cases[] = {
        {"race, leader on roll", engine::FibsMatchText(MakeBoard(race), proc::White, 0, five), "double"},
        {"race, trailer doubled", engine::FibsTakeText(MakeBoard(race), proc::Black, five), "drop"},
        {"start, on roll", engine::FibsMatchText(MakeBoard(Start), proc::White, 0, five), "roll"},
        {"start, doubled", engine::FibsTakeText(MakeBoard(Start), proc::Black, five), "take"},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.name);
        const engine::EngineAnswer answer = gnubg.Ask(c.line, engine::Question::Cube);
        ASSERT_TRUE(answer.ok) << answer.error.toStdString();
        EXPECT_EQ(answer.line, c.answer);
    }
    // A play's answer to a cube question is refused.
    const engine::EngineAnswer play =
        gnubg.Ask(engine::FibsBoardText(MakeBoard(Start), proc::White, proc::MakeDice(3, 1)),
                  engine::Question::Cube);
    EXPECT_FALSE(play.ok);
}

} // namespace
