#include "sound/FrameClock.h"

#include <gtest/gtest.h>

// The server's wobbling estimate moves the heard time by a 32nd of its error; a jump of more
// than 8 ms, or the first estimate after Reanchor, is taken as it is.
TEST(FrameClock, SmallErrorsAreSpreadAndJumpsTaken)
{
    TFrameClock clock;
    EXPECT_EQ(clock.HeardUs(1'000'000, 0, 1000), 1'000'000);
    // 100 frames at 1000 a second later: 100 ms on, the server says 3.2 ms more.
    EXPECT_EQ(clock.HeardUs(1'103'200, 100, 1000), 1'100'100);
    // 9 ms early against the frames written: taken at once.
    EXPECT_EQ(clock.HeardUs(1'191'100, 200, 1000), 1'191'100);
    clock.Reanchor();
    EXPECT_EQ(clock.HeardUs(5'000'000, 300, 1000), 5'000'000);
}
