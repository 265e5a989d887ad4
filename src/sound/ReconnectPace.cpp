#include "sound/ReconnectPace.h"

#include "platform/Clock.h"

#include <algorithm>

std::int64_t TReconnectPace::NowMs() const
{
    return (clock_ ? *clock_ : GameClock()).NowMilliseconds();
}

int TReconnectPace::NextDelayMs()
{
    if (quick_ && NowMs() < quickUntilMs_)
        return FirstMs;
    quick_ = false;
    const int delay = delayMs_;
    delayMs_ = std::min(delayMs_ * 2, LongestMs);
    return delay;
}

void TReconnectPace::Connected()
{
    delayMs_ = FirstMs;
    quick_ = false;
}

void TReconnectPace::Lost()
{
    delayMs_ = FirstMs;
    quick_ = true;
    quickUntilMs_ = NowMs() + QuickSpanMs;
}
