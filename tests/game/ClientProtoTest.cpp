// The test client's decoding of the referee's byte stream.
#include "ClientProto.h"

#include <gtest/gtest.h>

namespace {

using clientproto::Message;

std::string Plain(std::string_view s) {
    return std::string(s);
}

proc::ByteArray Join(std::initializer_list<proc::ByteArray> parts) {
    proc::ByteArray all;
    for (const auto& p : parts)
        all.insert(all.end(), p.begin(), p.end());
    return all;
}

TEST(ClientProto, SplitsAStreamCutAnywhereIntoTheSameMessages) {
    proc::Board board{};
    proc::Cell(board, 1) = -2;
    proc::Cell(board, 24) = 2;
    proc::Cell(board, 26) = 1;
    const proc::ByteArray stream =
        Join({proc::BuildStartMessage(board, "W (white)", "B", proc::MakeDice(5, 2)),
              proc::BuildDiceMessage(proc::MakeDice(3, 4), proc::White),
              proc::BuildMoveListMessage(board, proc::MakeDice(3, 4), proc::White),
              proc::BuildMoveMessage(proc::White, {26, 22}), proc::ByteArray{3, 127, 128}});
    for (size_t cut = 0; cut <= stream.size(); ++cut) {
        SCOPED_TRACE(cut);
        clientproto::MessageSplitter splitter;
        std::vector<Message> got;
        splitter.Append(stream.data(), cut);
        while (auto m = splitter.Next())
            got.push_back(*m);
        splitter.Append(stream.data() + cut, stream.size() - cut);
        while (auto m = splitter.Next())
            got.push_back(*m);
        ASSERT_EQ(got.size(), 5u);
        EXPECT_EQ(got[0].board, board);
        EXPECT_EQ(got[0].whiteLabel, "W (white)");
        EXPECT_EQ(got[0].blackLabel, "B");
        EXPECT_EQ(got[0].dice, proc::MakeDice(5, 2));
        EXPECT_EQ(got[1].side, proc::White);
        EXPECT_EQ(got[1].dice, proc::MakeDice(3, 4));
        EXPECT_EQ(got[2].moves, (std::vector<proc::Move>{{26, 22}, {26, 21}}));
        EXPECT_EQ(got[3].moves, (std::vector<proc::Move>{{26, 22}}));
        EXPECT_EQ(got[4].side, proc::Black);
        EXPECT_TRUE(got[4].moves.empty());
        EXPECT_TRUE(splitter.Rest().empty());
    }
}

TEST(ClientProto, UnknownTypeBreaksTheFraming) {
    clientproto::MessageSplitter splitter;
    const proc::ByteArray bytes{2, 129, 1, 2, 99, 9, 9};
    splitter.Append(bytes.data(), bytes.size());
    EXPECT_TRUE(splitter.Next().has_value());
    EXPECT_FALSE(splitter.Next().has_value());
    EXPECT_TRUE(splitter.Broken());
    EXPECT_EQ(splitter.Rest(), (proc::ByteArray{99, 9, 9}));
}

TEST(ClientProto, DescribesEachTypeOnOneLine) {
    proc::Board board{};
    proc::Cell(board, 6) = 5;
    proc::Cell(board, 19) = -5;
    const struct {
        proc::ByteArray bytes;
        std::string line;
    } cases[] = {
        {proc::BuildStartMessage(board, "A", "B", proc::MakeDice(6, 1)),
         "start white=\"A\" black=\"B\" opening=6-1 board=6:5 19:-5"},
        {proc::BuildDiceMessage(proc::MakeDice(2, 6), proc::Black), "dice black 2-6"},
        {proc::BuildMoveListMessage(board, proc::MakeDice(1, 2), proc::White),
         "list white n=2: 6-5 6-4"},
        {proc::ByteArray{3, 127, 128}, "list black n=0"},
        {proc::BuildMoveMessage(proc::Black, {19, 27}), "move black 19-27"},
    };
    for (const auto& c : cases) {
        const auto m = clientproto::Decode(c.bytes.data(), c.bytes.size());
        ASSERT_TRUE(m.has_value()) << c.line;
        EXPECT_EQ(clientproto::Describe(*m, Plain), c.line);
    }
    const proc::ByteArray truncated{4, 129, 6};
    EXPECT_FALSE(clientproto::Decode(truncated.data(), truncated.size()).has_value());
}

} // namespace
