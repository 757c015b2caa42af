// Byte layouts of the messages to and from the board client.
#include "Positions.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <string>

using namespace proc;
using proctest::MakeBoard;

namespace {

// Windows-1251 bytes of the label suffixes.
const std::string whiteSuffix = " (\xE1\xE5\xEB\xFB\xE5)";           // " (белые)"
const std::string blackSuffix = " (\xF7\xB8\xF0\xED\xFB\xE5)";       // " (чёрные)"
const std::string computer = "\xCA\xEE\xEC\xEF\xFC\xFE\xF2\xE5\xF0"; // "Компьютер"

std::string Field(const ByteArray& message, size_t offset) {
    return std::string(message.begin() + static_cast<long>(offset),
                       message.begin() + static_cast<long>(offset + LabelSize));
}

std::string Padded(const std::string& text) {
    return text + std::string(LabelSize - text.size(), '\0');
}

TEST(StartMessage, CellsBiasedAndDice) {
    Board board = MakeBoard({{1, -2}, {6, 5}, {13, 15}, {19, -15}, {25, -1}, {26, 2}});
    ByteArray m = BuildStartMessage(board, "a", "b", MakeDice(5, 2));
    ASSERT_EQ(m.size(), 69u);
    EXPECT_EQ(m[0], 1);
    EXPECT_EQ(m[1], 126);
    EXPECT_EQ(m[2], 128);
    EXPECT_EQ(m[6], 133);
    EXPECT_EQ(m[13], 143);
    EXPECT_EQ(m[19], 113);
    EXPECT_EQ(m[25], 127);
    EXPECT_EQ(m[26], 130);
    EXPECT_EQ(m[67], 5);
    EXPECT_EQ(m[68], 2);
}

struct LabelCase {
    const char* name;
    std::string white;
    std::string black;
    std::string whiteField;
    std::string blackField;
};

const LabelCase labelCases[] = {
    {"computer", computer + whiteSuffix, computer + blackSuffix, Padded(computer + whiteSuffix),
     Padded(computer + blackSuffix)},
    {"white 12 fills exactly", "ABCDEFGHIJKL" + whiteSuffix, "x", "ABCDEFGHIJKL" + whiteSuffix,
     Padded("x")},
    {"white 13 loses the bracket", "ABCDEFGHIJKLM" + whiteSuffix, "x",
     "ABCDEFGHIJKLM" + whiteSuffix.substr(0, 7), Padded("x")},
    {"black 11 fills exactly", "x", "ABCDEFGHIJK" + blackSuffix, Padded("x"),
     "ABCDEFGHIJK" + blackSuffix},
    {"black 12 loses the bracket", "x", "ABCDEFGHIJKL" + blackSuffix, Padded("x"),
     "ABCDEFGHIJKL" + blackSuffix.substr(0, 8)},
    {"20 characters or more leave no suffix", std::string(20, 'W') + whiteSuffix,
     std::string(25, 'B') + blackSuffix, std::string(20, 'W'), std::string(20, 'B')},
    {"empty labels", "", "", Padded(""), Padded("")},
};

class LabelTable : public ::testing::TestWithParam<LabelCase> {};

TEST_P(LabelTable, TwentyByteFields) {
    const LabelCase& c = GetParam();
    ByteArray m = BuildStartMessage(Board{}, c.white, c.black, MakeDice(3, 1));
    ASSERT_EQ(m.size(), 69u);
    EXPECT_EQ(Field(m, 27), c.whiteField) << c.name;
    EXPECT_EQ(Field(m, 47), c.blackField) << c.name;
    EXPECT_EQ(m[67], 3);
}

INSTANTIATE_TEST_SUITE_P(Messages, LabelTable, ::testing::ValuesIn(labelCases));

TEST(DiceMessage, Bytes) {
    EXPECT_EQ(BuildDiceMessage(0x0305, White), (ByteArray{2, 129, 5, 3}));
    EXPECT_EQ(BuildDiceMessage(MakeDice(6, 6), Black), (ByteArray{2, 127, 6, 6}));
}

TEST(MoveMessage, Bytes) {
    EXPECT_EQ(BuildMoveMessage(White, {26, 22}), (ByteArray{4, 129, 26, 22}));
    EXPECT_EQ(BuildMoveMessage(Black, {25, 3}), (ByteArray{4, 127, 25, 3}));
    EXPECT_EQ(BuildMoveMessage(Black, {23, 27}), (ByteArray{4, 127, 23, 27}));
}

struct ListCase {
    const char* name;
    proctest::Cells cells;
    Dice dice;
    Side side;
    ByteArray expected;
};

const ListCase listCases[] = {
    // Generator order (3, 2), (4, 1), (4, 3), (3, 27).
    {"sorted by source",
     {{3, 1}, {4, 1}},
     MakeDice(3, 1),
     White,
     {3, 129, 132, 3, 2, 3, 27, 4, 1, 4, 3}},
    // Generator order (6, 1), (6, 27), (5, 27): the bear-off of 5 moves ahead of both.
    {"bear-off moves past two",
     {{1, 1}, {5, 1}, {6, 1}},
     MakeDice(6, 5),
     White,
     {3, 129, 131, 5, 27, 6, 1, 6, 27}},
    {"black bar", {{25, -1}, {12, -5}}, MakeDice(2, 5), Black, {3, 127, 130, 25, 2, 25, 5}},
    {"white bar", {{26, 1}, {13, 5}}, MakeDice(1, 1), White, {3, 129, 130, 26, 24, 26, 24}},
    {"one move", {{26, 1}, {19, -2}, {22, -1}}, 0x0306, White, {3, 129, 129, 26, 22}},
    {"empty", {{25, -1}, {4, 2}}, MakeDice(4, 4), Black, {3, 127, 128}},
    {"black duplicates stay together",
     {{20, -1}, {23, -1}},
     MakeDice(2, 2),
     Black,
     {3, 127, 132, 20, 22, 20, 22, 23, 27, 23, 27}},
};

class MoveListTable : public ::testing::TestWithParam<ListCase> {};

TEST_P(MoveListTable, Bytes) {
    const ListCase& c = GetParam();
    EXPECT_EQ(BuildMoveListMessage(MakeBoard(c.cells), c.dice, c.side), c.expected) << c.name;
}

INSTANTIATE_TEST_SUITE_P(Messages, MoveListTable, ::testing::ValuesIn(listCases));

TEST(MoveListMessage, HoldsEveryGeneratedMoveOnce) {
    Board board =
        MakeBoard({{24, 2}, {13, 5}, {8, 3}, {6, 5}, {1, -2}, {12, -5}, {17, -3}, {19, -5}});
    const Dice dice = MakeDice(3, 3);
    std::vector<Move> generated = proctest::List(board, dice, White);
    ByteArray m = BuildMoveListMessage(board, dice, White);
    ASSERT_EQ(m.size(), 3 + 2 * generated.size());
    EXPECT_EQ(m[2], 128 + generated.size());
    std::vector<Move> sent;
    for (size_t i = 3; i < m.size(); i += 2) {
        sent.push_back({m[i], m[i + 1]});
        if (sent.size() > 1) {
            EXPECT_LE(sent[sent.size() - 2].from, sent.back().from);
        }
    }
    auto byCells = [](const Move& a, const Move& b) {
        return a.from != b.from ? a.from < b.from : a.to < b.to;
    };
    std::sort(generated.begin(), generated.end(), byCells);
    std::sort(sent.begin(), sent.end(), byCells);
    EXPECT_EQ(sent, generated);
}

TEST(ClientMessage, MoveAndEcho) {
    const uint8_t bytes[] = {1, 0, 5, 2};
    ClientMessage c = ParseClientMessage(bytes, sizeof bytes);
    EXPECT_TRUE(c.isMove);
    EXPECT_TRUE(c.complete);
    EXPECT_EQ(c.move, (Move{6, 3}));
    EXPECT_EQ(BuildMoveMessage(Black, c.move), (ByteArray{4, 127, 6, 3}));
}

TEST(ClientMessage, OnlyBytesZeroTwoThreeCount) {
    const uint8_t bytes[] = {1, 99, 25, 26, 4, 129, 1, 2};
    ClientMessage c = ParseClientMessage(bytes, sizeof bytes);
    EXPECT_TRUE(c.isMove);
    EXPECT_TRUE(c.complete);
    EXPECT_EQ(c.move, (Move{26, 27}));
}

TEST(ClientMessage, ShortOrForeign) {
    const uint8_t shortBytes[] = {1, 0, 5};
    ClientMessage c = ParseClientMessage(shortBytes, sizeof shortBytes);
    EXPECT_TRUE(c.isMove);
    EXPECT_FALSE(c.complete);
    EXPECT_EQ(c.move, (Move{6, 1}));

    const uint8_t foreign[] = {2, 0, 5, 2};
    EXPECT_FALSE(ParseClientMessage(foreign, sizeof foreign).isMove);

    c = ParseClientMessage(nullptr, 0);
    EXPECT_FALSE(c.isMove);
    EXPECT_FALSE(c.complete);
    EXPECT_EQ(c.move, (Move{1, 1}));

    const uint8_t high[] = {1, 0, 255, 200};
    EXPECT_EQ(ParseClientMessage(high, sizeof high).move, (Move{256, 201}));
}

TEST(ClientMessage, BuildAndParseAgree) {
    for (int32_t from = 1; from <= 26; ++from) {
        for (int32_t to = 1; to <= 27; ++to) {
            ByteArray m = BuildClientMoveMessage({from, to});
            ASSERT_EQ(m.size(), 4u);
            ASSERT_EQ(m[0], 1);
            ASSERT_EQ(m[2], from - 1);
            ASSERT_EQ(m[3], to - 1);
            ASSERT_EQ(ParseClientMessage(m.data(), m.size()).move, (Move{from, to}));
        }
    }
}

} // namespace
