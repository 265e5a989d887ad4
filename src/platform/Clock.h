#pragma once

#include <cstdint>

// The game's time source: CLOCK_MONOTONIC, unless a test puts a clock of its own in place.
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

// The clock every component reads unless it was given one. Tests may replace it; the
// previous clock is returned so they can put it back.
TClock& GameClock();
TClock* SetGameClock(TClock* clock);
