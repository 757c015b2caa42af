// Each player's rating over time: the journal replayed in code order from 0,
// each game's winner gaining the award the journal holds (a person who lost
// to the computer loses it, never below 0), and the points each correction
// of the log set taken at its place. Where games were cleared the
// replay cannot reach today's points; such a player's history is shifted to
// end there.
#pragma once

#include "report/ClubData.h"

#include <QHash>
#include <vector>

namespace report {

struct History {
    // Per journal game: the winner's and the loser's points after it, shifted.
    std::vector<qint64> winnerAfter;
    std::vector<qint64> loserAfter;
    // Per correction of the log: its player's points after it, shifted.
    std::vector<qint64> correctionAfter;
    // The corrections in history order: each after the games it followed.
    std::vector<quint32> correctionOrder;
    // Players whose replay had to be shifted, and by how much.
    QHash<qint64, qint64> shift;
};

History ReplayHistory(const Club& club);

/*! What the rating page counts for one player. */
struct PlayerStats {
    qint64 games = 0;
    qint64 winsPeople = 0;
    qint64 lossesPeople = 0;
    qint64 winsComputer = 0;
    qint64 lossesComputer = 0;
    std::string lastDate; // UTF-8
    std::vector<quint32> gameIndexes; // into Club::games, in journal order
};

/*! Every person's counts and games, by code. */
QHash<qint64, PlayerStats> CountGames(const Club& club);

} // namespace report
