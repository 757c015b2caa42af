// The save dialog for a game: the program's own record, match text or SGF,
// chosen by the file type.
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

/*! Asks where to save the game, starting at suggested. Empty when cancelled. */
QString AskGameFile(QWidget* parent, const record::GameRecord& game, const QString& suggested);

} // namespace desktop
