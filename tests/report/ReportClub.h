// A club for the report's tests: players, journal rows and the records of
// self-played games, on either engine.
#pragma once

#include "RatingsFolder.h"
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

/*! Every file of a folder, by path relative to it, with its text. */
QString ReadAll(const QString& dir, QStringList* paths = nullptr);

/*! One game of a test match: a self-played game cut after turns turns, the
    match's first player on firstSide, ended by its cube or resignations. */
struct MatchGamePlan {
    proc::Side firstSide = proc::White;
    int turns = 0;
    std::vector<record::CubeAction> cube;
    std::vector<record::ResignAction> resignations;
};

/*! The match as the referee keeps it: each game settled, the score and the
    Crawford game carried from one game to the next. */
record::MatchRecord PlannedMatch(const QString& first, const QString& second, int length,
                                 const std::vector<MatchGamePlan>& plan);

/*! Adds match code as the referee records one: the journal's row (the
    winner by the score, the margin its difference) and the match's text in
    the archive. first and second are the players' codes. Returns the rolls
    of its turns. */
int AddRecordedMatch(RatingsFolder& folder, int code, int first, int second,
                     const record::MatchRecord& match);

/*! A 5-point match, Анна first: 0:2 (a redouble passed), 2:2 (a gammon
    resigned after a single refused), 4:2 (a double taken, a single resigned),
    the Crawford game 4:3, 6:3 (a double taken, a single resigned). */
std::vector<MatchGamePlan> FivePointMatch();
