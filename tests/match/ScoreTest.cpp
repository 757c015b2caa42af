// The score from game to game and the Crawford rule, worked by hand.
#include "match/match.h"

#include <gtest/gtest.h>

using namespace match;

namespace {

struct ScoreCase {
    const char* name;
    MatchState before;
    Side winner;
    int points;
    int white, black;
    bool crawford, postCrawford;
};

const Cube turned{4, Owner::Black};

const ScoreCase scoreCases[] = {
    {"5: 3-0 to 4-0", {5, 3, 0, false, false, turned}, proc::White, 1, 4, 0, true, false},
    {"5: 0-2 to 0-4", {5, 0, 2, false, false, turned}, proc::Black, 2, 0, 4, true, false},
    {"5: Crawford 4-0 to 4-2", {5, 4, 0, true, false, turned}, proc::Black, 2, 4, 2, false, true},
    {"5: Crawford won", {5, 4, 1, true, false, turned}, proc::White, 1, 5, 1, false, true},
    {"5: 4-2 to 4-4", {5, 4, 2, false, true, turned}, proc::Black, 2, 4, 4, false, true},
    {"5: 2-4 to 4-4 unplayed", {5, 2, 4, false, false, turned}, proc::White, 2, 4, 4, false, false},
    {"5: 3-0 past the end", {5, 3, 0, false, false, turned}, proc::White, 6, 9, 0, false, false},
    {"7: 3-5 to 3-6", {7, 3, 5, false, false, turned}, proc::Black, 1, 3, 6, true, false},
    {"2: 0-0 to 0-1", {2, 0, 0, false, false, turned}, proc::Black, 1, 0, 1, true, false},
    {"1: 0-0 to 2-0", {1, 0, 0, false, false, turned}, proc::White, 2, 2, 0, false, false},
    {"over: unchanged", {5, 5, 2, false, true, turned}, proc::Black, 1, 5, 2, false, true},
    {"no winner", {5, 3, 0, false, false, turned}, 0, 1, 3, 0, false, false},
    {"no points", {5, 3, 0, false, false, turned}, proc::White, 0, 3, 0, false, false},
};

TEST(AfterGame, Table) {
    for (const ScoreCase& c : scoreCases) {
        const MatchState after = AfterGame(c.before, c.winner, c.points);
        EXPECT_EQ(after.scoreWhite, c.white) << c.name;
        EXPECT_EQ(after.scoreBlack, c.black) << c.name;
        EXPECT_EQ(after.crawford, c.crawford) << c.name;
        EXPECT_EQ(after.postCrawford, c.postCrawford) << c.name;
        const bool played = c.white != c.before.scoreWhite || c.black != c.before.scoreBlack;
        EXPECT_EQ(after.cube.value, played ? 1 : turned.value) << c.name;
        EXPECT_EQ(after.cube.owner, played ? Owner::Centre : turned.owner) << c.name;
    }
}

TEST(MatchWinner, Table) {
    struct Case {
        MatchState state;
        Side winner;
    };
    const Case cases[] = {
        {{5, 5, 4, false, true, {}}, proc::White},
        {{5, 3, 5, false, true, {}}, proc::Black},
        {{5, 4, 4, false, true, {}}, 0},
        {{5, 9, 0, false, false, {}}, proc::White},
        {{1, 0, 1, false, false, {}}, proc::Black},
        {{1, 0, 0, false, false, {}}, 0},
    };
    for (const Case& c : cases) {
        EXPECT_EQ(MatchOver(c.state), c.winner != 0)
            << c.state.scoreWhite << "-" << c.state.scoreBlack;
        EXPECT_EQ(MatchWinner(c.state), c.winner)
            << c.state.scoreWhite << "-" << c.state.scoreBlack;
    }
}

} // namespace
