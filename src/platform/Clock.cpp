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
TMonotonicClock monotonicClock;
std::atomic<TClock*> currentClock{&monotonicClock};
}

TClock& GameClock() { return *currentClock.load(std::memory_order_acquire); }

TClock* SetGameClock(TClock* clock)
{
    return currentClock.exchange(clock ? clock : &monotonicClock, std::memory_order_acq_rel);
}
