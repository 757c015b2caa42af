// Pairings against hand-worked Berger tables and a hand-paired Swiss.
#include "tournament/tournament.h"

#include <gtest/gtest.h>

#include <map>
#include <set>

using tournament::Bye;
using tournament::Game;

namespace {

// A round as "1-4 2-3" in 1-based numbers, the bye as "3-".
std::string RoundText(const std::vector<Game>& games, int round) {
    std::string text;
    for (const Game& g : games) {
        if (g.round != round)
            continue;
        if (!text.empty())
            text += ' ';
        text += std::to_string(g.first + 1) + '-' +
                (g.second == Bye ? std::string() : std::to_string(g.second + 1));
    }
    return text;
}

Game Won(int round, int first, int second, int winner) {
    return {round, first, second, winner, false};
}

} // namespace

TEST(Berger, TablesOfFourAndFive) {
    struct Case {
        int players;
        std::vector<std::string> rounds;
    };
    // clang-format off
    const std::vector<Case> cases = {
        {4, {"1-4 2-3", "4-3 1-2", "2-4 3-1"}},
        // Six's tables with the sixth missing: who meets him has the bye.
        {5, {"1- 2-5 3-4", "4- 5-3 1-2", "2- 3-1 4-5", "5- 1-4 2-3", "3- 4-2 5-1"}},
        {6, {"1-6 2-5 3-4", "6-4 5-3 1-2", "2-6 3-1 4-5", "6-5 1-4 2-3", "3-6 4-2 5-1"}},
    };
    // clang-format on
    for (const Case& c : cases) {
        const std::vector<Game> games = tournament::BergerSchedule(c.players);
        ASSERT_EQ(tournament::BergerRounds(c.players), static_cast<int>(c.rounds.size()));
        for (size_t r = 0; r < c.rounds.size(); ++r)
            EXPECT_EQ(RoundText(games, static_cast<int>(r) + 1), c.rounds[r])
                << c.players << " players, round " << r + 1;
    }
}

TEST(Berger, EveryPairOnceOneByeEachAndNamesBalanced) {
    for (int n = 2; n <= 12; ++n) {
        const std::vector<Game> games = tournament::BergerSchedule(n);
        std::set<std::pair<int, int>> pairs;
        std::map<int, int> balance, byes;
        for (const Game& g : games) {
            if (g.second == Bye) {
                ++byes[g.first];
                EXPECT_EQ(g.winner, g.first);
                continue;
            }
            EXPECT_EQ(g.winner, tournament::NoWinner);
            EXPECT_TRUE(pairs.insert(std::minmax(g.first, g.second)).second) << n;
            ++balance[g.first];
            --balance[g.second];
        }
        EXPECT_EQ(pairs.size(), static_cast<size_t>(n * (n - 1) / 2)) << n;
        EXPECT_EQ(byes.size(), n % 2 == 1 ? static_cast<size_t>(n) : 0u) << n;
        for (const auto& [player, b] : balance)
            EXPECT_LE(std::abs(b), 1) << n << " players, player " << player + 1;
    }
}

// Six players rated 60..10; player 6 withdraws after round 2 (worked by hand:
// round 3's order is 1 5 4 3 2, the bye goes to 2, and 1-5 4-3 would repeat
// round 1's 3-4, so 1 meets 3 and 5 meets 4; 1 and 3 are level on names and
// were both second last time, so the higher-placed 1 goes first).
TEST(Swiss, SixPlayersWithAByeAndARematchAvoided) {
    std::vector<tournament::Player> players = {{60}, {50}, {40}, {30}, {20}, {10}};
    std::vector<Game> games = tournament::NextRound(tournament::System::Swiss, 3, players, {});
    ASSERT_EQ(RoundText(games, 1), "1-2 3-4 5-6");
    games = {Won(1, 0, 1, 0), Won(1, 2, 3, 3), Won(1, 4, 5, 4)};

    const std::vector<Game> round2 =
        tournament::NextRound(tournament::System::Swiss, 3, players, games);
    // Order 1 4 5 | 2 3 6; the second names go to those named first before.
    EXPECT_EQ(RoundText(round2, 2), "4-1 2-5 6-3");
    games.insert(games.end(), {Won(2, 3, 0, 0), Won(2, 1, 4, 4), Won(2, 5, 2, 2)});

    players[5].withdrawn = true;
    const std::vector<Game> round3 =
        tournament::NextRound(tournament::System::Swiss, 3, players, games);
    EXPECT_EQ(RoundText(round3, 3), "1-3 5-4 2-");
    ASSERT_FALSE(round3.empty());
    EXPECT_EQ(round3.back().winner, 1) << "a bye is won when it is made";
}

TEST(Swiss, NextRoundWaitsForTheLastGameAndStopsAfterTheLastRound) {
    const std::vector<tournament::Player> players = {{0}, {0}};
    // clang-format off
    const struct { std::vector<Game> games; int rounds; std::string next; } cases[] = {
        {{}, 2, "1-2"},
        {{{1, 0, 1}}, 2, ""},                     // round 1 still pending
        {{Won(1, 0, 1, 0)}, 2, "2-1"},            // only a rematch is left; names swap
        {{Won(1, 0, 1, 0), Won(2, 1, 0, 1)}, 2, ""},
    };
    // clang-format on
    for (const auto& c : cases) {
        const std::vector<Game> next =
            tournament::NextRound(tournament::System::Swiss, c.rounds, players, c.games);
        EXPECT_EQ(next.empty() ? "" : RoundText(next, next.front().round), c.next);
    }
    EXPECT_TRUE(tournament::NextRound(tournament::System::RoundRobin, 0, players, {Won(1, 0, 1, 0)})
                    .empty())
        << "a round robin is paired whole at its start";
}

TEST(Swiss, ByeGoesToTheLowestPlacedWithoutOne) {
    struct Case {
        const char* what;
        std::vector<tournament::Player> players;
        std::vector<Game> games;
        int round;
        std::string next;
    };
    // clang-format off
    const std::vector<Case> cases = {
        // After two rounds 1 leads; 2 and 3 are level but 3 is rated lower.
        {"both had a bye already: the third goes to 1, the only one without",
         {{30}, {20}, {10}},
         {Won(1, 0, 1, 0), {1, 2, Bye, 2, false}, Won(2, 0, 2, 0), {2, 1, Bye, 1, false}}, 3, "2-3 1-"},
        // 3 withdrew; 4 is placed last, but his bye would pair 1 with 2 again.
        {"not to the lowest-placed when his bye forces a rematch",
         {{40}, {30}, {20, true}, {10}},
         {Won(1, 0, 1, 0), Won(1, 2, 3, 2)}, 2, "4-1 2-"},
        // Order 1 2 3 4 5; 5 and 4 had theirs, so 3 has it although 5 could.
        {"not a second one while a player has had none", {{50}, {40}, {30}, {20}, {10}},
         {Won(1, 0, 1, 0), Won(1, 2, 3, 2), {1, 4, Bye, 4, false},
          Won(2, 0, 2, 0), Won(2, 4, 1, 1), {2, 3, Bye, 3, false}}, 3, "5-1 2-4 3-"},
    };
    // clang-format on
    for (const Case& c : cases)
        EXPECT_EQ(RoundText(tournament::SwissRound(c.round, c.players, c.games), c.round), c.next)
            << c.what;
}
