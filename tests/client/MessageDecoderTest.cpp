// The referee's byte stream into messages: every builder's output decodes to
// what was built, however the stream is cut, and garbage never gets through.
#include "client/MessageDecoder.h"
#include "text/Win1251.h"

#include <gtest/gtest.h>
#include <random>

using namespace client;

namespace {

QByteArray Bytes(const proc::ByteArray& b) {
    return QByteArray(reinterpret_cast<const char*>(b.data()), static_cast<qsizetype>(b.size()));
}

proc::Board SomeBoard() {
    proc::Board board{};
    proc::Cell(board, 1) = -2;
    proc::Cell(board, 6) = 5;
    proc::Cell(board, 13) = 15;
    proc::Cell(board, 19) = -15;
    proc::Cell(board, 25) = -1;
    proc::Cell(board, 26) = 3;
    return board;
}

std::vector<Message> FeedAll(MessageDecoder& decoder, const QByteArray& bytes,
                             QStringList& problems) {
    return decoder.Feed(QByteArrayView(bytes), problems);
}

} // namespace

TEST(MessageDecoder, StartMessageCarriesBoardLabelsAndOpening) {
    const proc::Board board = SomeBoard();
    const auto bytes =
        proc::BuildStartMessage(board, text::ToWin1251Std("Иван (белые)"),
                                text::ToWin1251Std("Компьютер (чёрные)"), proc::MakeDice(5, 2));
    MessageDecoder decoder;
    QStringList problems;
    const auto messages = FeedAll(decoder, Bytes(bytes), problems);
    ASSERT_EQ(messages.size(), 1u);
    EXPECT_TRUE(problems.isEmpty());
    const auto& start = std::get<StartInfo>(messages[0]);
    EXPECT_EQ(start.board, board);
    EXPECT_EQ(start.whiteLabel, QStringLiteral("Иван (белые)"));
    EXPECT_EQ(start.blackLabel, QStringLiteral("Компьютер (чёрные)"));
    EXPECT_EQ(proc::FirstDie(start.opening), 5);
    EXPECT_EQ(proc::SecondDie(start.opening), 2);
}

TEST(MessageDecoder, FullLabelFieldHasNoTerminator) {
    // Twelve letters fill white's field exactly with the suffix, no zero byte.
    const auto bytes =
        proc::BuildStartMessage(SomeBoard(), text::ToWin1251Std("Александрина (белые)"),
                                text::ToWin1251Std("Ян (чёрные)"), proc::MakeDice(6, 1));
    QStringList problems;
    MessageDecoder decoder;
    const auto messages = FeedAll(decoder, Bytes(bytes), problems);
    ASSERT_EQ(messages.size(), 1u);
    EXPECT_EQ(std::get<StartInfo>(messages[0]).whiteLabel, QStringLiteral("Александрина (белые)"));
    EXPECT_EQ(std::get<StartInfo>(messages[0]).blackLabel, QStringLiteral("Ян (чёрные)"));
}

TEST(MessageDecoder, DiceListAndMoveMessages) {
    QByteArray stream = Bytes(proc::BuildDiceMessage(proc::MakeDice(3, 5), proc::Black));
    stream += QByteArray::fromHex("0381"
                                  "83"
                                  "1a14"
                                  "0306"
                                  "1418"); // list: white, 26-20, 3-6 and 20-24
    stream += Bytes(proc::BuildMoveMessage(proc::White, {3, proc::BearOff}));
    stream += QByteArray::fromHex("037f80"); // empty list for black
    stream += Bytes(proc::BuildMoveMessage(proc::Black, {18, 24}));
    MessageDecoder decoder;
    QStringList problems;
    const auto messages = FeedAll(decoder, stream, problems);
    ASSERT_EQ(messages.size(), 5u);
    EXPECT_TRUE(problems.isEmpty());
    const auto& dice = std::get<DiceInfo>(messages[0]);
    EXPECT_EQ(dice.side, proc::Black);
    EXPECT_EQ(dice.dice, proc::MakeDice(3, 5));
    const auto& list = std::get<MoveListInfo>(messages[1]);
    EXPECT_EQ(list.side, proc::White);
    EXPECT_EQ(list.moves, (std::vector<proc::Move>{{26, 20}, {3, 6}, {20, 24}}));
    const auto& move = std::get<MoveInfo>(messages[2]);
    EXPECT_EQ(move.side, proc::White);
    EXPECT_EQ(move.move, (proc::Move{3, 27}));
    EXPECT_TRUE(std::get<MoveListInfo>(messages[3]).moves.empty());
    EXPECT_EQ(std::get<MoveInfo>(messages[4]).move, (proc::Move{18, 24}));
    EXPECT_EQ(decoder.Pending(), 0);
}

