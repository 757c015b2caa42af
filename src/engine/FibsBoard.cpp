#include "engine/FibsBoard.h"

#include <cstdint>

namespace engine {

namespace {

// Counts are widened before any sign change: a board file may hold any
// 32-bit number, and the line is then merely one the engine refuses.
int64_t Own(int32_t count, proc::Side side) {
    const int64_t signedCount = side > 0 ? int64_t{count} : -int64_t{count};
    return signedCount > 0 ? signedCount : 0;
}

// A side's checkers on the bar: either bar cell showing its colour counts,
// as the rules engine reads a side to be on the bar.
int64_t OnBar(const proc::Board& board, proc::Side side) {
    return Own(proc::Cell(board, proc::BlackBar), side) +
           Own(proc::Cell(board, proc::WhiteBar), side);
}

int64_t OnBoard(const proc::Board& board, proc::Side side) {
    int64_t total = 0;
    for (const int32_t count : board)
        total += Own(count, side);
    return total;
}

// The mover's point p (1..24) of the mover's numbering, its own checkers positive.
int64_t Point(const proc::Board& board, proc::Side side, int p) {
    return side > 0 ? int64_t{proc::Cell(board, p)} : -int64_t{proc::Cell(board, 25 - p)};
}

void Field(std::string& line, int64_t value) {
    line += std::to_string(value);
    line += ':';
}

} // namespace

namespace {

// turn 1: the side shown is on roll; -1: the opponent is (a take decision).
std::string BoardLine(const proc::Board& board, proc::Side side, proc::Dice dice,
                      const FibsMatch& match, int turn, bool doubled) {
    const proc::Side other = side > 0 ? proc::Black : proc::White;
    std::string line = "board:You:Opp:";
    line.reserve(160);
    Field(line, match.length);
    Field(line, match.score);
    Field(line, match.oppScore);
    Field(line, -OnBar(board, other));
    for (int p = 1; p <= 24; ++p)
        Field(line, Point(board, side, p));
    Field(line, OnBar(board, side));
    // The opponent's dice unset. With neither side allowed to double the
    // engine reads the cube as just turned and answers take or drop.
    Field(line, turn);
    Field(line, proc::FirstDie(dice));
    Field(line, proc::SecondDie(dice));
    line += "0:0:";
    Field(line, match.cube);
    Field(line, match.mayDouble ? 1 : 0);
    Field(line, match.oppMayDouble ? 1 : 0);
    Field(line, doubled ? 1 : 0);
    line += "1:-1:0:25:";
    Field(line, EngineCheckers - OnBoard(board, side));
    Field(line, EngineCheckers - OnBoard(board, other));
    line += "0:0:0:0:";
    Field(line, match.crawford ? 1 : 0);
    line += '0';
    return line;
}

} // namespace

std::string FibsBoardText(const proc::Board& board, proc::Side side, proc::Dice dice) {
    return BoardLine(board, side, dice, FibsMatch{}, 1, false);
}

std::string FibsMatchText(const proc::Board& board, proc::Side side, proc::Dice dice,
                          const FibsMatch& match) {
    return BoardLine(board, side, dice, match, 1, false);
}

std::string FibsTakeText(const proc::Board& board, proc::Side taker, const FibsMatch& match) {
    return BoardLine(board, taker, 0, match, -1, true);
}

bool EngineCanRead(const proc::Board& board) {
    return OnBoard(board, proc::White) <= EngineCheckers &&
           OnBoard(board, proc::Black) <= EngineCheckers;
}

} // namespace engine
