// The grip test on scripted forces with their times.
#include "training/GripTest.h"

#include <gtest/gtest.h>

#include <cmath>

namespace {

struct TScript {
    TGripTest test;
    std::int64_t now = 0;

    void Squeeze(std::uint8_t peak)
    {
        for (std::uint8_t force : {std::uint8_t(11), peak, std::uint8_t(peak / 2), std::uint8_t(0)})
            test.Feed(now += 100, force);
    }
    // Three squeezes, then a grip on each ball hits says: the first at 20 a minute, +5 each.
    void ThroughThePace(const std::vector<bool>& hits, std::int64_t offsetMs = 0)
    {
        test.Start(now);
        for (std::uint8_t peak : {120, 200, 90})
            Squeeze(peak);
        std::int64_t moment = now;
        for (size_t k = 0; k < hits.size(); ++k) {
            moment += std::lround(60000.0 / (20 + 5 * int(k)));
            if (hits[k])
                test.Feed(now = moment + offsetMs, 100), test.Feed(now += 40, 0);
        }
        test.Advance(now = moment + 1000);
    }
};

} // namespace

TEST(GripTest, ThePeakIsTheHighestOfThreeSqueezesAndALightOneDoesNotCount)
{
    TScript s;
    s.test.Start(0);
    s.Squeeze(120);
    s.Squeeze(14);
    EXPECT_NE(s.test.Prompt(s.now).indexOf("too light"), -1);
    s.Squeeze(181);
    s.Squeeze(90);
    EXPECT_EQ(s.test.Peak(), 181);
}

TEST(GripTest, ThePaceReachedIsThatOfTheLastBallHitBeforeThreeInARowWereMissedAndTheRecordKeepsIt)
{
    // Two misses in a row do not end it; the ball at 40 a minute is the last hit.
    TScript s;
    s.ThroughThePace({true, true, false, false, true, false, false, false, true});
    EXPECT_EQ(s.test.Phase(), TGripTest::EPhase::Hold);
    EXPECT_EQ(s.test.PaceReached(), 40);
    EXPECT_EQ(s.test.BallsHit(), 3);
    // The line the record gets of it, after a hold of 8.46 s.
    const std::int64_t from = s.now + TGripTest::HoldLeadMs;
    s.test.Feed(from, 150);
    s.test.Feed(from + 8460, 40);
    const std::optional<TGameRecord> r =
        ParseRecordLine(RecordLine(GripTestRecord(s.test, QDateTime::currentDateTime(), "GR-0042", "Ann", 160)));
    ASSERT_TRUE(r);
    EXPECT_EQ(r->Mode, "test");
    EXPECT_EQ(r->PeakForce, 200);
    EXPECT_EQ(r->TestPacePerMinute, 40.0);
    EXPECT_EQ(r->TestHoldSeconds, 8.5);
    // Inside the window either side the grips still hit; outside it they hit nothing.
    TScript late;
    late.ThroughThePace({true, true, true}, TGripTest::WindowMs);
    EXPECT_EQ(late.test.BallsHit(), 3);
    TScript early;
    early.ThroughThePace({true, true, true}, -TGripTest::WindowMs - 1);
    EXPECT_EQ(early.test.BallsHit(), 0);
}

TEST(GripTest, TheHoldRunsFromReachingHalfThePeakUntilADropAndThirtySecondsAtMost)
{
    TScript s;
    s.ThroughThePace({false, false, false});
    // Half of 200: a grip while the hand is to let go counts for nothing.
    s.test.Feed(s.now += 100, 150);
    const std::int64_t reached = s.now + TGripTest::HoldLeadMs;
    s.test.Feed(reached - 100, 99);
    s.test.Feed(reached, 100);
    for (std::int64_t t = reached; t < reached + 12300; t += 100)
        s.test.Feed(t, 120);
    s.test.Feed(reached + 12300, 99);
    EXPECT_TRUE(s.test.Done());
    EXPECT_DOUBLE_EQ(s.test.HoldSeconds(), 12.3);

    TScript capped;
    capped.ThroughThePace({false, false, false});
    const std::int64_t from = capped.now + TGripTest::HoldLeadMs;
    capped.test.Feed(from, 180);
    capped.test.Advance(from + 45000);
    EXPECT_DOUBLE_EQ(capped.test.HoldSeconds(), 30);
    EXPECT_EQ(capped.test.EndedMs(), from + 30000);
}
