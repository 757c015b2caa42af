// The game pages, a unit of the site's state a folder of them: an update
// rewrites a folder where a game's row, its players' names or its record
// (identity and length) changed, and keeps for each folder its rolls, the
// games whose records do not read and the matches' scores, which the other
// pages show.
#pragma once

#include "report/PageGroups.h"
#include "report/Workers.h"

#include <map>
#include <optional>
#include <utility>
#include <vector>

namespace report {

inline constexpr char GamesGroup[] = "games";

/*! Every folder that holds game pages, with the digest of its games; rows
    are GameRowDigests(club). */
UnitDigests GameFolderDigests(const Club& club, const std::vector<quint64>& rows);

/*! What a folder's pages found in its records. */
struct FolderMade {
    DiceAudit audit;
    std::vector<qint64> unreadable; // codes whose record bytes are damaged: no page
    std::vector<std::pair<qint64, MatchScore>> matches; // codes whose record is a match
};
QByteArray KeptOf(const FolderMade& made);
std::optional<FolderMade> FolderFromKept(const QByteArray& kept);

/*! Writes the pages of the given folders (nullptr: every record's), read over
    connection in code order, on the workers; waits for them. */
std::map<qint64, FolderMade> WriteGamePages(const ReadConnection& connection, const Site& site,
                                            Workers& workers, SiteWriter& writer,
                                            const std::vector<qint64>* folders);

} // namespace report
