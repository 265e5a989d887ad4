#pragma once

#include <atomic>
#include <cstdint>

// The game's time source. The real one is CLOCK_MONOTONIC; tests swap in a manual clock so
// that frames, ticks and the song advance exactly when a test says so.
class TClock {
public:
    virtual ~TClock() = default;
    virtual std::int64_t NowMicroseconds() const = 0;
    std::int64_t NowMilliseconds() const { return NowMicroseconds() / 1000; }
};

class TMonotonicClock final : public TClock {
public:
    std::int64_t NowMicroseconds() const override;
};

class TManualClock final : public TClock {
public:
    std::int64_t NowMicroseconds() const override { return now_.load(std::memory_order_acquire); }
    void SetMicroseconds(std::int64_t us) { now_.store(us, std::memory_order_release); }
    void AdvanceMicroseconds(std::int64_t us) { now_.fetch_add(us, std::memory_order_acq_rel); }
    void AdvanceMilliseconds(std::int64_t ms) { AdvanceMicroseconds(ms * 1000); }

private:
    std::atomic<std::int64_t> now_{0};
};

// The clock every component reads unless it was given one. Tests may replace it; the
// previous clock is returned so they can put it back.
TClock& GameClock();
TClock* SetGameClock(TClock* clock);
