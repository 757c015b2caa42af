// The statements of the correction log and of the corrections themselves,
// beside the catalogue's (Statements.h).
#pragma once

#include "db/Statements.h"

namespace db::sql {

/*! The statements that create the correction log where it is missing. */
QStringList CorrectionSchema(Dialect dialect);
/*! One row: 1 where the correction log exists, 0 where it does not. */
Statement CorrectionProbe();
/*! The next free code of the log. */
Statement NextCorrectionCode();
/*! The journal's highest game code (0 for an empty journal). */
Statement LastGameCode();
/*! One log row; null values where a kind has none. */
Statement InsertCorrection(const QVariantList& values);
/*! Every log row by code. */
Statement AllCorrections();
/*! One journal row by code: winner, loser, award. */
Statement GameByCode(qint64 code);
/*! The rows of a game's two players still in the database. */
Statement PlayersOfGame(qint64 winner, qint64 loser);
/*! Whether a game was reversed: its reverse rows. */
Statement ReversalsOf(qint64 code);
/*! The games two players played against each other. */
Statement GamesBetween(qint64 a, qint64 b);
Statement RenamePlayer(qint64 code, const QString& name);
/*! Moves every journal row of one player to another (winner, then loser). */
Statement MoveWins(qint64 from, qint64 to);
Statement MoveLosses(qint64 from, qint64 to);
/*! The tournaments both players are entries of. */
Statement SharedTournaments(qint64 a, qint64 b);
/*! Moves one player's tournament entries to another. */
Statement MoveEntries(qint64 from, qint64 to);
Statement DeletePlayer(qint64 code);
/*! After a clearing: reversals of games gone no longer mark the codes that
    new games will take, and the places past the journal's end move to its start. */
Statement ForgetClearedReversals();
Statement ForgetClearedPlaces();

} // namespace db::sql