TEST(MessageDecoder, ListFromTheEngineDecodesToTheEnginesMoves) {
    proc::Board board{};
    proc::Cell(board, 26) = 1;
    proc::Cell(board, 8) = 3;
    proc::Cell(board, 3) = -1;
    const auto bytes = proc::BuildMoveListMessage(board, proc::MakeDice(4, 2), proc::White);
    proc::MoveList all{};
    const int32_t n = proc::ListMoves(board, proc::MakeDice(4, 2), proc::White, all);
    MessageDecoder decoder;
    QStringList problems;
    const auto messages = FeedAll(decoder, Bytes(bytes), problems);
    ASSERT_EQ(messages.size(), 1u);
    const auto& list = std::get<MoveListInfo>(messages[0]);
    ASSERT_EQ(static_cast<int32_t>(list.moves.size()), n);
    for (const proc::Move& m : list.moves) {
        EXPECT_NE(std::find(all.begin(), all.begin() + n, m), all.begin() + n);
    }
}

TEST(MessageDecoder, AnyCutOfTheStreamGivesTheSameMessages) {
    QByteArray stream = Bytes(proc::BuildStartMessage(SomeBoard(), "a", "b", proc::MakeDice(2, 4)));
    stream += Bytes(proc::BuildDiceMessage(proc::MakeDice(6, 6), proc::White));
    stream += QByteArray::fromHex("0381"
                                  "83"
                                  "0d07"
                                  "0d09"
                                  "1a14");
    stream += Bytes(proc::BuildMoveMessage(proc::White, {13, 7}));
    stream += Bytes(proc::BuildMatchStateMessage({5, 1, 2, 2, proc::Black, false}));
    stream += Bytes(proc::BuildGameOverMessage(proc::White, 2, 1, false));
    QStringList whole;
    MessageDecoder reference;
    const auto expected = FeedAll(reference, stream, whole);
    ASSERT_EQ(expected.size(), 6u);

    // Every single cut point, and byte by byte.
    for (qsizetype cut = 0; cut <= stream.size(); ++cut) {
        MessageDecoder decoder;
        QStringList problems;
        auto got = FeedAll(decoder, stream.first(cut), problems);
        const auto rest = FeedAll(decoder, stream.sliced(cut), problems);
        got.insert(got.end(), rest.begin(), rest.end());
        ASSERT_EQ(got.size(), expected.size()) << "cut at " << cut;
        for (size_t i = 0; i < got.size(); ++i) {
            EXPECT_EQ(DescribeMessage(got[i]), DescribeMessage(expected[i])) << "cut at " << cut;
        }
        EXPECT_TRUE(problems.isEmpty());
    }
    MessageDecoder decoder;
    QStringList problems;
    size_t count = 0;
    for (char byte : stream) {
        count += FeedAll(decoder, QByteArray(1, byte), problems).size();
    }
    EXPECT_EQ(count, expected.size());
}

TEST(MessageDecoder, UnknownTypeDropsTheBufferAndTheStreamRecovers) {
    MessageDecoder decoder;
    QStringList problems;
    QByteArray stream = Bytes(proc::BuildDiceMessage(proc::MakeDice(1, 2), proc::White));
    stream += QByteArray::fromHex("0cffff04810d07"); // garbage, then a move that is lost with it
    const auto first = FeedAll(decoder, stream, problems);
    ASSERT_EQ(first.size(), 1u);
    EXPECT_TRUE(std::holds_alternative<DiceInfo>(first[0]));
    EXPECT_EQ(problems.size(), 1);
    EXPECT_EQ(decoder.Pending(), 0);
    const auto next =
        FeedAll(decoder, Bytes(proc::BuildMoveMessage(proc::Black, {25, 3})), problems);
    ASSERT_EQ(next.size(), 1u);
    EXPECT_EQ(std::get<MoveInfo>(next[0]).move, (proc::Move{25, 3}));
}

struct BadMessage {
    const char* name;
    QByteArray bytes;
    bool framingLost; // the rest of the buffer goes too
};

