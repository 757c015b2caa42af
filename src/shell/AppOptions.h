// The application options, set once at start-up from the options file.
#pragma once

#include <QColor>
#include <QString>
#include <cstdint>

namespace shell {

extern QString ProgramFolder;    // current directory at start, no trailing separator
extern int32_t MenuColor;        // colour value of the menu labels
extern QString MenuBackground;   // main-menu picture path, verbatim
extern QString DialogBackground; // dialog picture path, verbatim
extern int32_t ServerPort;       // game server port
extern QString ClientPath;       // board client executable, verbatim

/*! A path as written in the options file or the code, "\" read as this
    platform's separator. */
QString LocalPath(const QString& path);

/*! ProgramFolder joined with a fixed relative path written with backslashes
    ("\Data\Options.cfg"), mapped onto this platform's separator. */
QString ProgramPath(const QString& relative);

/*! The displayed colour of a colour value (low byte red, then green, blue;
    top byte 0xFF: a system colour; clNone and clDefault). */
QColor ToQColor(int32_t colorValue);

} // namespace shell
