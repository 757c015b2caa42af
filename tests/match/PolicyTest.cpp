// The built-in computer's doubles and takes on small boards whose pip counts
// are worked out by hand in the comments beside them.
#include "match/match.h"

#include <gtest/gtest.h>

#include <climits>
#include <initializer_list>
#include <utility>

using namespace match;

namespace {

using Cells = std::initializer_list<std::pair<int32_t, int32_t>>;

proc::Board Make(Cells cells) {
    proc::Board board{};
    for (const auto& [cell, count] : cells)
        proc::Cell(board, cell) = count;
    return board;
}

// Races: white's highest checker below black's lowest.
const Cells W80B90 = {{10, 8}, {16, -10}};                        // 8*10; 10*9
const Cells W90B80 = {{10, 9}, {17, -10}};                        // 9*10; 10*8
const Cells W100B107 = {{10, 10}, {15, -10}, {18, -1}};           // 100; 100+7
const Cells W100B108 = {{10, 10}, {15, -10}, {17, -1}};           // 100; 100+8
const Cells W100B109 = {{10, 10}, {15, -10}, {16, -1}};           // 100; 100+9
const Cells W100B112 = {{10, 10}, {15, -10}, {13, -1}};           // 100; 100+12
const Cells W100B113 = {{10, 10}, {15, -10}, {12, -1}};           // 100; 100+13
const Cells W100B115 = {{10, 10}, {15, -10}, {14, -1}, {21, -1}}; // 100; 100+11+4

MatchState Money(Owner owner = Owner::Centre) {
    return {7, 0, 0, false, false, {owner == Owner::Centre ? 1 : 2, owner}};
}

TEST(PipCount, Table) {
    struct Case {
        const char* name;
        proc::Board board;
        int white;
        int black;
    };
    const Case cases[] = {
        {"empty", Make({}), 0, 0},
        {"race", Make(W80B90), 80, 90},
        {"bars", Make({{26, 2}, {3, 1}, {25, -1}, {24, -2}, {1, -1}}), 2 * 25 + 3, 25 + 2 + 24},
        {"one side only", Make({{6, 2}, {1, 3}}), 12 + 3, 0},
        {"huge count", Make({{24, INT_MAX}, {1, -1}}), INT_MAX, 24},
    };
    for (const Case& c : cases) {
        EXPECT_EQ(PipCount(c.board, proc::White), c.white) << c.name;
        EXPECT_EQ(PipCount(c.board, proc::Black), c.black) << c.name;
    }
}

TEST(Contact, Table) {
    struct Case {
        const char* name;
        proc::Board board;
        bool contact;
    };
    const Case cases[] = {
        {"empty", Make({}), false},
        {"one side only", Make({{20, 3}}), false},
        {"race", Make(W80B90), false},
        {"just passed", Make({{12, 2}, {13, -2}}), false},
        {"still to pass", Make({{13, 2}, {12, -2}}), true},
        {"far apart", Make({{20, 1}, {5, -1}, {1, 3}, {24, -3}}), true},
        {"black on the bar", Make({{25, -1}, {20, -2}, {5, 3}}), true},
        {"white on the bar", Make({{26, 1}, {20, -2}, {5, 3}}), true},
    };
    for (const Case& c : cases)
        EXPECT_EQ(Contact(c.board), c.contact) << c.name;
}

/*! A decision of the computer: BuiltInDoubles or BuiltInTakes. */
using Decision = bool (*)(const proc::Board&, Side, const MatchState&);

struct DecisionCase {
    const char* name;
    proc::Board board;
    Side side;
    MatchState state;
    bool expected;
};

template <size_t N> void Expect(Decision decide, const DecisionCase (&cases)[N]) {
    for (const DecisionCase& c : cases)
        EXPECT_EQ(decide(c.board, c.side, c.state), c.expected) << c.name;
}

TEST(BuiltInDoubles, RaceOnPipCounts) {
    const DecisionCase cases[] = {
        {"80 v 90: 12.5 %", Make(W80B90), proc::White, Money(), true},
        {"80 v 90, trailing", Make(W80B90), proc::Black, Money(), false},
        {"black 80 v 90", Make(W90B80), proc::Black, Money(), true},
        {"100 v 107: 7 %", Make(W100B107), proc::White, Money(), false},
        {"100 v 108: 8 %", Make(W100B108), proc::White, Money(), true},
        {"100 v 108 owned: below 9 %", Make(W100B108), proc::White, Money(Owner::White), false},
        {"100 v 109 owned: 9 %", Make(W100B109), proc::White, Money(Owner::White), true},
        {"100 v 115: 15 %", Make(W100B115), proc::White, Money(), true},
        {"100 v 115, cube across", Make(W100B115), proc::White, Money(Owner::Black), false},
    };
    Expect(BuiltInDoubles, cases);
}

// White 100 pips in every board: one checker on 20, eight on 10.
TEST(BuiltInDoubles, ContactNeedsAClearLead) {
    const DecisionCase cases[] = {
        // clang-format off
        // black: bar 25 + 8*10 + 10*1 (or 9*1)
        {"black on the bar, 15 %", Make({{20, 1}, {10, 8}, {25, -1}, {15, -8}, {24, -10}}), proc::White, Money(), true},
        {"black on the bar, 14 %", Make({{20, 1}, {10, 8}, {25, -1}, {15, -8}, {24, -9}}), proc::White, Money(), false},
        // black: 20 + 9*10 + 5*1
        {"no one on the bar, 15 %", Make({{20, 1}, {10, 8}, {5, -1}, {15, -9}, {24, -5}}), proc::White, Money(), false},
        // white: bar 25 + 7*10 + 5*1, its own checker on the bar
        {"white on the bar, 15 %", Make({{26, 1}, {10, 7}, {1, 5}, {5, -1}, {15, -9}, {24, -5}}), proc::White, Money(), false},
        // black: 20 + 10*10 + 4 + 1 (or 4)
        {"25 %", Make({{20, 1}, {10, 8}, {5, -1}, {15, -10}, {21, -1}, {24, -1}}), proc::White, Money(), true},
        {"24 %", Make({{20, 1}, {10, 8}, {5, -1}, {15, -10}, {21, -1}}), proc::White, Money(), false},
        // clang-format on
    };
    Expect(BuiltInDoubles, cases);
}

TEST(BuiltInDoubles, MatchScore) {
    const Cube centre{};
    const Cube whites{2, Owner::White};
    const proc::Board lead = Make(W100B115);
    const DecisionCase cases[] = {
        // clang-format off
        {"at 4 of 5 after Crawford", lead, proc::White, {5, 4, 2, false, true, centre}, false},
        {"trailer at once, even behind", Make(W90B80), proc::White, {5, 2, 4, false, true, centre}, true},
        {"black trailer at once", lead, proc::Black, {5, 4, 2, false, true, centre}, true},
        {"both at 4 of 5", lead, proc::White, {5, 4, 4, false, true, centre}, false},
        {"Crawford game", lead, proc::White, {5, 2, 4, true, false, centre}, false},
        {"one-point match", lead, proc::White, {1, 0, 0, false, false, centre}, false},
        {"3 + cube 2 wins 5", lead, proc::White, {5, 3, 1, false, false, whites}, false},
        {"2 + cube 2 short of 5", lead, proc::White, {5, 2, 1, false, false, whites}, true},
        {"game over", Make({{5, -2}}), proc::Black, Money(), false},
        // clang-format on
    };
    Expect(BuiltInDoubles, cases);
}

TEST(BuiltInTakes, RaceOnPipCounts) {
    const DecisionCase cases[] = {
        {"80 v 90: 12.5 %", Make(W80B90), proc::Black, Money(), false},
        {"black 80 v 90", Make(W90B80), proc::White, Money(), false},
        {"100 v 107: 7 %", Make(W100B107), proc::Black, Money(), true},
        {"100 v 112: 12 %", Make(W100B112), proc::Black, Money(), true},
        {"100 v 113: 13 %", Make(W100B113), proc::Black, Money(), false},
        {"doubler behind", Make(W100B115), proc::White, Money(), true},
    };
    Expect(BuiltInTakes, cases);
}

// White, the doubler, has 100 pips unless told: one on 20, eight on 10.
TEST(BuiltInTakes, ContactUnlessFarBehind) {
    const DecisionCase cases[] = {
        // clang-format off
        // black: 20 + 10*10 + n*1
        {"30 %", Make({{20, 1}, {10, 8}, {5, -1}, {15, -10}, {24, -10}}), proc::Black, Money(), true},
        {"31 %", Make({{20, 1}, {10, 8}, {5, -1}, {15, -10}, {24, -11}}), proc::Black, Money(), false},
        // black: bar 25 + 8*10 + n*1
        {"on the bar, 20 %", Make({{20, 1}, {10, 8}, {25, -1}, {15, -8}, {24, -15}}), proc::Black, Money(), true},
        {"on the bar, 21 %", Make({{20, 1}, {10, 8}, {25, -1}, {15, -8}, {24, -16}}), proc::Black, Money(), false},
        // white: bar 25 + 7*10 + 5*1; the doubler's checker on the bar
        {"doubler on the bar, 21 %", Make({{26, 1}, {10, 7}, {1, 5}, {5, -1}, {15, -10}, {24, -1}}), proc::Black, Money(), true},
        // black doubles with 10*10; white: 20 + n*10 (+ 1)
        {"white taker, 30 %", Make({{20, 1}, {10, 11}, {15, -10}}), proc::White, Money(), true},
        {"white taker, 31 %", Make({{20, 1}, {10, 11}, {1, 1}, {15, -10}}), proc::White, Money(), false},
        // clang-format on
    };
    Expect(BuiltInTakes, cases);
}

TEST(BuiltInTakes, MatchScore) {
    const Cube whites{2, Owner::White};
    const Cube centre{};
    const proc::Board lead = Make(W100B115);
    const DecisionCase cases[] = {
        // clang-format off
        {"passing 2 loses at 3 of 5", lead, proc::Black, {5, 3, 0, false, false, whites}, true},
        {"passing 2 leaves 4 of 5", lead, proc::Black, {5, 2, 0, false, false, whites}, false},
        {"leader after Crawford", lead, proc::Black, {5, 1, 4, false, true, centre}, true},
        {"leader before Crawford", lead, proc::Black, {5, 1, 3, false, false, centre}, false},
        {"one-point match", lead, proc::Black, {1, 0, 0, false, false, centre}, true},
        {"no side", Make(W100B107), 0, Money(), false},
        // clang-format on
    };
    Expect(BuiltInTakes, cases);
}

} // namespace
