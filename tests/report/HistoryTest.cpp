// The rating history: the journal's awards replayed, checked point by point
// against charts worked out by hand.
#include "report/History.h"

#include <gtest/gtest.h>
#include <algorithm>
#include <map>
#include <random>

namespace {

using report::Club;

struct HistoryCase {
    const char* name;
    std::vector<report::Player> players;          // with today's points
    std::vector<std::array<qint64, 3>> games;     // winner, loser, award; 1: computer, 7: engine
    std::map<qint64, std::vector<qint64>> charts; // every point of each player's chart
    std::map<qint64, qint64> shifts;
};

void PrintTo(const HistoryCase& c, std::ostream* out) {
    *out << c.name;
}

class HistoryReplay : public ::testing::TestWithParam<HistoryCase> {};

TEST_P(HistoryReplay, EveryPointOfEveryChart) {
    const HistoryCase& c = GetParam();
    Club club;
    club.ratings = c.players;
    club.engine = 7;
    qint64 code = 10;
    for (const auto& [winner, loser, award] : c.games)
        club.games.push_back({code++, "01.01.2026", winner, loser, 1, award});
    const report::History history = report::ReplayHistory(club);
    const auto stats = report::CountGames(club);
    for (const auto& [player, expected] : c.charts) {
        std::vector<qint64> chart;
        for (const quint32 i : stats[player].gameIndexes)
            chart.push_back(club.games[i].winner == player ? history.winnerAfter[i]
                                                           : history.loserAfter[i]);
        EXPECT_EQ(chart, expected) << "player " << player;
    }
    std::map<qint64, qint64> shifts;
    for (auto it = history.shift.begin(); it != history.shift.end(); ++it)
        shifts[it.key()] = it.value();
    EXPECT_EQ(shifts, c.shifts);
}

INSTANTIATE_TEST_SUITE_P(
    Report, HistoryReplay,
    ::testing::Values(
        // Against the computer: +1 a win, -1 a loss but never below 0.
        HistoryCase{"Computer",
                    {{2, "А", 0}},
                    {{1, 2, 1}, {2, 1, 1}, {2, 1, 1}, {1, 2, 1}, {1, 2, 1}, {1, 2, 1}},
                    {{2, {0, 1, 2, 1, 0, 0}}},
                    {}},
        // The engine is a computer too.
        HistoryCase{"Engine",
                    {{2, "А", 0}},
                    {{7, 2, 1}, {2, 7, 1}, {2, 1, 1}, {7, 2, 1}, {1, 2, 1}, {7, 2, 1}},
                    {{2, {0, 1, 2, 1, 0, 0}}},
                    {}},
        // Between people the winner gains a third of the loser's points,
        // rounded, as the journal's award says.
        HistoryCase{"People",
                    {{2, "А", 4}, {3, "Б", 4}},
                    {{2, 1, 1}, {2, 1, 1}, {2, 1, 1}, {2, 1, 1}, {3, 2, 1}, {2, 3, 0}, {3, 2, 1},
                     {3, 2, 1}},
                    {{2, {1, 2, 3, 4, 4, 4, 4, 4}}, {3, {2, 2, 3, 4}}},
                    {{3, 1}}},
        // A cleared journal: the kept games replayed from 0, then moved up to today's points.
        HistoryCase{"Cleared",
                    {{2, "А", 10}, {3, "Б", 0}},
                    {{2, 3, 0}, {2, 1, 1}, {1, 2, 1}},
                    {{2, {10, 11, 10}}, {3, {0}}},
                    {{2, 10}}},
        // Cleared when А had 25 and Б 30: А's two wins over Б were worth 10
        // each, В's over А (at 45) 15. The replay from 0 could not have
        // worked those out again.
        HistoryCase{"ClearedAwards",
                    {{2, "А", 45}, {3, "Б", 30}, {4, "В", 27}},
                    {{2, 3, 10}, {2, 3, 10}, {3, 1, 1}, {1, 3, 1}, {4, 2, 15}},
                    {{2, {35, 45, 45}}, {3, {30, 30, 31, 30}}, {4, {27}}},
                    {{2, 25}, {3, 30}, {4, 12}}},
        HistoryCase{"NoGames", {{2, "А", 0}, {3, "Б", 7}}, {}, {{2, {}}, {3, {}}}, {{3, 7}}}),
    [](const auto& info) { return std::string(info.param.name); });

// A big club: thousands of players, each first seen in some game, often as
// the loser (the replay's table grows in the middle of a game), against a
// plain replay written apart.
TEST(HistoryReplay, ABigClubAsAPlainReplayHasIt) {
    Club club;
    std::mt19937 random(2026);
    qint64 seen = 1; // codes 2 .. seen have played; 1 is the computer
    const auto pick = [&] {
        return random() % 3 == 0 && seen < 6000 ? ++seen : qint64(1 + random() % seen);
    };
    for (qint64 code = 1; code <= 40000; ++code) {
        const qint64 winner = pick();
        const qint64 loser = pick();
        if (winner == loser)
            continue;
        const qint64 award = winner == 1 || loser == 1 ? 1 : qint64(random() % 20);
        club.games.push_back({code, "01.01.2026", winner, loser, 1, award});
    }
    for (qint64 code = 2; code <= seen; ++code)
        club.ratings.push_back({code, QString::number(code), qint64(random() % 100)});
    ASSERT_GT(seen, 5000);

    std::map<qint64, qint64> points;
    std::vector<std::array<qint64, 2>> after;
    for (const report::JournalGame& g : club.games) {
        if (g.winner == club.computer)
            points[g.loser] = std::max<qint64>(points[g.loser] - g.award, 0);
        else
            points[g.winner] += g.award;
        after.push_back({points[g.winner], points[g.loser]});
    }
    std::map<qint64, qint64> shifts;
    for (const report::Player& p : club.ratings)
        if (p.points != points[p.code])
            shifts[p.code] = p.points - points[p.code];

    const auto shifted = [&](qint64 points, qint64 player) {
        const auto shift = shifts.find(player);
        return points + (shift == shifts.end() ? 0 : shift->second);
    };

    const report::History history = report::ReplayHistory(club);
    ASSERT_EQ(history.winnerAfter.size(), club.games.size());
    ASSERT_EQ(history.loserAfter.size(), club.games.size());
    for (size_t i = 0; i < club.games.size(); ++i) {
        const report::JournalGame& g = club.games[i];
        ASSERT_EQ(history.winnerAfter[i], shifted(after[i][0], g.winner)) << "game " << g.code;
        ASSERT_EQ(history.loserAfter[i], shifted(after[i][1], g.loser)) << "game " << g.code;
    }
    EXPECT_EQ(size_t(history.shift.size()), shifts.size());
}

// The correction log in its places: points a correction set carry on from
// there, so no shift is guessed; one that sets none keeps the points.
TEST(HistoryReplay, CorrectionsSetThePointsWhereTheyWereMade) {
    Club club;
    club.ratings = {{2, "А", 5}, {3, "Б", 3}};
    club.games = {{10, "01.01.2026", 2, 1, 1, 1},
                  {11, "02.01.2026", 2, 1, 1, 1},
                  {12, "03.01.2026", 3, 2, 1, 0}};
    // clang-format off
    club.corrections = {
        {2, 10, "02.01.2026", "очки", 4},          // after game 10: А 1 -> 4
        {3, 99, "04.01.2026", "очки", 3},          // after everything: Б 0 -> 3
        {2, 11, "03.01.2026", "имя", std::nullopt}, // after game 11: А stays 5
        {2, 0, "01.01.2026", "очки", 0},            // before every game
    };
    // clang-format on
    const report::History history = report::ReplayHistory(club);
    EXPECT_EQ(history.winnerAfter, (std::vector<qint64>{1, 5, 0}));
    EXPECT_EQ(history.loserAfter, (std::vector<qint64>{0, 0, 5}));
    EXPECT_EQ(history.correctionAfter, (std::vector<qint64>{4, 3, 5, 0}));
    EXPECT_EQ(history.correctionOrder, (std::vector<quint32>{3, 0, 2, 1}));
    EXPECT_TRUE(history.shift.isEmpty());
}

} // namespace
