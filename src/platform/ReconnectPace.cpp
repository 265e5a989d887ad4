#include "platform/ReconnectPace.h"

#include "platform/Clock.h"

#include <algorithm>

int TReconnectPace::NextDelayMs()
{
    if (quick_ && clock_.NowMilliseconds() < quickUntilMs_)
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
    quickUntilMs_ = clock_.NowMilliseconds() + QuickSpanMs;
}
