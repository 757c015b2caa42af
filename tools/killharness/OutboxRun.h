// The kill harness for the outbox: results wait there, and referees that
// write them out before their own game's recording are killed at random
// moments of the write-out. Nothing may be lost, doubled or reordered.
#pragma once

#include "Round.h"

namespace killharness {

/*! Runs s.rounds rounds, putting s.outboxBatch results in the outbox
    whenever it is empty; 0 when every round's database was right and the
    run killed write-outs, 1 otherwise. */
int RunOutbox(const Settings& s);

} // namespace killharness
