#include "sound/TapOffset.h"

#include <gtest/gtest.h>

namespace {

constexpr std::int64_t First = 2'000'000, Beat = 600'000;

} // namespace

// Late and early taps count from the nearest click; strays (a second tap on one click, taps
// more than half a beat from every click) are ignored and cannot pull the median.
TEST(TapOffset, TheMedianOfTheTapsOnTheBeat)
{
    TTapOffset late(First, Beat);
    const std::int64_t offsets[] = {180'000, 190'000, 170'000, 200'000, 250'000, 175'000, 195'000, 160'000, -20'000};
    for (int i = 0; i < 9; ++i)
        EXPECT_TRUE(late.Tap(late.ClickHeardUs(i + 2) + offsets[i])) << i;
    EXPECT_FALSE(late.Tap(late.ClickHeardUs(4) + 10'000));   // the click has its tap
    EXPECT_FALSE(late.Tap(First - Beat / 2 - 1'000));          // before the first click's reach
    EXPECT_FALSE(late.Tap(late.ClickHeardUs(15) + Beat / 2 + 1'000));  // after the last
    EXPECT_EQ(late.ValidTaps(), 9);
    EXPECT_EQ(late.OffsetUs(), 180'000);

    TTapOffset early(First, Beat);
    for (int i = 0; i < 8; ++i)
        early.Tap(early.ClickHeardUs(i) - 40'000 - 2'000 * i);
    EXPECT_EQ(early.OffsetUs(), -47'000);  // between the middle two of an even count
}

TEST(TapOffset, TooFewTapsFindNothing)
{
    TTapOffset offset(First, Beat);
    for (int i = 0; i < TTapOffset::MinimumTaps - 1; ++i)
        offset.Tap(offset.ClickHeardUs(i) + 100'000);
    offset.Tap(offset.ClickHeardUs(3) + 90'000);
    EXPECT_EQ(offset.ValidTaps(), TTapOffset::MinimumTaps - 1);
    EXPECT_FALSE(offset.OffsetUs());
}
