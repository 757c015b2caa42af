// Setting up a club's database on a PostgreSQL server: the schema, and the
// players and journal of an existing Ratings.mdb.
#pragma once

#include <QSqlDatabase>
#include <QString>
#include <cstdint>

namespace ratingsdb {

/*! Creates the tables, their indexes and the computer's row on the server's
    empty database, all or nothing. Throws db::DbError (for example when the
    tables exist already). */
void CreateSchema(const QSqlDatabase& server);

struct Copied {
    int64_t players = 0;
    int64_t games = 0;
    int64_t records = 0;
    int64_t corrections = 0;
    int64_t damagedRecords = 0; // records that do not unpack: left out
    int64_t tournamentRows = 0; // tournaments, their entries and pairings
};

/*! Copies every player (code, name, points), the whole journal and the
    games' records, the tournaments and the correction log of the SQLite file into the
    server's tables in one transaction that other launchers' writes wait for. A target
    that already has players besides the
    computer's row, or games, is refused unless replace: then all its rows
    are deleted first. A record that does not unpack is left out (its game
    goes over without one) and counted. The file is only read. Throws
    db::DbError. */
Copied CopyRatings(const QString& mdbPath, const QSqlDatabase& server, bool replace);

} // namespace ratingsdb
