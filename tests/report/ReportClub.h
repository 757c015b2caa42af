// A club for the report's tests: players, journal rows and the records of
// self-played games, on either engine.
#pragma once

#include "RatingsFolder.h"
#include "db/DatabaseConfig.h"
#include "record/MatchRecord.h"

#include <QString>
#include <vector>

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

/*! A game of a test match: the first player's colour, the turns kept of a self-played game. */
struct MatchGamePlan {
    proc::Side firstSide = proc::White;
    int turns = 0;
    std::vector<record::CubeAction> cube;
    std::vector<record::ResignAction> resignations;
};

/*! Adds match code as the referee records one (the journal's row by its
    score); returns the rolls of its turns. */
int AddRecordedMatch(RatingsFolder& folder, int code, int first, const QString& firstName,
                     int second, const QString& secondName, int length,
                     const std::vector<MatchGamePlan>& plan);

/*! A 5-point match: 0:2, 2:2, 4:2, the Crawford game 4:3, 6:3. */
std::vector<MatchGamePlan> FivePointMatch();
