// The match's record: how each game ends and what it scores with the cube,
// and the match's text read back (and refused where a line breaks the rules).
#include "record/ExchangeFormats.h"
#include "record/MatchRecord.h"
#include "record/RecordText.h"

#include <gtest/gtest.h>

using namespace record;

namespace {

using match::Result;

// Three turns: white bears two of its three checkers off the 1 point with a
// 1-2, black plays 13/19 13/18 with a 6-5, white bears the last one off.
// Black keeps fifteen checkers (a gammon), fourteen (a single game), or
// fourteen and one left on white's 3 point (a backgammon).
GameRecord ThreeTurnGame(Result blackLoses, int turns, const QString& white = QStringLiteral("Анна"),
                         const QString& black = QStringLiteral("Борис")) {
    proc::Board board{};
    proc::Cell(board, 1) = 3;
    proc::Cell(board, 13) = blackLoses == Result::Gammon ? -15 : -14;
    if (blackLoses == Result::Backgammon)
        proc::Cell(board, 3) = -1;
    GameRecord game;
    game.Add(StartInfo{board, white + QStringLiteral(" (белые)"), black + QStringLiteral(" (чёрные)"),
                       proc::MakeDice(5, 2)});
    const std::vector<std::pair<proc::Side, std::vector<proc::Move>>> played = {
        {proc::White, {{1, proc::BearOff}, {1, proc::BearOff}}},
        {proc::Black, {{13, 19}, {13, 18}}},
        {proc::White, {{1, proc::BearOff}}}};
    for (int t = 0; t < turns; ++t) {
        const auto& [side, moves] = played[size_t(t)];
        game.Add(DiceInfo{side, side == proc::White ? proc::MakeDice(1, 2) : proc::MakeDice(6, 5)});
        for (const proc::Move& move : moves)
            game.Add(MoveInfo{side, move});
    }
    return game;
}

struct EndCase {
    const char* title;
    Result board; // how black would lose on the board
    int turns;    // turns played (3: white has won on the board)
    std::vector<CubeAction> cube;
    std::vector<ResignAction> resign;
    GameEnd end;
    proc::Side winner;
    int points;
    Result level;
};

constexpr proc::Side W = proc::White;
constexpr proc::Side B = proc::Black;

// clang-format off
const EndCase EndCases[] = {
    {"SingleAtOne",            Result::Single,     3, {}, {}, GameEnd::Play, W, 1, Result::Single},
    {"GammonTakenAtTwo",       Result::Gammon,     3, {{0, W, 2, true}}, {}, GameEnd::Play, W, 4, Result::Gammon},
    {"BackgammonAtFour",       Result::Backgammon, 3, {{0, W, 2, true}, {1, B, 4, true}}, {}, GameEnd::Play, W, 12, Result::Backgammon},
    {"PassOfTheFirstDouble",   Result::Gammon,     1, {{1, B, 2, false}}, {}, GameEnd::Pass, B, 1, Result::Single},
    {"PassOfARedoubleToEight", Result::Gammon,     2, {{0, W, 2, true}, {1, B, 4, true}, {2, W, 8, false}}, {}, GameEnd::Pass, W, 4, Result::Single},
    {"GammonResignedAtTwo",    Result::Gammon,     1, {{0, W, 2, true}}, {{1, B, Result::Gammon, true}}, GameEnd::Resign, W, 4, Result::Gammon},
    {"RefusedThenPlayed",      Result::Gammon,     3, {}, {{1, B, Result::Single, false}}, GameEnd::Play, W, 2, Result::Gammon},
    {"NotOverYet",             Result::Single,     2, {{0, W, 2, true}}, {}, GameEnd::Unfinished, 0, 0, Result::Single},
};
// clang-format on

class GameEnds : public ::testing::TestWithParam<EndCase> {};

TEST_P(GameEnds, ScoreByTheBoardTheCubeAndTheOffers) {
    const EndCase& c = GetParam();
    MatchGame g;
    g.game = ThreeTurnGame(c.board, c.turns);
    g.cube = c.cube;
    g.resignations = c.resign;
    SettleGame(g);
    EXPECT_EQ(g.end, c.end);
    EXPECT_EQ(g.winner, c.winner);
    EXPECT_EQ(g.points, c.points);
    EXPECT_EQ(g.level, c.level);

    // Alone in a long match, the game's text reads back by the rules to the same end.
    if (c.end == GameEnd::Unfinished)
        return;
    MatchRecord m;
    m.length = 99;
    m.first = QStringLiteral("Анна");
    m.second = QStringLiteral("Борис");
    m.games.push_back(g);
    QString error;
    const auto read = ReadMatch(MatchText(m, QDateTime(QDate(2026, 12, 9), QTime(20, 0))), true, error);
    ASSERT_TRUE(read) << error.toStdString();
    ASSERT_EQ(read->games.size(), 1u);
    const MatchGame& back = read->games[0];
    EXPECT_EQ(back.end, c.end);
    EXPECT_EQ(back.points, c.points);
    EXPECT_EQ(back.FinalCube().value, g.FinalCube().value);
    EXPECT_EQ(back.cube.size(), c.cube.size());
    EXPECT_EQ(back.resignations.size(), c.resign.size());
}

INSTANTIATE_TEST_SUITE_P(Cases, GameEnds, ::testing::ValuesIn(EndCases),
                         [](const auto& info) { return std::string(info.param.title); });

// A match to 3: a gammon at 1:0 puts Anna at 3 and ends it.
MatchRecord TwoGameMatch() {
    MatchRecord m;
    m.length = 3;
    m.first = QStringLiteral("Анна");
    m.second = QStringLiteral("Борис");
    for (Result level : {Result::Single, Result::Gammon}) {
        MatchGame g;
        g.game = ThreeTurnGame(level, 3);
        SettleGame(g);
        m.games.push_back(g);
    }
    m.games[1].scoreFirst = 1;
    return m;
}

TEST(MatchText, ReadsBackTheScoreAndWinner) {
    const MatchRecord m = TwoGameMatch();
    EXPECT_EQ(m.Score(), std::make_pair(3, 0));
    EXPECT_EQ(m.Winner(), 1);
    const QString text = MatchText(m, QDateTime(QDate(2026, 12, 9), QTime(20, 0)));
    EXPECT_TRUE(IsMatchText(text));
    EXPECT_TRUE(text.startsWith(QStringLiteral("Матч до 3 очков\nДата: 09.12.2026 20:00\n")));
    EXPECT_TRUE(text.contains(QStringLiteral("\nСчёт: Анна 3, Борис 0\n")));
    EXPECT_TRUE(text.contains(QStringLiteral("\nПартия 2. Счёт: Анна (белые) 1, Борис (чёрные) 0\n")));
    EXPECT_TRUE(text.contains(QStringLiteral("Итог партии: победа белых (Анна), 2 очка (гаммон)")));
    QString error;
    const auto read = ReadMatch(text, true, error);
    ASSERT_TRUE(read) << error.toStdString();
    EXPECT_EQ(read->Score(), std::make_pair(3, 0));
    EXPECT_EQ(read->games[1].scoreFirst, 1);
    EXPECT_EQ(read->first, QStringLiteral("Анна"));
    EXPECT_EQ(read->second, QStringLiteral("Борис"));
}

// A name is text, never a template: a player called "%1" keeps his name in
// every line that names him, and what is written reads back.
TEST(MatchText, NamesHoldingPlaceholdersStayAsTheyAre) {
    const QString white = QStringLiteral("Анна %1"), black = QStringLiteral("%5 Борис %2%");
    const QDateTime when(QDate(2026, 12, 9), QTime(20, 0));
    const GameRecord game = ThreeTurnGame(Result::Single, 3, white, black);
    QString error;
    const auto again = ReadRecord(RecordText(game, when), error);
    ASSERT_TRUE(again) << error.toStdString();
    EXPECT_EQ(RecordText(*again, when), RecordText(game, when));
    EXPECT_TRUE(RecordText(game, when).contains("Розыгрыш цвета: " + white + " (белые) 5, " + black + " (чёрные) 2"));

    MatchRecord m;
    m.length = 1;
    m.first = white;
    m.second = black;
    MatchGame g;
    g.game = game;
    SettleGame(g);
    m.games.push_back(g);
    const QString text = MatchText(m, when);
    EXPECT_TRUE(text.contains("\nСчёт: " + white + " 1, " + black + " 0\n")) << text.toStdString();
    EXPECT_TRUE(text.contains("\nПартия 1. Счёт: " + white + " (белые) 0, " + black + " (чёрные) 0\n"));
    const auto read = ReadMatch(text, true, error);
    ASSERT_TRUE(read) << error.toStdString();
    EXPECT_EQ(read->first, white);
    EXPECT_EQ(read->second, black);
    const QString mat = MatchMatText(m, when);
    EXPECT_TRUE(mat.contains(" " + white + " : 0")) << mat.toStdString();
    EXPECT_TRUE(mat.contains(black + " : 0")) << mat.toStdString();
}

// A changed text the reader must refuse, at the line holding `bad`.
TEST(MatchText, RefusesWhatBreaksTheRules) {
    const QString good = MatchText(TwoGameMatch(), QDateTime(QDate(2026, 12, 9), QTime(20, 0)));
    const QString turn1 = QStringLiteral("1. Белые 1-2:");
    const QString turn2 = QStringLiteral("2. Чёрные 6-5:");
    const QString take = QStringLiteral("Куб: белые удваивают до 2, чёрные принимают\n");
    const struct {
        const char* title;
        QString from, to, bad;
    } cases[] = {
        {"NoTitle", QStringLiteral("Матч до 3 очков"), QStringLiteral("Партия в нарды"),
         QStringLiteral("Партия в нарды")},
        {"DoubleToThree", turn1, QStringLiteral("Куб: белые удваивают до 3, чёрные принимают\n") + turn1,
         QStringLiteral("удваивают до 3")},
        {"ValueSkipsATake", turn2, QStringLiteral("Куб: чёрные удваивают до 4, белые принимают\n") + turn2,
         QStringLiteral("удваивают до 4")},
        {"OwnerIsNotToMove", turn1, take + QStringLiteral("Куб: чёрные удваивают до 4, белые принимают\n") + turn1,
         QStringLiteral("удваивают до 4")},
        {"DoubleOutOfTurn", turn1, QStringLiteral("Куб: чёрные удваивают до 2, белые принимают\n") + turn1,
         QStringLiteral("Куб: чёрные")},
        {"PassThenPlay", turn1, QStringLiteral("Куб: белые удваивают до 2, чёрные отказываются\n") + turn1,
         QStringLiteral("отказываются")},
        {"GameAfterTheEnd", QStringLiteral("Итог партии: победа белых (Анна), 2 очка (гаммон)\n"),
         QStringLiteral("Итог партии: победа белых (Анна), 2 очка (гаммон)\n\nПартия 3. Счёт: Анна (белые) 3, "
                        "Борис (чёрные) 0\nПартия в нарды\n"),
         QStringLiteral("Партия 3.")},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.title);
        QString text = good;
        const qsizetype at = text.indexOf(c.from);
        ASSERT_GE(at, 0) << text.toStdString();
        text.replace(at, c.from.size(), c.to);
        QString error;
        EXPECT_FALSE(ReadMatch(text, true, error));
        const int line = int(text.left(text.indexOf(c.bad)).count('\n')) + 1;
        EXPECT_TRUE(error.startsWith(QStringLiteral("строка %1:").arg(line))) << error.toStdString();
    }
}

} // namespace
