#pragma once

#include <cstdint>

class TClock;

// How long the sound output waits before it tries to reach the server again. A server that
// went away while in use is most likely restarting, so for a short while it is tried as often
// as at first; one that is not there (or stays away) is tried half as often after every
// failure, down to once a minute, so that a game without a server wakes nobody for it.
class TReconnectPace {
public:
    static constexpr int FirstMs = 250;
    static constexpr int LongestMs = 60000;
    static constexpr int QuickSpanMs = 5000;

    // On the game's clock, as it is at each call; or on a clock of the caller's.
    TReconnectPace() = default;
    explicit TReconnectPace(const TClock& clock) : clock_(&clock) {}

    // An attempt failed: the wait before the next one.
    int NextDelayMs();
    // The connection was made, or one that worked went away.
    void Connected();
    void Lost();

private:
    const TClock* clock_ = nullptr;
    std::int64_t NowMs() const;
    int delayMs_ = FirstMs;
    std::int64_t quickUntilMs_ = 0;
    bool quick_ = false;
};
