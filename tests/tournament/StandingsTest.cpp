// Standings and tie-breaks on hand-worked results.
#include "tournament/tournament.h"

#include <gtest/gtest.h>

using tournament::Bye;
using tournament::Game;
using tournament::System;

namespace {

Game Won(int first, int second, int winner, bool forfeit = false) {
    return {1, first, second, winner, forfeit};
}

// "player:wins/tieBreak/headToHead@place" in standing order, 1-based players.
std::string Table(System system, const std::vector<tournament::Player>& players,
                  const std::vector<Game>& games) {
    std::string text;
    for (const tournament::Standing& s : tournament::Standings(system, players, games)) {
        if (!text.empty())
            text += ' ';
        text += std::to_string(s.player + 1) + ':' + std::to_string(s.wins) + '/' +
                std::to_string(s.tieBreak) + '/' + std::to_string(s.headToHead) + '@' +
                std::to_string(s.place);
    }
    return text;
}

} // namespace

TEST(Standings, TieBreaksInTheirOrder) {
    struct Case {
        const char* what;
        System system;
        std::vector<tournament::Player> players;
        std::vector<Game> games;
        std::string table;
    };
    // clang-format off
    const std::vector<Case> cases = {
        {"Sonneborn-Berger parts 1 from 2 and 4 from 3", System::RoundRobin, {{0}, {0}, {0}, {0}},
         {Won(0, 1, 0), Won(0, 2, 0), Won(3, 0, 3), Won(1, 2, 1), Won(1, 3, 1), Won(2, 3, 2)},
         "1:2/3/0@1 2:2/2/0@2 4:1/2/0@3 3:1/1/0@4"},
        {"head-to-head puts 1 over the higher-rated 2; rating parts 4 and 3",
         System::RoundRobin, {{1}, {9}, {3}, {4}, {0}},
         {Won(0, 1, 0), Won(1, 2, 1), Won(1, 3, 1), Won(0, 4, 0), Won(2, 4, 2), Won(3, 4, 3)},
         "1:2/2/1@1 2:2/2/0@2 4:1/0/0@3 3:1/0/0@4 5:0/0/0@5"},
        {"a cycle of equals shares the place", System::RoundRobin, {{5}, {5}, {5}},
         {Won(0, 1, 0), Won(1, 2, 1), Won(2, 0, 2)},
         "1:1/1/1@1 2:1/1/1@1 3:1/1/1@1"},
        {"Buchholz after two Swiss rounds; a bye and a forfeit are wins", System::Swiss,
         {{60}, {50}, {40}, {30}, {20}, {10}},
         {Won(0, 1, 0), Won(2, 3, 3), Won(4, 5, 4), Won(3, 0, 0), Won(1, 4, 4), Won(5, 2, 2, true)},
         "1:2/1/0@1 5:2/0/0@2 4:1/3/0@3 3:1/1/0@4 2:0/4/0@5 6:0/3/0@6"},
        {"a bye counts as a win but adds no Buchholz", System::Swiss, {{0}, {0}, {0}},
         {Won(0, 1, 0), {1, 2, Bye, 2, false}},
         "1:1/0/0@1 3:1/0/0@1 2:0/1/0@3"},
        {"a pending game counts for nothing", System::Swiss, {{0}, {7}},
         {{1, 0, 1, tournament::NoWinner, false}},
         "2:0/0/0@1 1:0/0/0@2"},
    };
    // clang-format on
    for (const Case& c : cases)
        EXPECT_EQ(Table(c.system, c.players, c.games), c.table) << c.what;
}

TEST(Standings, CrosstableCells) {
    const std::vector<Game> games = {Won(0, 1, 0),
                                     Won(1, 0, 0, true),
                                     Won(0, 2, 2),
                                     {2, 1, 2, tournament::NoWinner, false},
                                     {1, 0, Bye, 0, false}};
    // clang-format off
    const struct { int row, column; std::string cell; } cases[] = {
        {0, 1, "1+"}, {1, 0, "0-"}, {0, 2, "0"}, {2, 0, "1"}, {1, 2, "*"}, {2, 1, "*"}, {0, 0, ""},
    };
    // clang-format on
    for (const auto& c : cases)
        EXPECT_EQ(tournament::CrossCell(games, c.row, c.column), c.cell)
            << c.row << ',' << c.column;
}

TEST(Standings, TieBreakNames) {
    EXPECT_EQ(tournament::TieBreakName(System::Swiss), "Бухгольц");
    EXPECT_EQ(tournament::TieBreakName(System::RoundRobin), "Зоннеборн–Бергер");
}
