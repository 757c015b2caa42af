// The automatic player picks only listed moves, reproducibly per seed.
#include "client/MovePicker.h"

#include <gtest/gtest.h>
#include <set>

using namespace client;

TEST(MovePicker, EmptyListGivesNothing) {
    MovePicker picker(1);
    EXPECT_FALSE(picker.Pick({}));
}

TEST(MovePicker, PicksOnlyListedMovesAndReachesThemAll) {
    const std::vector<proc::Move> list = {{26, 20}, {13, 7}, {13, 11}, {8, 2}, {6, 27}};
    std::set<std::pair<int32_t, int32_t>> seen;
    for (uint32_t seed = 0; seed < 50; ++seed) {
        MovePicker picker(seed);
        for (int i = 0; i < 10; ++i) {
            const auto move = picker.Pick(list);
            ASSERT_TRUE(move);
            ASSERT_NE(std::find(list.begin(), list.end(), *move), list.end());
            seen.insert({move->from, move->to});
        }
    }
    EXPECT_EQ(seen.size(), list.size());
}

TEST(MovePicker, SameSeedSameGame) {
    const std::vector<proc::Move> list = {{1, 2}, {3, 4}, {5, 6}, {7, 8}, {9, 10}, {11, 12}};
    MovePicker a(99);
    MovePicker b(99);
    for (int i = 0; i < 20; ++i) {
        EXPECT_EQ(*a.Pick(list), *b.Pick(list));
    }
}

TEST(MovePicker, ClientBytesAreZeroBased) {
    // The message the client sends for a pick, as the referee reads it back.
    const std::vector<proc::Move> list = {{26, 20}, {6, 27}};
    MovePicker picker(3);
    for (int i = 0; i < 8; ++i) {
        const proc::Move move = *picker.Pick(list);
        const proc::ByteArray bytes = proc::BuildClientMoveMessage(move);
        ASSERT_EQ(bytes.size(), 4u);
        EXPECT_EQ(bytes[0], 1);
        EXPECT_EQ(bytes[2], move.from - 1);
        EXPECT_EQ(bytes[3], move.to - 1);
    }
}
