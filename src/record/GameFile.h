// Saving a game to a file in the format its name asks for.
#pragma once

#include "record/GameRecord.h"
#include "record/MatchRecord.h"

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
    ReadSgf, any other name as the program's own record: one game
    (ReadRecord), or a match's first game (ReadMatch), so a viewer of one
    game shows where the match began. The reason names the line for a
    damaged or foreign file. note, when given, gets what the user should know
    beside the game (FirstGameNote of a match), or is cleared. */
std::optional<GameRecord> OpenGame(const QString& path, QString& error, QString* note = nullptr);

/*! A record as the archive keeps it: one game, or a match of games. */
struct StoredRecord {
    GameRecord game; // the game, or the match's first game
    std::optional<MatchRecord> match;
};

/*! The archive's text read back by the rules: a match's (IsMatchText)
    through ReadMatch, one game's through ReadRecord. Nothing and a reason
    naming the line for text it cannot read. */
std::optional<StoredRecord> ReadStored(const QString& text, QString& error);

/*! As GameFileText, for a stored record: a match as the whole match in that
    format (the program's own record as MatchText), dated by its first game. */
QString StoredFileText(const StoredRecord& record, GameFormat format, QString& error);

/*! As WriteGame, for a stored record. */
bool WriteStored(const StoredRecord& record, GameFormat format, const QString& path,
                 QString& error);
/*! As SaveGame, for a stored record. */
bool SaveStored(const StoredRecord& record, const QString& path, QString& error);

} // namespace record
