#include "GameFixture.h"

#include "game/KeyGrip.h"
#include "game/StressValue.h"
#include "platform/ManualClock.h"

#include <vector>

namespace {

class TKeyGripTest : public TGameFixture {
protected:
    // The levels the next ms milliseconds go through, fed once a millisecond as the tick does.
    std::vector<int> Run(int ms)
    {
        std::vector<int> levels;
        int last = Stress.Level;
        for (int i = 0; i < ms; ++i) {
            Clock.AdvanceMilliseconds(1);
            Keys.Feed(Stress);
            if (Stress.Level != last)
                levels.push_back(last = Stress.Level);
        }
        return levels;
    }

    TManualClock Clock;
    TOverride ClockOverride = OverrideGameClock(Clock);
    TStressValueOne Stress;
    TKeyGrip Keys;
};

} // namespace

TEST_F(TKeyGripTest, NothingIsReportedBeforeTheFirstKey)
{
    Run(1000);
    EXPECT_EQ(Stress.Level, 0);
    EXPECT_EQ(Stress.RepeatCount, 0);
    EXPECT_EQ(Stress.LastReading, 0);
    EXPECT_FALSE(Stress.Armed);
    // Every mark as created: nothing has lit or hidden one.
    EXPECT_TRUE(Stress.Marks[5]->Visible);
}

TEST_F(TKeyGripTest, EachKeyTouchesFirstAndGoesThroughTheGate)
{
    // After a long rest the gate is shut until a reading of 1: a key gets there by a light
    // touch first, so its grip counts, a light one at level 2.
    Keys.Press(TGripKey::Light);
    Keys.Release(TGripKey::Light);
    Run(1000);
    ASSERT_FALSE(Stress.Armed);
    Keys.Press(TGripKey::Light);
    EXPECT_EQ(Run(20), std::vector<int>{2});
    // Held steady, the grip stops counting, as a ball's would.
    Run(400);
    EXPECT_EQ(Stress.Level, 0);
    // Let go and gripped harder: level 1 on the way up, then the key's own.
    Keys.Release(TGripKey::Light);
    Run(50);
    Keys.Press(TGripKey::Medium);
    EXPECT_EQ(Run(20), (std::vector<int>{1, 4}));
    // A harder key on top counts as it rises; letting it go while the other is held is easing
    // the grip: the lower level once, then 0.
    Keys.Press(TGripKey::Hard);
    EXPECT_EQ(Run(10), std::vector<int>{6});
    Keys.Release(TGripKey::Hard);
    EXPECT_EQ(Run(20), (std::vector<int>{4, 0}));
}

TEST_F(TKeyGripTest, EasyModeShowsTheKeysForceAndAPauseIsNotMadeUpFor)
{
    Stress.Easy = true;
    Keys.Press(TGripKey::Hard);
    EXPECT_EQ(Run(20), (std::vector<int>{1, 6}));
    Run(400);
    EXPECT_EQ(Stress.Level, 6);
    Keys.ReleaseAll();
    EXPECT_EQ(Run(10), std::vector<int>{0});
    // A second without feeds (a ball was there) gives at most a few readings, not a hundred.
    Stress.Easy = false;
    Clock.AdvanceMilliseconds(1000);
    Stress.RepeatCount = 0;
    Keys.Feed(Stress);
    EXPECT_EQ(Stress.RepeatCount, TKeyGrip::MaxCatchUp);
}
