// The grip test on scripted forces with their times.
#include "training/GripTest.h"

#include <gtest/gtest.h>

#include <cmath>

namespace {

using EPhase = TGripTest::EPhase;

struct TScript {
    TGripTest test;
    std::int64_t now = 0;

    void Squeeze(std::uint8_t peak)
    {
        for (std::uint8_t force : {std::uint8_t(11), peak, std::uint8_t(peak / 2), std::uint8_t(0)})
            test.Feed(now += 100, force);
    }
    void GripAt(std::int64_t ms)
    {
        test.Feed(now = ms, 100);
        test.Feed(now += 40, 0);
    }
    // Three squeezes, then each ball as hit says; the moments are the test's own rule: the
    // first at 20 a minute after the last squeeze, each next one 5 a minute faster.
    void ThroughThePace(const std::vector<bool>& hits, std::int64_t offsetMs = 0)
    {
        test.Start(now);
        for (std::uint8_t peak : {120, 200, 90})
            Squeeze(peak);
        std::int64_t moment = now;
        for (size_t k = 0; k < hits.size(); ++k) {
            moment += std::lround(60000.0 / (20 + 5 * int(k)));
            if (hits[k])
                GripAt(moment + offsetMs);
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
    EXPECT_NE(s.test.Prompt(s.now).indexOf("(2/3)"), -1) << s.test.Prompt(s.now).toStdString();
    s.Squeeze(181);
    EXPECT_EQ(s.test.Phase(), EPhase::Squeeze);
    s.Squeeze(90);
    EXPECT_EQ(s.test.Peaks(), (std::vector<std::uint8_t>{120, 181, 90}));
    EXPECT_EQ(s.test.Peak(), 181);
    EXPECT_EQ(s.test.Phase(), EPhase::Pace);
}

TEST(GripTest, ThePaceReachedIsThatOfTheLastBallHitBeforeThreeInARowWereMissed)
{
    // Two misses in a row do not end it; the ball at 40 a minute is the last hit.
    TScript s;
    s.ThroughThePace({true, true, false, false, true, false, false, false, true});
    EXPECT_EQ(s.test.Phase(), EPhase::Hold);
    EXPECT_EQ(s.test.PaceReached(), 40);
    EXPECT_EQ(s.test.Balls(), 8);
    EXPECT_EQ(s.test.BallsHit(), 3);
    EXPECT_EQ(s.test.LongestRun(), 2);

    // Inside the window either side the grips still hit; outside it they hit nothing.
    TScript late;
    late.ThroughThePace({true, true, true}, TGripTest::WindowMs);
    EXPECT_EQ(late.test.BallsHit(), 3);
    TScript early;
    early.ThroughThePace({true, true, true}, -TGripTest::WindowMs - 1);
    EXPECT_EQ(early.test.BallsHit(), 0);
    EXPECT_EQ(early.test.PaceReached(), 0);
    EXPECT_EQ(early.test.Phase(), EPhase::Hold);
}

TEST(GripTest, TheHoldRunsFromReachingHalfThePeakUntilADropAndThirtySecondsAtMost)
{
    TScript s;
    s.ThroughThePace({false, false, false});
    ASSERT_EQ(s.test.Phase(), EPhase::Hold);
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
    capped.test.Advance(from + 29999);
    EXPECT_EQ(capped.test.Phase(), EPhase::Hold);
    capped.test.Advance(from + 45000);
    EXPECT_TRUE(capped.test.Done());
    EXPECT_DOUBLE_EQ(capped.test.HoldSeconds(), 30);
    EXPECT_EQ(capped.test.EndedMs(), from + 30000);
}

TEST(GripTest, ItsRecordLineReadsBackAsATestWithItsFigures)
{
    TScript s;
    s.ThroughThePace({true, true, true, true, false, false, false});
    const std::int64_t from = s.now + TGripTest::HoldLeadMs;
    s.test.Feed(from, 150);
    s.test.Feed(from + 8460, 40);
    ASSERT_TRUE(s.test.Done());
    const QDateTime started(QDate(2025, 3, 10), QTime(9, 0), Qt::OffsetFromUTC, 3600);
    const std::optional<TGameRecord> r = ParseRecordLine(RecordLine(GripTestRecord(s.test, started, "GR-0042", "Ann", 160)));
    ASSERT_TRUE(r);
    EXPECT_EQ(r->Mode, "test");
    EXPECT_EQ(r->Song, "grip test");
    EXPECT_EQ(r->Name, "Ann");
    EXPECT_EQ(r->Input, "GR-0042");
    EXPECT_EQ(r->PeakForce, 200);
    EXPECT_EQ(r->TestPacePerMinute, 35.0);
    ASSERT_TRUE(r->TestHoldSeconds);
    EXPECT_NEAR(*r->TestHoldSeconds, 8.5, 0.051);
    EXPECT_EQ(r->Balls, 7);
    EXPECT_EQ(r->BallsHit, 4);
    EXPECT_FALSE(r->TimingMeanMs);
}
