// The kill harness's judgement of one round: unchanged, one whole game, or a
// half-written or otherwise wrong database.
#include "Ledger.h"

#include <gtest/gtest.h>

using namespace killharness;

namespace {

// Anna (2) has 30 points, Boris (3) 61; one game in the journal.
Ledger Start() {
    Ledger l;
    l.points = {{1, 0}, {2, 30}, {3, 61}};
    l.games = {{1, 3, 2, 2, 10}};
    return l;
}

Ledger With(std::initializer_list<std::pair<int64_t, int64_t>> points, GameRow row) {
    Ledger l = Start();
    for (auto [code, value] : points)
        l.points[code] = value;
    if (row.code != 0)
        l.games.push_back(row);
    return l;
}

struct RoundCase {
    const char* what;
    Ledger after;
    bool oneGame;
    bool accepted;
};

TEST(KillHarnessLedger, JudgesEachRound) {
    const RoundCase cases[] = {
        {"unchanged", Start(), false, true},
        {"person beats person: +loser/3", With({{2, 50}}, {2, 2, 3, 1, 20}), true, true},
        {"gain of the wrong rounding", With({{2, 51}}, {2, 2, 3, 1, 21}), false, false},
        {"person beats the computer", With({{3, 62}}, {2, 3, 1, 4, 1}), true, true},
        {"the computer beats a person", With({{2, 29}}, {2, 1, 2, 4, 1}), true, true},
        {"points changed, no journal row", With({{2, 31}}, {}), false, false},
        {"journal row, points unchanged", With({}, {2, 3, 1, 4, 1}), false, false},
        {"a second player changed too", With({{3, 62}, {2, 31}}, {2, 3, 1, 4, 1}), false, false},
        {"code skips one", With({{3, 62}}, {3, 3, 1, 4, 1}), false, false},
        {"two games at once", [] {
             Ledger l = With({{3, 64}}, {2, 3, 1, 4, 1});
             l.games.push_back({3, 3, 1, 4, 1});
             return l;
         }(), false, false},
        {"an old row rewritten", [] {
             Ledger l = Start();
             l.games[0].margin = 5;
             return l;
         }(), false, false},
    };
    for (const RoundCase& c : cases) {
        bool oneGame = true;
        const QString verdict = CompareRounds(Start(), c.after, oneGame);
        EXPECT_EQ(oneGame, c.oneGame) << c.what;
        EXPECT_EQ(verdict.isEmpty() || oneGame, c.accepted) << c.what << ": " << qPrintable(verdict);
    }
}

TEST(KillHarnessLedger, ComputerAtZeroKeepsThePersonAtZero) {
    Ledger before = Start();
    before.points[2] = 0;
    Ledger after = before;
    after.games.push_back({2, 1, 2, 3, 1});
    bool oneGame = false;
    CompareRounds(before, after, oneGame);
    EXPECT_TRUE(oneGame);
}

// A write-out of waiting results: Анна beats Борис (gain 61/3), then the
// computer beats Анна, each with its identity; then maybe the round's own game.
TEST(KillHarnessLedger, JudgesEachWriteOut) {
    const QVector<GameRow> waiting{{0, 2, 3, 4, 0, "a"}, {0, 1, 2, 2, 0, "b"}};
    const GameRow a{2, 2, 3, 4, 20, "a"}, b{3, 1, 2, 2, 1, "b"};
    auto after = [](QVector<GameRow> rows, int anna, int boris) {
        Ledger l = Start();
        l.games += rows;
        l.points[2] = anna;
        l.points[3] = boris;
        return l;
    };
    const struct {
        const char* what;
        Ledger after;
        int delivered; // -1: refused
        bool own;
    } cases[] = {
        {"nothing yet", Start(), 0, false},
        {"the first", after({a}, 50, 61), 1, false},
        {"both, then the round's own game", after({a, b, {4, 3, 1, 6, 1, "own"}}, 49, 62), 2, true},
        {"out of their order", after({{2, 1, 2, 2, 1, "b"}}, 29, 61), -1, false},
        {"the own game before them", after({{2, 3, 1, 6, 1, "own"}}, 30, 62), -1, false},
        {"one twice", after({a, {3, 2, 3, 4, 20, "a"}}, 70, 61), -1, false},
        {"not the result it stands for", after({{2, 3, 2, 4, 10, "a"}}, 30, 71), -1, false},
        {"points off", after({a}, 51, 61), -1, false},
    };
    for (const auto& c : cases) {
        int delivered = -2;
        bool ownGame = false;
        const QString wrong = CompareWriteOut(Start(), c.after, waiting, delivered, ownGame);
        EXPECT_EQ(wrong.isEmpty() ? delivered : -1, c.delivered) << c.what << ": " << qPrintable(wrong);
        if (wrong.isEmpty()) {
            EXPECT_EQ(ownGame, c.own) << c.what;
        }
    }
}

// A run, or a finished round, that tested nothing must fail.
TEST(KillHarnessLedger, RunsAndFinishedRoundsThatTestNothingFail) {
    const struct {
        const char* what;
        Tally tally;
        bool passes;
    } runs[] = {
        {"games recorded, one killed after its commit", {5, 10, 1, 6}, true},
        {"every referee killed before its commit", {0, 15, 0, 0}, false},
        {"every referee finished unrecorded", {15, 0, 0, 0}, false},
        {"recorded, but no kill after a commit", {8, 7, 0, 8}, false},
    };
    for (const auto& r : runs)
        EXPECT_EQ(JudgeRun(r.tally).isEmpty(), r.passes) << r.what;
    const struct {
        int exitCode;
        bool oneGame;
        bool passes;
    } rounds[] = {{0, true, true}, {0, false, false}, {3, false, false}, {3, true, false}};
    for (const auto& r : rounds)
        EXPECT_EQ(JudgeFinishedRound(r.exitCode, r.oneGame).isEmpty(), r.passes)
            << r.exitCode << " " << r.oneGame;
}

} // namespace
