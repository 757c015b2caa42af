#include "tournament/tournament.h"

#include <algorithm>
#include <map>
#include <tuple>

namespace tournament {

std::string TieBreakName(System system) {
    return system == System::Swiss ? "Бухгольц" : "Зоннеборн–Бергер";
}

std::vector<std::string> StandingHeadings(System system) {
    return {"Место", "Игрок", "Победы", TieBreakName(system), "Личные встречи", "Очки рейтинга"};
}

std::vector<Standing> Standings(System system, const std::vector<Player>& players,
                                const std::vector<Game>& games) {
    const size_t n = players.size();
    std::vector<int> wins(n, 0);
    for (const Game& g : games)
        if (g.winner >= 0 && static_cast<size_t>(g.winner) < n)
            ++wins[static_cast<size_t>(g.winner)];

    std::vector<Standing> table(n);
    for (size_t p = 0; p < n; ++p) {
        table[p].player = static_cast<int>(p);
        table[p].wins = wins[p];
        table[p].rating = players[p].rating;
    }
    auto valid = [n](int p) { return p >= 0 && static_cast<size_t>(p) < n; };
    for (const Game& g : games) {
        if (g.second == Bye || g.winner == NoWinner || !valid(g.first) || !valid(g.second))
            continue;
        const int loser = g.winner == g.first ? g.second : g.first;
        if (system == System::Swiss) {
            // Buchholz: the opponents' wins, whoever won.
            table[static_cast<size_t>(g.first)].tieBreak += wins[static_cast<size_t>(g.second)];
            table[static_cast<size_t>(g.second)].tieBreak += wins[static_cast<size_t>(g.first)];
        } else {
            // Sonneborn–Berger: the wins of the opponents beaten.
            table[static_cast<size_t>(g.winner)].tieBreak += wins[static_cast<size_t>(loser)];
        }
    }
    // Head-to-head: wins against those level on wins and the tie-break.
    for (const Game& g : games) {
        if (g.second == Bye || g.winner == NoWinner || !valid(g.first) || !valid(g.second))
            continue;
        const Standing& a = table[static_cast<size_t>(g.first)];
        const Standing& b = table[static_cast<size_t>(g.second)];
        if (a.wins == b.wins && a.tieBreak == b.tieBreak)
            ++table[static_cast<size_t>(g.winner)].headToHead;
    }
    auto key = [](const Standing& s) {
        return std::make_tuple(s.wins, s.tieBreak, s.headToHead, s.rating);
    };
    std::stable_sort(table.begin(), table.end(),
                     [&](const Standing& a, const Standing& b) { return key(a) > key(b); });
    for (size_t i = 0; i < table.size(); ++i)
        table[i].place = i > 0 && key(table[i]) == key(table[i - 1]) ? table[i - 1].place
                                                                     : static_cast<int>(i) + 1;
    return table;
}

std::string CrossCell(const std::vector<Game>& games, int row, int column) {
    std::string cell;
    for (const Game& g : games) {
        if (!((g.first == row && g.second == column) || (g.first == column && g.second == row)))
            continue;
        if (g.winner == NoWinner)
            cell += "*";
        else if (g.winner == row)
            cell += g.forfeit ? "+" : "1";
        else
            cell += g.forfeit ? "-" : "0";
    }
    return cell;
}

} // namespace tournament
