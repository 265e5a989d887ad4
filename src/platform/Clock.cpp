#include "platform/Clock.h"

#include <atomic>
#include <ctime>

std::int64_t TMonotonicClock::NowMicroseconds() const
{
    timespec ts{};
    clock_gettime(CLOCK_MONOTONIC, &ts);
    return static_cast<std::int64_t>(ts.tv_sec) * 1000000 + ts.tv_nsec / 1000;
}

namespace {
// Never destroyed: the sound outputs' threads and the last port to close at exit still read the
// clock once the program's statics are gone.
TClock* Monotonic()
{
    static TClock* const clock = new TMonotonicClock;
    return clock;
}

// None while the monotonic clock is in place, so that the clock can be read during the
// program's start-up, before this file's statics are made.
std::atomic<TClock*> currentClock{nullptr};
}

TClock& GameClock()
{
    TClock* clock = currentClock.load(std::memory_order_acquire);
    return clock ? *clock : *Monotonic();
}

TClock* SetGameClock(TClock* clock)
{
    TClock* previous = currentClock.exchange(clock, std::memory_order_acq_rel);
    return previous ? previous : Monotonic();
}
