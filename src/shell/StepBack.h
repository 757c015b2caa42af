// The launcher's dialogs stay above every other window; a window the
// launcher opens for the user to look at (the board client on a game, GNU
// Backgammon, the browser with the manual) would open behind them. While
// one is open, they step back: they lose the stays-on-top flag, and get it
// back once it is gone.
#pragma once

class QProcess;

namespace shell {

/*! Another program's window opens now. Every window of the launcher that
    stays on top drops that flag (a shown one stays shown where it is). With
    process, until it ends; without one (a document or link handed to the
    desktop, a program started detached), until the launcher is the active
    application again, the user back at its windows. */
void StepBackFor(QProcess* process = nullptr);

/*! Whether the launcher's windows stand back now. */
bool SteppedBack();

} // namespace shell
