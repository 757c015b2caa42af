// The catalogue of every statement the program sends, in one place.
// Values are bound as parameters, never spliced into the text.
#pragma once

#include <QByteArray>
#include <QString>
#include <QStringList>
#include <QVariantList>
#include <cstdint>
#include <utility>

namespace db {

/*! The SQL dialect of the engine behind a connection. */
enum class Dialect { SQLite, PostgreSQL };

/*! How a view is read in pages, by the columns that order it uniquely: the
    condition selects the rows after a row, with "?" for that row's values of
    fields, in order. Empty fields: the statement is read as one result. */
struct Keyset {
    QString condition;
    QString postgresCondition; // where the dialects differ
    QStringList fields;
};

/*! Statement text with "?" placeholders and the values bound to them in order.
    postgresText is PostgreSQL's form where the dialects differ (empty: text
    serves both). An empty text for the engine means there is nothing to run. */
struct Statement {
    Statement() = default;
    Statement(QString text, QVariantList values = {}, QString postgresText = QString())
        : text(std::move(text)), values(std::move(values)), postgresText(std::move(postgresText)) {}

    QString text;
    QVariantList values;
    QString postgresText;
    Keyset keyset;

    const QString& Text(Dialect dialect) const {
        return dialect == Dialect::PostgreSQL && !postgresText.isNull() ? postgresText : text;
    }

    /*! The page of at most rows rows after the row with these values of
        keyset.fields (nullptr: the first page). */
    Statement Page(const QVariantList* after, int rows) const;
};

namespace sql {

// Codes are carried as decimal text, as the windows read them; a text that is
// not a whole number is bound as text and matches no row.

/*! 1: every player. */
Statement AllPlayers();
/*! 2: every game in code order, winner's name as P_NAME, loser's as P_NAME1. */
Statement AllGames();
/*! 3: the games one player won or lost, in code order, names as in 2. */
Statement PlayerGames(const QString& code);
/*! 4: the ratings: every person's row (none named "Computer" or the engine's
    name), by points (highest first), then name. */
Statement Ratings();
/*! 5: the highest code of "PLAYERS" or "GAMES". Throws DbError for any other name. */
Statement MaxCode(const QString& table);
/*! 6: the registration name check. */
Statement NameCheck(const QString& name);
/*! 7: a new player with 0 points. */
Statement InsertPlayer(const QString& code, const QString& name);
/*! 8: one player by name (result recording). */
Statement PlayerByName(const QString& name);
/*! 9: new points of one player. */
Statement UpdatePoints(int64_t points, const QString& code);
/*! 10: one journal row. */
Statement InsertGame(const QString& code, const QString& date, const QString& winnerCode,
                     const QString& loserCode, int64_t margin, int64_t award);
/*! 11: clear the whole journal. */
Statement ClearGames();
/*! 12: clear every game one player won or lost. */
Statement ClearPlayerGames(const QString& code);
/*! 13: every player by name but the engine's row (new-game dialog), in pages. */
Statement PlayersByName();
/*! 14: one player by name, ordered by name (new-game dialog). */
Statement PlayerByNameOrdered(const QString& name);
/*! 15: possible opponents: 3 points or more, any other name but the engine's (new-game dialog);
    in pages, by points (highest first), then name. */
Statement Opponents(const QString& name);

// The game archive: each game's record beside its journal row.

/*! The schema's statements that mention marker, each table made only where
    missing: the tables a database made before them gets. */
QStringList NewerTables(Dialect dialect, const QString& marker);
/*! One row: 1 where the program's table of that name exists, 0 where not. */
Statement TableProbe(const QString& table);

/*! The statements that create the archive's table where it is missing. */
QStringList ArchiveSchema(Dialect dialect);
/*! One row: 1 where the archive's table exists, 0 where it does not. */
Statement ArchiveProbe();
/*! Stores a game's packed record under its code, replacing one a cleared game left. */
Statement InsertRecord(const QString& gameCode, const QString& identity, const QByteArray& packed);
/*! The game recorded under an identity, if any. */
Statement RecordByIdentity(const QString& identity);
/*! R_RECORD of one game's record. */
Statement RecordOfGame(qint64 gameCode);
/*! The records of the games statement 11 clears. */
Statement ClearRecords();
/*! The records of the games statement 12 clears; before it runs. */
Statement ClearPlayerRecords(const QString& code);

/*! Run on every connection as it opens: a commit returns only once it is
    on disk (in WAL mode the default lets a power cut undo the last ones). */
Statement DurableCommits();

// Transaction control of recordings and registrations. BeginWrite and then
// LockWriters make every other writer wait until Commit or Rollback; readers
// are never blocked.
Statement BeginWrite();
Statement LockWriters();
Statement Commit();
Statement Rollback();

/*! The statements that create the two tables, their indexes and the
    computer's row on an empty database of that engine, in order. */
QStringList Schema(Dialect dialect);

} // namespace sql
} // namespace db

namespace db::sql {

// The club's page reads everything once, in code order.

/*! Every journal row by code, players as codes. */
Statement ReportJournal();
/*! Every player with the computer's row. */
Statement ReportPlayers();
/*! The codes of the games that have a record, each with its identity and
    length: a record changed since the last run of the page shows there. */
Statement ReportRecordCodes();
/*! The archive's records of codes from (included) to (left out), by code. */
Statement ReportRecordsBetween(qint64 from, qint64 to);
/*! Every record with its game's code, by code. */
Statement ReportRecords();

} // namespace db::sql

namespace db::sql {

// Tournaments: entries by entry number from 1; pairings by round and board.

/*! The statements that create the tournaments' tables where they are missing. */
QStringList TournamentSchema(Dialect dialect);
/*! One row: 1 where the tournaments' tables exist, 0 where they do not. */
Statement TournamentProbe();
/*! Every tournament by code: T_CODE, T_NAME, T_SYSTEM, T_ROUNDS, T_STARTED. */
Statement Tournaments();
/*! One tournament by its code: the same columns. */
Statement Tournament(qint64 code);
Statement MaxTournamentCode();
Statement InsertTournament(qint64 code, const QString& name, int system, int rounds);
/*! Marks a tournament started with its final number of rounds. */
Statement StartTournament(qint64 code, int rounds);
/*! E_SEED, E_PLAYER, P_NAME, E_POINTS, E_WITHDRAWN of one tournament by entry number. */
Statement TournamentEntries(qint64 code);
Statement InsertEntry(qint64 code, int seed, qint64 player, qint64 points);
Statement WithdrawEntry(qint64 code, int seed);
/*! N_ROUND, N_BOARD, N_FIRST, N_SECOND, N_WINNER, N_FORFEIT, N_GAME, N_CLAIM by round and board. */
Statement TournamentPairings(qint64 code);
/*! second 0: a bye; winner 0: pending. */
Statement InsertPairing(qint64 code, int round, int board, int first, int second, int winner);
/*! Claims a pending pairing nobody claimed: changes no row when one did. */
Statement ClaimPairing(qint64 code, int round, int board, const QString& claim);
/*! N_CLAIM of one pairing. */
Statement PairingClaim(qint64 code, int round, int board);
/*! Frees a pending pairing's claim. */
Statement ReleaseClaim(qint64 code, int round, int board);
/*! A pending pairing's result (game 0: none, a forfeit); a decided one stays. */
Statement PairingResult(qint64 code, int round, int board, int winner, bool forfeit, qint64 game);

} // namespace db::sql
