// Ending the program once start-up is complete.
#pragma once

namespace shell {

/*! Asks for the program to end as soon as start-up is complete (a start-up
    step failed). The program entry checks the flag instead of serving the user. */
void RequestProgramEnd();
bool ProgramEndRequested();
/*! Clears the request (tests start the windows again). */
void ResetProgramEnd();

} // namespace shell
