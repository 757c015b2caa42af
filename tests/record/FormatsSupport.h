// What the exchange format tests share: the files of this folder, and GNU
// Backgammon run as a separate program on exported files.
#pragma once

#include "proc/proc.h"
#include "record/GameRecord.h"

#include <QJsonArray>
#include <QJsonObject>
#include <QString>
#include <QStringList>
#include <map>
#include <string>

namespace formats {

/*! A file of this folder: the games worked out by hand and their exports. */
QString Stored(const char* name);
QString StoredText(const char* name);
/*! A record of this folder read back by the rules. */
record::GameRecord StoredGame(const char* name);
/*! A Board.cfg start: fewer checkers, none where the standard start has them. */
proc::Board OddStart();
/*! GNU Backgammon's program, empty when it is not installed. */
QString Gnubg();

/*! One side's checkers counted from its own home, the bar last: as GNU
    Backgammon tells them. */
QJsonArray OwnView(const proc::Board& board, proc::Side side);
/*! A JSON value as text to compare: arrays compact, strings as they are. */
std::string Text(const QJsonValue& value);

/*! GNU Backgammon imports each file and tells what it reached
    (gnubg_positions.py), by path; empty and a failure noted when it is
    missing or does not answer. */
std::map<QString, QJsonObject> ImportInGnubg(const QStringList& paths, const QString& home);

} // namespace formats
