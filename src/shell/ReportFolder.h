// Where the club's page goes: chosen once by the user, remembered in the
// program folder (Data/Report.ini), used from then on by the desktop action
// and by the timer that keeps the page up to date.
#pragma once

#include <QString>
#include <QTextStream>

namespace shell {

/*! The folder remembered in programFolder; empty when none was chosen. */
QString RememberedReportFolder(const QString& programFolder);

/*! Remembers folder; false when the file cannot be written. */
bool RememberReportFolder(const QString& programFolder, const QString& folder);

/*! Asks on the terminal for the folder, offering fallback: an empty answer
    takes it, "~/" is the home folder, a relative path is taken from the
    current folder. The answer as an absolute path. */
QString AskReportFolder(QTextStream& in, QTextStream& out, const QString& fallback);

} // namespace shell
