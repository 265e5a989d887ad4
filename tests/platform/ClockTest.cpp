#include "platform/Clock.h"
#include "platform/Exception.h"
#include "platform/ManualClock.h"

#include <gtest/gtest.h>

TEST(Clock, ManualClockOnlyMovesWhenTold)
{
    TManualClock clock;
    EXPECT_EQ(clock.NowMicroseconds(), 0);
    clock.AdvanceMilliseconds(250);
    clock.AdvanceMicroseconds(999);
    EXPECT_EQ(clock.NowMilliseconds(), 250);
    EXPECT_EQ(clock.NowMicroseconds(), 250999);
}

TEST(Clock, GameClockCanBeSwappedAndRestored)
{
    TManualClock manual;
    manual.SetMicroseconds(42000);
    {
        TOverride swapped = OverrideGameClock(manual);
        EXPECT_EQ(GameClock().NowMilliseconds(), 42);
    }
    // Back on the monotonic clock: the reading falls between two of CLOCK_MONOTONIC's, wherever
    // the manual clock stands.
    TMonotonicClock monotonic;
    const auto before = monotonic.NowMicroseconds();
    manual.SetMicroseconds(before + 1000);
    const auto now = GameClock().NowMicroseconds();
    const auto after = monotonic.NowMicroseconds();
    EXPECT_GE(now, before);
    EXPECT_LE(now, after);
}

TEST(Format, FillsTemplatesOfAnyLength)
{
    EXPECT_EQ(Format("Image '%s' not found", "ball"), "Image 'ball' not found");
    const std::string longName(500, 'x');
    EXPECT_EQ(Format("%s!", longName.c_str()).size(), 501u);
}
