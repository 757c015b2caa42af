#include "report/History.h"

#include <algorithm>
#include <limits>
#include <numeric>
#include <unordered_map>

namespace report {

History ReplayHistory(const Club& club) {
    History history;
    history.winnerAfter.reserve(club.games.size());
    history.loserAfter.reserve(club.games.size());
    // A node of its own for each player: a first-seen loser may grow the
    // table, and the winner's reference must outlive that.
    std::unordered_map<qint64, qint64> points;
    points.reserve(club.names.size());
    // A correction goes after the games the journal held when it was made.
    history.correctionOrder.resize(club.corrections.size());
    std::iota(history.correctionOrder.begin(), history.correctionOrder.end(), 0u);
    std::stable_sort(history.correctionOrder.begin(), history.correctionOrder.end(),
                     [&](quint32 a, quint32 b) {
                         return club.corrections[a].after < club.corrections[b].after;
                     });
    history.correctionAfter.resize(club.corrections.size());
    auto correction = history.correctionOrder.begin();
    const auto correctUpTo = [&](qint64 code) {
        for (; correction != history.correctionOrder.end() &&
               club.corrections[*correction].after < code;
             ++correction) {
            const ClubCorrection& c = club.corrections[*correction];
            qint64& player = points[c.player];
            if (c.points)
                player = *c.points;
            history.correctionAfter[*correction] = player;
        }
    };
    for (const JournalGame& game : club.games) {
        correctUpTo(game.code);
        qint64& winner = points[game.winner];
        qint64& loser = points[game.loser];
        // The journal's award, not one worked out again: after a clearing the
        // replay starts from other points than the game was played at.
        if (club.IsComputer(game.winner))
            loser = std::max<qint64>(0, loser - game.award);
        else
            winner += game.award;
        history.winnerAfter.push_back(winner);
        history.loserAfter.push_back(loser);
    }
    correctUpTo(std::numeric_limits<qint64>::max());
    for (const Player& player : club.ratings) {
        const auto replayed = points.find(player.code);
        const qint64 shift = player.points - (replayed == points.end() ? 0 : replayed->second);
        if (shift != 0)
            history.shift.insert(player.code, shift);
    }
    for (size_t i = 0; i < club.games.size(); ++i) {
        history.winnerAfter[i] += history.shift.value(club.games[i].winner, 0);
        history.loserAfter[i] += history.shift.value(club.games[i].loser, 0);
    }
    for (size_t i = 0; i < club.corrections.size(); ++i)
        history.correctionAfter[i] += history.shift.value(club.corrections[i].player, 0);
    return history;
}

QHash<qint64, PlayerStats> CountGames(const Club& club) {
    QHash<qint64, PlayerStats> stats;
    for (const Player& player : club.ratings)
        stats.insert(player.code, {});
    for (size_t i = 0; i < club.games.size(); ++i) {
        const JournalGame& game = club.games[i];
        const bool computer = club.IsComputer(game.winner) || club.IsComputer(game.loser);
        for (const bool won : {true, false}) {
            auto it = stats.find(won ? game.winner : game.loser);
            if (it == stats.end())
                continue;
            PlayerStats& s = *it;
            ++s.games;
            (won ? (computer ? s.winsComputer : s.winsPeople)
                 : (computer ? s.lossesComputer : s.lossesPeople))++;
            s.lastDate = game.date;
            s.gameIndexes.push_back(static_cast<quint32>(i));
        }
    }
    return stats;
}

} // namespace report
