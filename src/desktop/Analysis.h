// Opening a game in GNU Backgammon, where it is installed: players analyse
// their games there.
#pragma once

#include "record/GameRecord.h"
#include "record/MatchRecord.h"

#include <QString>

namespace desktop {

/*! The item that offers it. */
inline const QString AnalysisItem = QStringLiteral("Анализ в GNU Backgammon");

/*! GNU Backgammon's program when `gnubg` is on the path, else empty. */
QString AnalysisProgram();

/*! Writes the game as SGF into a temporary file and starts GNU Backgammon on
    it, detached. False and a reason when it is not installed, the game cannot
    be written as SGF or the program does not start. */
bool OpenInAnalysis(const record::GameRecord& game, QString& error);
/*! The same for a whole match, its games in one SGF file. */
bool OpenInAnalysis(const record::MatchRecord& match, QString& error);

} // namespace desktop
