#include "platform/ManualClock.h"
#include "sound/ReconnectPace.h"

#include <gtest/gtest.h>

#include <vector>

// With no server the waits double from a quarter second to a minute and stay there; a
// connection starts them over. A connection that worked and went away is looked for at the
// first pace for a while (a restarting server), then backed off the same way.
TEST(ReconnectPace, BacksOffToAMinuteAndStartsOverOnSuccess)
{
    TManualClock clock;
    TReconnectPace pace(clock);
    const auto waits = [&](int count) {
        std::vector<int> seen;
        for (int i = 0; i < count; ++i) {
            seen.push_back(pace.NextDelayMs());
            clock.AdvanceMilliseconds(seen.back());
        }
        return seen;
    };
    EXPECT_EQ(waits(11), (std::vector<int>{250, 500, 1000, 2000, 4000, 8000, 16000, 32000, 60000, 60000, 60000}));
    pace.Connected();
    EXPECT_EQ(waits(3), (std::vector<int>{250, 500, 1000}));

    pace.Connected();
    clock.AdvanceMilliseconds(600000);
    pace.Lost();
    std::vector<int> expected(TReconnectPace::QuickSpanMs / TReconnectPace::FirstMs + 1, 250);
    expected.insert(expected.end(), {500, 1000});
    EXPECT_EQ(waits(int(expected.size())), expected);
}
