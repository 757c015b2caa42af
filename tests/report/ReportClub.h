// A club for the report's tests: players, journal rows and the records of
// self-played games, on either engine.
#pragma once

#include "RatingsFolder.h"
#include "db/DatabaseConfig.h"

#include <QString>

/*! Adds game code between two players (codes and names), played from the
    standard start with seed; the winner's row is the side that won. Returns
    the rolls of its turns. */
int AddRecordedGame(RatingsFolder& folder, int code, int white, const QString& whiteName, int black,
                    const QString& blackName, uint64_t seed);

/*! Puts packed as the archive's record of game code. */
void AddRecordBytes(RatingsFolder& folder, int code, const QByteArray& packed);

/*! The database of the folder, as the report opens it. */
db::DatabaseChoice ChoiceOf(const RatingsFolder& folder);

/*! Every file of a folder, by path relative to it, with its text. */
QString ReadAll(const QString& dir, QStringList* paths = nullptr);
