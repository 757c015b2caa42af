#include "game/GamePorts.h"

#include <QThread>
#include <cmath>

namespace game {

void ThreadSleepPause::Wait(int ms) {
    const double scaled = std::round(ms * scale_);
    if (scaled > 0)
        QThread::msleep(static_cast<unsigned long>(scaled));
}

} // namespace game
