// The game archive: each recorded game's record, kept beside its journal row
// under the game's code, on either engine.
#pragma once

#include "db/Statements.h"

#include <QString>
#include <optional>

namespace db {

class TDModule;

/*! A finished game's record as the archive keeps it. */
struct ArchivedGame {
    QString identity; // when and as what the game was played: its start time and a random id
    QString text;     // the record in the program's own notation; empty: none
};

/*! Whether the archive's table exists. Outside a transaction. Throws
    DbError when the database cannot be asked. */
bool ArchiveExists(TDModule& module);

/*! Makes sure the archive's table exists, creating it where the connection
    may create tables. False where the role has not the right (the reason
    goes to the log once); any other failure throws DbError. Outside a
    transaction. */
bool PrepareArchive(TDModule& module);

/*! Inside the recording's transaction: keeps the record under the game's code. */
void StoreRecord(TDModule& module, const QString& gameCode, const ArchivedGame& game);

/*! The record of a game; nothing when it has none (or there is no archive,
    or it is damaged).
    Re-points QRWork. Throws DbError when the database cannot be read. */
std::optional<QString> ReadGameRecord(TDModule& module, qint64 gameCode);

/*! "Очистить журнал": deletes the games of the journal's last opening (all,
    or every game of playerCode) with their records, in one transaction, as
    statement 11 or 12 on IBGames. IBPlayers stays as it was. Throws
    DbError (nothing deleted). */
void ClearJournal(TDModule& module, const QString& playerCode);

} // namespace db
