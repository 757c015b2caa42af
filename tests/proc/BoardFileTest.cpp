// The initial position file, read from a program folder made for each test.
#include "Positions.h"

#include <gtest/gtest.h>

#include <cerrno>
#include <filesystem>
#include <fstream>
#include <string>

using namespace proc;
namespace fs = std::filesystem;

namespace {

class LoadBoardTest : public ::testing::Test {
  protected:
    void SetUp() override {
        char pattern[] = "/tmp/proc-board-XXXXXX";
        ASSERT_NE(mkdtemp(pattern), nullptr);
        folder_ = pattern;
        fs::create_directory(folder_ / "Data");
        board_.fill(9);
    }
    void TearDown() override { fs::remove_all(folder_); }

    void Write(const std::string& text) {
        std::ofstream out(folder_ / "Data" / "Board.cfg", std::ios::binary);
        out << text;
    }
    void Load() { LoadBoard(board_, folder_.string()); }

    fs::path folder_;
    Board board_;
};

Board Points(std::initializer_list<int32_t> values) {
    Board board{};
    size_t k = 0;
    for (int32_t v : values)
        board[k++] = v;
    return board;
}

const char* const standardOneLine = "-2 0 0 0 0 5 0 3 0 0 0 -5 5 0 0 0 -3 0 -5 0 0 0 0 2";

struct FileCase {
    const char* name;
    std::string text;
    Board expected;
};

class LoadBoardTable : public LoadBoardTest, public ::testing::WithParamInterface<FileCase> {};

TEST_P(LoadBoardTable, Cells) {
    Write(GetParam().text);
    ASSERT_NO_THROW(Load());
    EXPECT_EQ(board_, GetParam().expected) << GetParam().name;
}

const Board standard =
    Points({-2, 0, 0, 0, 0, 5, 0, 3, 0, 0, 0, -5, 5, 0, 0, 0, -3, 0, -5, 0, 0, 0, 0, 2});

INSTANTIATE_TEST_SUITE_P(
    Files, LoadBoardTable,
    ::testing::Values(
        FileCase{"one line", standardOneLine, standard},
        FileCase{"lines and tabs",
                 "-2\t0 0\r\n0 0 5\n0\t\t3 0 0 0 -5\r5 0 0 0\n\n-3 0 -5 0 0 0 0 2\r\n", standard},
        FileCase{"control characters separate",
                 std::string("1\x01"
                             "2\0"
                             "3\x1F",
                             6),
                 Points({1, 2, 3})},
        FileCase{"three numbers", "1 2 3", Points({1, 2, 3})},
        FileCase{"empty file", "", Points({})},
        FileCase{"signs and limits", "+4 -2147483648 2147483647 007 -0",
                 Points({4, INT32_MIN, INT32_MAX, 7, 0})},
        FileCase{"after the 24th anything goes", std::string(standardOneLine) + " garbage x",
                 standard}));

TEST_F(LoadBoardTest, FifthTokenNotANumberStopsThere) {
    Write("1 2 3 4 x 6 7");
    try {
        Load();
        FAIL() << "no error";
    } catch (const InOutError& e) {
        EXPECT_EQ(e.Code(), EINVAL);
        EXPECT_STREQ(e.what(), "invalid numeric format");
    }
    Board expected;
    expected.fill(9);
    expected[0] = 1, expected[1] = 2, expected[2] = 3, expected[3] = 4;
    EXPECT_EQ(board_, expected);
}

TEST_F(LoadBoardTest, BadTokensAreErrors) {
    for (const char* text : {"5x", "-", "+", "1 2 3-", "2147483648", "-2147483649",
                             "99999999999999999999", "\xC0", "\x7F", "1,2"}) {
        Write(text);
        EXPECT_THROW(Load(), InOutError) << text;
    }
}

TEST_F(LoadBoardTest, MissingFile) {
    try {
        Load();
        FAIL() << "no error";
    } catch (const InOutError& e) {
        EXPECT_EQ(e.Code(), ENOENT);
        EXPECT_STREQ(e.what(), "file not found");
    }
    Board untouched;
    untouched.fill(9);
    EXPECT_EQ(board_, untouched);
}

TEST_F(LoadBoardTest, UnreadableFileIsAnError) {
    fs::create_directory(folder_ / "Data" / "Board.cfg");
    EXPECT_THROW(Load(), InOutError);
}

TEST(ShippedBoard, StandardStartWithFifteenEach) {
    Board board;
    board.fill(3);
    LoadBoard(board, VERTAN_SOURCE_DIR "/data");
    EXPECT_EQ(board, standard);
    EXPECT_EQ(proctest::Checkers(board, White), 15);
    EXPECT_EQ(proctest::Checkers(board, Black), 15);
}

} // namespace
