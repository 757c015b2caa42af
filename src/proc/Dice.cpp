// Dice: a 32-bit linear congruential generator reseeded from a clock at
// every roll, so two rolls that read the same clock value agree.
#include "proc/proc.h"

#include <chrono>
#include <utility>

namespace proc {
namespace {

uint32_t SteadyClock() {
    auto ticks = std::chrono::steady_clock::now().time_since_epoch();
    return static_cast<uint32_t>(
        std::chrono::duration_cast<std::chrono::nanoseconds>(ticks).count());
}

DiceClock& Clock() {
    static DiceClock clock = SteadyClock;
    return clock;
}

// The process-wide generator state, kept between rolls as the rules want it.
uint32_t generatorState = 0;

int NextDie(uint32_t& state) {
    state = state * 134775813u + 1u;
    return static_cast<int>((static_cast<uint64_t>(state) * 6u) >> 32) + 1;
}

Dice TwoDice(uint32_t& state) {
    int first = NextDie(state);
    int second = NextDie(state);
    return MakeDice(first, second);
}

} // namespace

void SetDiceClock(DiceClock clock) {
    Clock() = clock ? std::move(clock) : DiceClock(SteadyClock);
}

Dice RollDice() {
    generatorState = Clock()();
    return TwoDice(generatorState);
}

Dice RollDiceFrom(uint32_t seed) {
    return TwoDice(seed);
}

} // namespace proc
