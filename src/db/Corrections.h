// The club's corrections of its own data: renaming a player, merging two rows
// of one person, setting points, reversing a game, registering a name the
// registration window cannot take. Each is one write transaction on either
// engine, with a row of the correction log: who, when, old and new value, why.
#pragma once

#include "db/DbError.h"

#include <QDateTime>
#include <QString>
#include <QStringList>
#include <cstdint>
#include <vector>

namespace db {

class Outbox;
class TDModule;

/*! Who makes a correction and why. */
struct CorrectionNote {
    QString who;    // the account
    QString reason; // may be empty, but not for points
    QDateTime when = QDateTime::currentDateTimeUtc();
};

/*! The login name of the account running the program. */
QString AccountName();

/*! A correction the data does not allow (a name taken, a player or game
    unknown, a log the role may not create); what() is the Russian reason
    for the user, UTF-8. Nothing was changed. */
class CorrectionRefused : public DbError {
  public:
    explicit CorrectionRefused(const QString& text) : DbError(text.toStdString()) {}
};

/*! Why a person may not be given this name (empty when it may): not empty,
    no spaces at its ends or two together, no control or quote characters,
    at most 60 characters, not a computer's name. Ё, spaces inside, digits
    and hyphens are allowed. */
QString NameProblem(const QString& name);

/*! Whether the correction log exists, creating it where the connection may
    create tables; false where the role has not the right. Outside a
    transaction. Throws DbError. */
bool PrepareCorrections(TDModule& module);

/*! Whether the correction log exists. Throws DbError. */
bool CorrectionsExist(TDModule& module);

/*! Inside a clearing's transaction, after the games went: the log forgets
    the reversals of games gone and its places past the journal's end, so
    the codes that new games take are not marked. */
void ForgetClearedGames(TDModule& module);

/*! Gives a person a new name. The journal names players by code, so every
    list follows; results waiting in outbox under the old name are rewritten
    to the new one. Throws CorrectionRefused or DbError. Returns the waiting
    results that could not be rewritten (Outbox::RenamePlayer's). */
QStringList RenamePlayer(TDModule& module, const QString& name, const QString& newName,
                         const CorrectionNote& note, Outbox* outbox = nullptr);

/*! Merges duplicate into keep (two rows of one person that never played
    each other): its games become keep's, the points are added up, its row
    goes. Results waiting in outbox under its name move to keep's; returns
    those that could not be rewritten. */
QStringList MergePlayers(TDModule& module, const QString& duplicate, const QString& keep,
                         const CorrectionNote& note, Outbox* outbox = nullptr);

/*! Tells that the correction is made but some waiting results still name
    the old player (they will be set aside when written out). */
QString WaitingNotRewrittenText(const QStringList& failed);

/*! Sets a person's points (0 or more); the reason is required. */
void SetPoints(TDModule& module, const QString& name, int64_t points, const CorrectionNote& note);

/*! Reverses a wrongly recorded game by its rules: a person's win over a
    person or over the computer takes the award back (never below 0); a loss
    to the computer gives its point back. The journal row stays, marked as
    reversed in the log; a game is reversed once. */
void ReverseGame(TDModule& module, int64_t gameCode, const CorrectionNote& note);

/*! Registers a name with 0 points, through the registration's duplicate
    check (the exact name) and NameProblem. */
void RegisterName(TDModule& module, const QString& name, const CorrectionNote& note);

/*! One row of the correction log. */
struct CorrectionRow {
    int64_t code = 0;
    QString time, who, kind;
    int64_t player = 0;
    int64_t other = 0; // 0: none
    int64_t after = 0;
    QString oldName, newName;
    bool hasPoints = false;
    int64_t oldPoints = 0, newPoints = 0;
    QString reason;
};

/*! The log, oldest first; empty where there is none. Throws DbError. */
std::vector<CorrectionRow> ReadCorrections(TDModule& module);

/*! The log row as one line for a listing. */
QString CorrectionLine(const CorrectionRow& row);

} // namespace db
