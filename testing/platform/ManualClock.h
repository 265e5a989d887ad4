#pragma once

#include "platform/Clock.h"
#include "platform/Override.h"

#include <atomic>
#include <cstdint>

// A clock that moves only when told, so that frames, ticks and the song advance exactly when a
// test says so. Reading it is safe from any thread.
class TManualClock final : public TClock {
public:
    std::int64_t NowMicroseconds() const override { return now_.load(std::memory_order_acquire); }
    void SetMicroseconds(std::int64_t us) { now_.store(us, std::memory_order_release); }
    void AdvanceMicroseconds(std::int64_t us) { now_.fetch_add(us, std::memory_order_acq_rel); }
    void AdvanceMilliseconds(std::int64_t ms) { AdvanceMicroseconds(ms * 1000); }

private:
    std::atomic<std::int64_t> now_{0};
};

// GameClock() answers with clock until the guard goes.
inline TOverride OverrideGameClock(TClock& clock)
{
    TClock* previous = SetGameClock(&clock);
    return TOverride([previous] { SetGameClock(previous); });
}
