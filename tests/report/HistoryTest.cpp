// The rating history: the journal's awards replayed, checked point by point
// against charts worked out by hand.
#include "report/History.h"

#include <gtest/gtest.h>
#include <map>

namespace {

using report::Club;

struct HistoryCase {
    const char* name;
    std::vector<report::Player> players;          // with today's points
    std::vector<std::array<qint64, 3>> games;     // winner, loser, award; code 1 is the computer
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

} // namespace
