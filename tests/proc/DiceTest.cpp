// The dice generator: state' = state * 134775813 + 1 (mod 2^32),
// die = (state' * 6) div 2^32 + 1.
#include "proc/proc.h"

#include <gtest/gtest.h>

using namespace proc;

namespace {

struct RollCase {
    uint32_t seed;
    Dice expected;
};

class RollDiceFromTable : public ::testing::TestWithParam<RollCase> {};

TEST_P(RollDiceFromTable, HandWorkedValues) {
    EXPECT_EQ(RollDiceFrom(GetParam().seed), GetParam().expected);
}

// Worked by hand. 134775813 = 4 * 33693953 + 1 = 8 * 16846976 + 5 = 16 * 8423488 + 5,
// so 2^k * 134775813 mod 2^32 = 2^k * (134775813 mod 2^(32-k)) mod 2^32.
//
// seed 0:     s1 = 1, 6 * 1 < 2^32 -> die 1;
//             s2 = 134775814, 6 * s2 = 808654884 < 2^32 -> die 1.          0x0101
// seed 2^28:  s1 = 5 * 2^28 + 1 = 1342177281, 6 * s1 = 8053063686 = 1.87 * 2^32 -> die 2;
//             s2 = 25 * 2^28 + 134775814 = 9 * 2^28 + 134775814 (mod 2^32) = 2550694918,
//             6 * s2 = 15304169508 = 3.56 * 2^32 -> die 4.                  0x0402
// seed 2^29:  s1 = 5 * 2^29 + 1 = 2684354561, 6 * s1 = 16106127366 = 3.75 * 2^32 -> die 4;
//             s2 = 25 * 2^29 + 134775814 = 2^29 + 134775814 (mod 2^32) = 671646726,
//             6 * s2 = 4029880356 < 2^32 -> die 1.                           0x0104
// seed 2^30:  s1 = 2^30 + 1, 6 * s1 = 1.5 * 2^32 + 6 -> die 2;
//             s2 = 2^30 + 134775814 = 1208517638, 6 * s2 = 7251105828 = 1.69 * 2^32 -> die 2.
// seed 2^31:  s1 = 2^31 + 1, 6 * s1 = 3 * 2^32 + 6 -> die 4;
//             s2 = 2^31 + 134775814 = 2282259462, 6 * s2 = 13693556772 = 3.19 * 2^32 -> die 4.
INSTANTIATE_TEST_SUITE_P(Dice, RollDiceFromTable,
                         ::testing::Values(RollCase{0, 0x0101}, RollCase{1u << 28, 0x0402},
                                           RollCase{1u << 29, 0x0104}, RollCase{1u << 30, 0x0202},
                                           RollCase{1u << 31, 0x0404}));

class DiceClockTest : public ::testing::Test {
  protected:
    void TearDown() override { SetDiceClock({}); }
};

TEST_F(DiceClockTest, EveryRollReseedsFromTheClock) {
    int reads = 0;
    SetDiceClock([&reads] {
        ++reads;
        return 1u << 28;
    });
    EXPECT_EQ(RollDice(), 0x0402);
    EXPECT_EQ(RollDice(), 0x0402);
    EXPECT_EQ(reads, 2);
}

TEST_F(DiceClockTest, RollDiceMatchesRollDiceFromTheClock) {
    uint32_t value = 12345;
    SetDiceClock([&value] { return value; });
    for (int i = 0; i < 200; ++i) {
        value = value * 2654435761u + 7u;
        ASSERT_EQ(RollDice(), RollDiceFrom(value));
    }
}

TEST_F(DiceClockTest, DefaultClockGivesDiceInRange) {
    SetDiceClock({});
    for (int i = 0; i < 1000; ++i) {
        Dice d = RollDice();
        ASSERT_GE(FirstDie(d), 1);
        ASSERT_LE(FirstDie(d), 6);
        ASSERT_GE(SecondDie(d), 1);
        ASSERT_LE(SecondDie(d), 6);
    }
}

TEST(Dice, WordLayout) {
    EXPECT_EQ(FirstDie(0x0305), 5);
    EXPECT_EQ(SecondDie(0x0305), 3);
    EXPECT_EQ(MakeDice(6, 3), 0x0306);
}

TEST(Dice, EveryFaceComesUpOverManySeeds) {
    int counts[2][7] = {};
    for (uint32_t seed = 0; seed < 60000; ++seed) {
        Dice d = RollDiceFrom(seed * 71993u);
        ASSERT_TRUE(FirstDie(d) >= 1 && FirstDie(d) <= 6);
        ASSERT_TRUE(SecondDie(d) >= 1 && SecondDie(d) <= 6);
        ++counts[0][FirstDie(d)];
        ++counts[1][SecondDie(d)];
    }
    for (int die = 0; die < 2; ++die)
        for (int face = 1; face <= 6; ++face)
            EXPECT_NEAR(counts[die][face], 10000, 600) << die << " " << face;
}

} // namespace