QByteArray Hex(const char* hex) {
    return QByteArray::fromHex(hex);
}

QByteArray StartWith(int32_t cell, int32_t count, proc::Dice opening) {
    proc::Board board = SomeBoard();
    proc::Cell(board, cell) = count;
    return Bytes(proc::BuildStartMessage(board, "a", "b", opening));
}

class MessageDecoderBad : public ::testing::TestWithParam<BadMessage> {};

TEST_P(MessageDecoderBad, IsReportedAndSkipped) {
    const BadMessage& bad = GetParam();
    MessageDecoder decoder;
    QStringList problems;
    QByteArray stream = bad.bytes;
    stream += Bytes(proc::BuildDiceMessage(proc::MakeDice(4, 4), proc::Black));
    const auto messages = FeedAll(decoder, stream, problems);
    EXPECT_EQ(problems.size(), 1) << bad.name;
    EXPECT_EQ(messages.size(), bad.framingLost ? 0u : 1u) << bad.name;
    EXPECT_EQ(decoder.Pending(), 0) << bad.name;
}

// clang-format off
INSTANTIATE_TEST_SUITE_P(
    Table, MessageDecoderBad,
    ::testing::Values(
        BadMessage{"dice side zero", Hex("02800102"), false},
        BadMessage{"die seven", Hex("02810107"), false},
        BadMessage{"die zero", Hex("02810001"), false},
        BadMessage{"move target 25", Hex("0481" "0719"), false},
        BadMessage{"move source 0", Hex("047f" "0003"), false},
        BadMessage{"move target 28", Hex("0481" "031c"), false},
        BadMessage{"list side 2", Hex("038281" "0d07"), false},
        BadMessage{"list entry target 0", Hex("038181" "0d00"), false},
        BadMessage{"negative list count", Hex("03817f0102"), true},
        BadMessage{"type zero", Hex("00"), true},
        BadMessage{"type twelve", Hex("0c810102"), true},
        BadMessage{"match length 0", Hex("05" "0000" "0000" "0000" "00" "80" "00"), false},
        BadMessage{"match cube 128", Hex("05" "0500" "0000" "0000" "07" "80" "00"), false},
        BadMessage{"match owner 2", Hex("05" "0500" "0000" "0000" "01" "82" "00"), false},
        BadMessage{"match crawford 2", Hex("05" "0500" "0000" "0000" "00" "80" "02"), false},
        BadMessage{"cube turn side 0", Hex("0680"), false},
        BadMessage{"double by side 0", Hex("07800100"), false},
        BadMessage{"double to 1", Hex("07810000"), false},
        BadMessage{"double to 128", Hex("07810700"), false},
        BadMessage{"double person 2", Hex("07810102"), false},
        BadMessage{"double answer side 2", Hex("088201"), false},
        BadMessage{"double answer 2", Hex("087f02"), false},
        BadMessage{"resign level 0", Hex("09810000"), false},
        BadMessage{"resign level 4", Hex("097f0401"), false},
        BadMessage{"resign person 2", Hex("09810102"), false},
        BadMessage{"resign by side 0", Hex("09800101"), false},
        BadMessage{"resign answer side 0", Hex("0a8001"), false},
        BadMessage{"resign answer 2", Hex("0a8102"), false},
        BadMessage{"game over for side 0", Hex("0b80" "0100" "01" "00"), false},
        BadMessage{"game over of 0 points", Hex("0b81" "0000" "01" "00"), false},
        BadMessage{"game over level 4", Hex("0b7f" "0200" "04" "00"), false},
        BadMessage{"game over flag 2", Hex("0b7f" "0200" "01" "02"), false},
        BadMessage{"white checker on black's bar", StartWith(25, 1, proc::MakeDice(3, 1)), false},
        BadMessage{"black checker on white's bar", StartWith(26, -1, proc::MakeDice(3, 1)), false},
        BadMessage{"first opening die 0", StartWith(25, 0, proc::MakeDice(0, 4)), false},
        BadMessage{"second opening die 0", StartWith(25, 0, proc::MakeDice(4, 0)), false}));
// clang-format on

