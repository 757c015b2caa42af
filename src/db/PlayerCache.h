// The last player lists read from a club's server, kept in the program
// folder, so that two people can start a game while the server is away
// (the result then waits in the outbox).
#pragma once

#include <QDateTime>
#include <QString>
#include <QStringList>
#include <cstdint>
#include <optional>
#include <utility>
#include <vector>

namespace db {

class TDModule;

struct PlayerCache {
    QDateTime read;                                   // when the server gave them
    std::vector<std::pair<QString, int64_t>> players; // people only: name, points

    /*! Every name in the lists' Russian order (statement 13's). */
    QStringList ByName() const;
    /*! name's possible opponents as statement 15 has them: 3 points or
        more, by points (highest first), then name; none for a name with
        fewer than 3 points or not in the cache. */
    QStringList Opponents(const QString& name) const;
};

/*! Data/PlayerLists.json below the program folder. */
QString PlayerCachePath(const QString& programFolder);

/*! Reads every person of module's database and keeps them; false when the
    file cannot be written (the lists simply are not kept). Throws DbError. */
bool SavePlayerCache(TDModule& module, const QString& programFolder,
                     const QDateTime& now = QDateTime::currentDateTime());

/*! The kept lists; nothing when none were kept or the file is damaged. */
std::optional<PlayerCache> LoadPlayerCache(const QString& programFolder);

} // namespace db
