// A self-play game kept as the referee keeps its record.
#pragma once

#include "proc/proc.h"
#include "record/GameRecord.h"

#include <QString>
#include <cstdint>

namespace selfplay {

/*! Plays one computer game from start with the seeded dice clock (the
    process's clock is restored after) and returns its finished record, the
    sides named as given. */
record::GameRecord RecordedGame(const proc::Board& start, uint64_t seed, const QString& white,
                                const QString& black);

} // namespace selfplay