TEST(MessageDecoder, RandomGarbageNeverCrashesNorHoardsBytes) {
    std::mt19937 rng(7);
    MessageDecoder decoder;
    for (int round = 0; round < 2000; ++round) {
        QByteArray chunk(static_cast<qsizetype>(rng() % 40), '\0');
        for (char& c : chunk) {
            c = static_cast<char>(rng() % 13); // mostly valid type bytes, to reach every path
        }
        QStringList problems;
        const auto messages = FeedAll(decoder, chunk, problems);
        for (const Message& m : messages) {
            if (const auto* move = std::get_if<MoveInfo>(&m)) {
                EXPECT_GE(move->move.from, 1);
                EXPECT_LE(move->move.from, 26);
            }
        }
        // The longest message is a list of 127 moves.
        EXPECT_LE(decoder.Pending(), 3 + 2 * 127);
    }
}

// The match's messages as the referee builds them, and one written out byte by
// byte, decode to every field they carry.
TEST(MessageDecoder, MatchMessagesCarryEveryField) {
    const struct {
        QByteArray bytes;
        const char* described;
        int person; // whether a person answers; -1 where the message has no such field
    } cases[] = {
        // clang-format off
        {Bytes(proc::BuildMatchStateMessage({7, 3, 300, 8, proc::White, false})), "match length=7 score=3:300 cube=8 owner=white", -1},
        {Hex("05" "0500" "0400" "0200" "00" "80" "01"), "match length=5 score=4:2 cube=1 owner=centre crawford", -1},
        {Hex("05" "0b00" "0000" "0001" "06" "7f" "00"), "match length=11 score=0:256 cube=64 owner=black", -1},
        {Bytes(proc::BuildCubeTurnMessage(proc::Black)), "cube-turn black", -1},
        {Bytes(proc::BuildDoubleMessage(proc::White, 4, true)), "double white 4", 1},
        {Bytes(proc::BuildDoubleMessage(proc::Black, 64, false)), "double black 64", 0},
        {Bytes(proc::BuildDoubleAnswerMessage(proc::Black, true)), "take black", -1},
        {Bytes(proc::BuildDoubleAnswerMessage(proc::White, false)), "pass white", -1},
        {Bytes(proc::BuildResignMessage(proc::Black, 3, true)), "resign black 3", 1},
        {Bytes(proc::BuildResignMessage(proc::White, 1, false)), "resign white 1", 0},
        {Bytes(proc::BuildResignAnswerMessage(proc::White, true)), "accept white", -1},
        {Bytes(proc::BuildResignAnswerMessage(proc::Black, false)), "refuse black", -1},
        {Bytes(proc::BuildGameOverMessage(proc::Black, 258, 2, true)), "game-over black points=258 level=2 match-over", -1},
        {Bytes(proc::BuildGameOverMessage(proc::White, 1, 1, false)), "game-over white points=1 level=1", -1},
        // clang-format on
    };
    QByteArray stream;
    for (const auto& k : cases) {
        stream += k.bytes;
    }
    // All in one stream: each length is right, or the ones after it go wrong.
    MessageDecoder decoder;
    QStringList problems;
    const auto messages = FeedAll(decoder, stream, problems);
    EXPECT_TRUE(problems.isEmpty()) << problems.join('|').toStdString();
    ASSERT_EQ(messages.size(), std::size(cases));
    for (size_t i = 0; i < messages.size(); ++i) {
        EXPECT_EQ(DescribeMessage(messages[i]), QString::fromUtf8(cases[i].described));
        EXPECT_TRUE(record::IsMatchMessage(messages[i])) << cases[i].described;
        int person = -1;
        if (const auto* offer = std::get_if<DoubleInfo>(&messages[i])) {
            person = offer->personAnswers;
        } else if (const auto* resign = std::get_if<ResignInfo>(&messages[i])) {
            person = resign->personAnswers;
        }
        EXPECT_EQ(person, cases[i].person) << cases[i].described;
    }
    EXPECT_EQ(decoder.Pending(), 0);
}

TEST(MessageDecoder, DescribeGivesOneLinePerMessage) {
    EXPECT_EQ(DescribeMessage(MoveListInfo{proc::Black, {{25, 3}, {1, 5}}}),
              QStringLiteral("list black n=2 25-3 1-5"));
    EXPECT_EQ(DescribeMessage(DiceInfo{proc::White, proc::MakeDice(6, 2)}),
              QStringLiteral("dice white 6-2"));
    EXPECT_EQ(DescribeMessage(MoveInfo{proc::White, {3, 27}}), QStringLiteral("move white 3-27"));
    EXPECT_FALSE(DescribeMessage(StartInfo{}).contains('\n'));
}
