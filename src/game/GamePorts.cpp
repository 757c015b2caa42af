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
    return record::RecordText(record, record.StartTime());
}

} // namespace game
