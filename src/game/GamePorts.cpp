#include "game/GamePorts.h"

#include "record/RecordText.h"

#include <QThread>
#include <cmath>

namespace game {

void ThreadSleepPause::Wait(int ms) {
    const double scaled = std::round(ms * scale_);
    if (scaled > 0)
        QThread::msleep(static_cast<unsigned long>(scaled));
}

QString GameResult::RecordText() const {
    if (match && !match->games.empty())
        return record::MatchText(*match, match->games.front().game.StartTime());
    return record::RecordText(record, record.StartTime());
}

} // namespace game
