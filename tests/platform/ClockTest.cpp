#include "platform/Clock.h"
#include "platform/Exception.h"

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
    TClock* previous = SetGameClock(&manual);
    EXPECT_EQ(GameClock().NowMilliseconds(), 42);
    SetGameClock(previous);
    const auto a = GameClock().NowMicroseconds();
    const auto b = GameClock().NowMicroseconds();
    EXPECT_GT(a, 1000);  // monotonic time since boot, never the manual 42 ms
    EXPECT_GE(b, a);
}

TEST(Format, FillsTemplatesOfAnyLength)
{
    EXPECT_EQ(Format("Image '%s' not found", "ball"), "Image 'ball' not found");
    const std::string longName(500, 'x');
    EXPECT_EQ(Format("%s!", longName.c_str()).size(), 501u);
}
