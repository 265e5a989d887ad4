#include "platform/ManualClock.h"
#include "sprites/DXClass.h"

#include <gtest/gtest.h>

#include <vector>

namespace {

struct TimerRig {
    TManualClock clock;
    TDXTimer timer{nullptr, &clock};
    std::vector<int> lags;

    explicit TimerRig(int interval, bool activeOnly = false)
    {
        clock.SetMicroseconds(1'000'000);
        timer.SetActiveOnly(activeOnly);
        timer.SetInterval(interval);
        timer.OnTimer = [this](int lag) { lags.push_back(lag); };
        timer.Loaded();
    }
    void After(int ms)
    {
        clock.AdvanceMilliseconds(ms);
        timer.DoIdle();
    }
};

} // namespace

TEST(DXTimer, FiresOncePerIntervalWithLagFromTheGap)
{
    TimerRig rig(100);
    rig.After(50);
    EXPECT_TRUE(rig.lags.empty());
    rig.After(200);  // 250 ms since the last frame
    ASSERT_EQ(rig.lags.size(), 1u);
    EXPECT_EQ(rig.lags[0], 2);
    rig.After(99);
    EXPECT_EQ(rig.lags.size(), 1u);
    rig.After(1);
    ASSERT_EQ(rig.lags.size(), 2u);
    EXPECT_EQ(rig.lags[1], 1);
}

TEST(DXTimer, ZeroIntervalFiresOnEveryIdleCallWithLagAtLeastOne)
{
    TimerRig rig(0);
    rig.After(0);
    rig.After(0);
    rig.After(3);
    EXPECT_EQ(rig.lags, (std::vector<int>{1, 1, 3}));
    rig.timer.SetInterval(-5);
    EXPECT_EQ(rig.timer.Interval(), 0);
}

TEST(DXTimer, ReactivationResumesWithoutABurst)
{
    TimerRig rig(100, true);
    rig.timer.AppActivated();
    EXPECT_TRUE(rig.timer.Running());
    rig.After(100);
    ASSERT_EQ(rig.lags.size(), 1u);

    rig.timer.AppDeactivated();
    EXPECT_FALSE(rig.timer.Running());
    rig.clock.AdvanceMilliseconds(5000);
    rig.timer.AppActivated();
    rig.timer.DoIdle();
    EXPECT_EQ(rig.lags.size(), 1u) << "a frame ran at once after reactivation";
    rig.After(100);
    ASSERT_EQ(rig.lags.size(), 2u);
    EXPECT_EQ(rig.lags[1], 1) << "the inactive spell came back as lag";
}

TEST(DXTimer, DisablingStopsAndFrameRateCountsPerSecond)
{
    TimerRig rig(100);
    for (int i = 0; i < 10; ++i)
        rig.After(100);
    EXPECT_EQ(rig.timer.FrameRate(), 10);
    rig.timer.SetEnabled(false);
    EXPECT_FALSE(rig.timer.Initialized());
    EXPECT_FALSE(rig.timer.Running());
}

TEST(DXTimer, AFrameThatThrowsDoesNotStopTheFrames)
{
    TimerRig rig(100);
    rig.timer.OnTimer = [](int) { throw std::runtime_error("boom"); };
    rig.clock.AdvanceMilliseconds(100);
    EXPECT_THROW(rig.timer.DoIdle(), std::runtime_error);
    EXPECT_TRUE(rig.timer.Running());
}
