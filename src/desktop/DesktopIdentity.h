// One identity for every window of the project's programs, so the desktop
// shows them under the menu entry "Вертан" with its icon.
#pragma once

#include <QString>

namespace desktop {

/*! The desktop entry's name without ".desktop"; also the X11 instance name
    (WM_CLASS) that its StartupWMClass names, and the icon's theme name. */
inline constexpr char DesktopId[] = "vertan";

/*! For a program not called "vertan" (the board client): before the
    application object exists, makes its X11 instance name the launcher's, so
    its windows join the launcher's entry. Through the environment, which
    whatever the program starts inherits: only for programs that start none. */
void PrepareDesktopIdentity();

/*! Call once the application object exists: the desktop file name (the
    Wayland app id) and the window icon, from the icon theme or, for a
    program installed under any prefix, from the icon folder beside
    programFolder (default: the executable's folder). Without an installed
    icon the windows keep the platform's default. */
void ApplyDesktopIdentity(const QString& programFolder = QString());

} // namespace desktop
