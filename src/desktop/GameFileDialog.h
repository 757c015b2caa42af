// The save dialog for a game: the program's own record, match text or SGF,
// chosen by the file type; it opens where the user keeps documents, with a
// name made of the players and the date.
#pragma once

#include "record/GameRecord.h"

#include <QString>
#include <QStringList>

class QWidget;

namespace desktop {

/*! The file types offered for a game, the first the default; match text
    says when the game cannot be written so. */
QStringList GameFileFilters(const record::GameRecord& game);

/*! path with the extension of the chosen filter when it has none of the
    three; as it is otherwise. */
QString WithGameExtension(const QString& path, const QString& filter);

/*! The name offered for a game: "white — black, dd.MM.yyyy.txt", dated by
    the game's start (today when it has none), with every character a file
    name cannot hold on the usual systems made "_". */
QString SuggestedGameName(const record::GameRecord& game);

/*! The folder the dialog opens in: the last one a game was saved to while it
    exists, else the user's documents folder (XDG_DOCUMENTS_DIR) when it
    exists, else the home folder. */
QString GameFolder();

/*! Keeps the folder of path as the one the next dialog opens in (in the
    user's settings, shared by the programs). */
void RememberGameFolder(const QString& path);

/*! Asks where to save the game, offering SuggestedGameName in GameFolder,
    and remembers the folder chosen. Empty when cancelled. */
QString AskGameFile(QWidget* parent, const record::GameRecord& game);

/*! The file types a game opens from: all three together first, then each. */
QStringList OpenGameFilters();

/*! Asks which saved game to open, in GameFolder, and remembers the folder
    chosen. Empty when cancelled. */
QString AskGameToOpen(QWidget* parent);

} // namespace desktop
