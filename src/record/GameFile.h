// Saving a game to a file in the format its name asks for.
#pragma once

#include "record/GameRecord.h"

#include <QString>
#include <optional>

namespace record {

enum class GameFormat { Record, Mat, Sgf };

/*! The format a file name asks for: .txt the program's own record, .mat
    match text, .sgf backgammon SGF (letter case ignored); nothing for any
    other name. */
std::optional<GameFormat> FormatOfPath(const QString& path);

/*! The game in that format, dated by its start; empty text and a reason when
    the format cannot hold it. */
QString GameFileText(const GameRecord& record, GameFormat format, QString& error);

/*! Writes the game to path (atomically) in that format. False and a reason
    for a game the format cannot hold or a file that cannot be written. */
bool WriteGame(const GameRecord& record, GameFormat format, const QString& path, QString& error);

/*! Writes the game to path (atomically) in the format its name asks for.
    False and a reason for another name, a game the format cannot hold or a
    file that cannot be written. */
bool SaveGame(const GameRecord& record, const QString& path, QString& error);

/*! Reads a saved game: match text (.mat) and SGF (.sgf) by ReadMat and
    ReadSgf, any other name as the program's own record (ReadRecord); the
    reason names the line for a damaged or foreign file. note, when given,
    gets what the user should know beside the game (only the first game of a
    match is shown), or is cleared. */
std::optional<GameRecord> OpenGame(const QString& path, QString& error, QString* note = nullptr);

} // namespace record
