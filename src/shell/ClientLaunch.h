// Starting the board client named in the options.
#pragma once

#include <QString>

namespace shell {

/*! The error message for a failed start of the board client (a ShellOpen
    result); empty for success. */
QString ClientLaunchError(int shellResult);

/*! Starts the board client in ProgramFolder on a saved game (--open file).
    Returns the shell's result. */
int StartClientOnGame(const QString& gameFile);

} // namespace shell
