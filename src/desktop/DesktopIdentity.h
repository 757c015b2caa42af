// One identity for every window of the project's programs, so the desktop
// shows them under the menu entry "Вертан" with its icon.
#pragma once

namespace desktop {

/*! The desktop entry's name without ".desktop"; also the X11 instance name
    (WM_CLASS) that its StartupWMClass names, and the icon's theme name. */
inline constexpr char DesktopId[] = "vertan";

/*! Call before the application object exists: the X11 instance name is
    fixed here, whatever the executable is called. */
void PrepareDesktopIdentity();

/*! Call once the application object exists: the desktop file name (the
    Wayland app id) and the window icon, from the icon theme or, for a
    program installed under any prefix, from the icon folder beside it.
    Without an installed icon the windows keep the platform's default. */
void ApplyDesktopIdentity();

} // namespace desktop
