#include "tournament/tournament.h"

#include <algorithm>
#include <functional>

namespace tournament {

namespace {

bool Met(const std::vector<Game>& games, int a, int b) {
    return std::any_of(games.begin(), games.end(), [&](const Game& g) {
        return (g.first == a && g.second == b) || (g.first == b && g.second == a);
    });
}

bool HadBye(const std::vector<Game>& games, int player) {
    return std::any_of(games.begin(), games.end(),
                       [&](const Game& g) { return g.first == player && g.second == Bye; });
}

// Named first minus named second, over games against players.
int FirstBalance(const std::vector<Game>& games, int player) {
    int balance = 0;
    for (const Game& g : games) {
        if (g.second == Bye)
            continue;
        balance += g.first == player ? 1 : g.second == player ? -1 : 0;
    }
    return balance;
}

// 1: named first in his last game against a player; -1: second; 0: none yet.
int LastPlace(const std::vector<Game>& games, int player) {
    for (auto g = games.rbegin(); g != games.rend(); ++g) {
        if (g->second == Bye)
            continue;
        if (g->first == player)
            return 1;
        if (g->second == player)
            return -1;
    }
    return 0;
}

// Pairs the pool in order, each player with the nearest one below him he
// may meet; false when no pairing of the whole pool exists.
bool PairPool(std::vector<int>& pool, const std::vector<Game>& games, bool rematches,
              std::vector<std::pair<int, int>>& pairs) {
    if (pool.empty())
        return true;
    const int top = pool.front();
    for (size_t i = 1; i < pool.size(); ++i) {
        const int other = pool[i];
        if (!rematches && Met(games, top, other))
            continue;
        std::vector<int> rest;
        for (size_t k = 1; k < pool.size(); ++k)
            if (k != i)
                rest.push_back(pool[k]);
        pairs.emplace_back(top, other);
        if (PairPool(rest, games, rematches, pairs))
            return true;
        pairs.pop_back();
    }
    return false;
}

} // namespace

std::vector<Game> SwissRound(int round, const std::vector<Player>& players,
                             const std::vector<Game>& games) {
    // Placed as the standings place them so far.
    std::vector<int> order;
    for (const Standing& s : Standings(System::Swiss, players, games))
        if (!players[static_cast<size_t>(s.player)].withdrawn)
            order.push_back(s.player);

    std::vector<Game> pairings;
    std::vector<std::pair<int, int>> pairs;
    bool paired = false;
    const bool odd = order.size() % 2 == 1;
    if (odd) {
        // The lowest-placed without a bye (everyone has had one: the
        // lowest-placed) whose bye leaves the others paired without a rematch;
        // failing that, the lowest-placed of them.
        const bool fresh =
            std::any_of(order.begin(), order.end(), [&](int p) { return !HadBye(games, p); });
        int player = -1;
        for (auto p = order.rbegin(); p != order.rend(); ++p) {
            if (fresh && HadBye(games, *p))
                continue;
            if (player < 0)
                player = *p;
            std::vector<int> rest = order;
            rest.erase(std::find(rest.begin(), rest.end(), *p));
            paired = PairPool(rest, games, false, pairs);
            if (paired) {
                player = *p;
                break;
            }
        }
        order.erase(std::find(order.begin(), order.end(), player));
        pairings.push_back({round, player, Bye, player, false});
    }
    // No bye above found a pairing without a rematch: none exists.
    if (!paired && (odd || !PairPool(order, games, false, pairs))) {
        pairs.clear();
        PairPool(order, games, true, pairs);
    }
    std::vector<Game> boards;
    for (const auto& [higher, lower] : pairs) {
        // The one named first less often goes first; then the one named
        // second last time; then the higher-placed.
        const int a = FirstBalance(games, higher), b = FirstBalance(games, lower);
        bool lowerFirst = b < a;
        if (a == b)
            lowerFirst = LastPlace(games, lower) < LastPlace(games, higher);
        boards.push_back(lowerFirst ? Game{round, lower, higher} : Game{round, higher, lower});
    }
    // Boards first, the bye last.
    boards.insert(boards.end(), pairings.begin(), pairings.end());
    return boards;
}

std::vector<Game> NextRound(System system, int rounds, const std::vector<Player>& players,
                            const std::vector<Game>& games) {
    if (system == System::RoundRobin)
        return games.empty() ? BergerSchedule(static_cast<int>(players.size()))
                             : std::vector<Game>{};
    int last = 0;
    for (const Game& g : games)
        last = std::max(last, g.round);
    if (last >= rounds)
        return {};
    const bool pending = std::any_of(games.begin(), games.end(), [&](const Game& g) {
        return g.round == last && g.winner == NoWinner;
    });
    if (pending)
        return {};
    return SwissRound(last + 1, players, games);
}

} // namespace tournament
