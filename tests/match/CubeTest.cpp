// Who may double, and what a taken double makes of the cube.
#include "match/match.h"

#include <gtest/gtest.h>

using namespace match;

namespace {

MatchState FivePoints(Cube cube, bool crawford = false, bool postCrawford = false) {
    return {5, 2, 1, crawford, postCrawford, cube};
}

TEST(MayDouble, Table) {
    struct Case {
        const char* name;
        MatchState state;
        bool white;
        bool black;
    };
    const Case cases[] = {
        {"centred", FivePoints({}), true, true},
        {"white's cube", FivePoints({2, Owner::White}), true, false},
        {"black's cube", FivePoints({4, Owner::Black}), false, true},
        {"below the cap", FivePoints({32, Owner::Black}), false, true},
        {"at the cap", FivePoints({64, Owner::Black}), false, false},
        {"Crawford game", FivePoints({}, true), false, false},
        {"post-Crawford", FivePoints({}, false, true), true, true},
        {"post-Crawford at 4-2", {5, 4, 2, false, true, {}}, true, true},
        {"one-point match", {1, 0, 0, false, false, {}}, false, false},
        {"match over", {5, 5, 3, false, true, {}}, false, false},
    };
    for (const Case& c : cases) {
        EXPECT_EQ(MayDouble(c.state, proc::White), c.white) << c.name;
        EXPECT_EQ(MayDouble(c.state, proc::Black), c.black) << c.name;
        EXPECT_FALSE(MayDouble(c.state, 0)) << c.name;
    }
}

TEST(Take, DoublesAndPassesTheCube) {
    struct Case {
        Cube before;
        Side taker;
        Cube after;
    };
    const Case cases[] = {
        {{1, Owner::Centre}, proc::Black, {2, Owner::Black}},
        {{2, Owner::Black}, proc::White, {4, Owner::White}},
        {{32, Owner::White}, proc::Black, {64, Owner::Black}},
        {{64, Owner::White}, proc::Black, {64, Owner::Black}},
        {{4, Owner::White}, 0, {4, Owner::White}},
    };
    for (const Case& c : cases) {
        const Cube got = Take(c.before, c.taker);
        EXPECT_EQ(got.value, c.after.value) << c.before.value << " taken by " << int(c.taker);
        EXPECT_EQ(got.owner, c.after.owner) << c.before.value << " taken by " << int(c.taker);
    }
}

} // namespace
