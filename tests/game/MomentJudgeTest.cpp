#include "GameFixture.h"
#include "support/GameHarness.h"

#include "core/GameCore.h"
#include "game/Bits.h"
#include "game/Displays.h"
#include "game/GripGame.h"
#include "game/MomentJudge.h"
#include "game/PipeLine.h"
#include "game/Precise.h"

#include <QSettings>

#include <gtest/gtest.h>

namespace {

constexpr std::int64_t kMs = 1000;

TEST(GripCourse, ALightGripIsOneThatStopsRisingInTheLightSteps)
{
    // A hard grip passes through steps 1 and 2 quicker than a light one settles.
    TGripCourse hard;
    for (int ms = 0; ms <= 30; ms += 10)
        hard.Take(std::min(6, 1 + ms / 5), ms * kMs);
    EXPECT_FALSE(hard.Light(30 * kMs));

    TGripCourse light;
    light.Take(1, 0);
    light.Take(2, 10 * kMs);
    EXPECT_FALSE(light.Light(29 * kMs));
    EXPECT_TRUE(light.Light(30 * kMs));
    light.Take(4, 40 * kMs);
    EXPECT_FALSE(light.Light(80 * kMs)) << "it went on to a harder grip";

    // A light tap is light as it eases, and over after that.
    TGripCourse tap;
    tap.Take(1, 0);
    tap.Take(0, 10 * kMs);
    EXPECT_TRUE(tap.Light(10 * kMs));
    EXPECT_FALSE(tap.Light(12 * kMs));
}

class TMomentJudgeTest : public TGameFixture {
protected:
    TMomentJudgeTest()
    {
        Lane.RuleMark->SetJudging(&Scoring, nullptr);
        Lane.RuleMark->LeaveColours = true;
        Scoring.SetOutput(&Output);
        Follow = Scoring.OnTiming.Subscribe([this](double ms) { Offsets.push_back(ms); });
    }

    template <typename Ball>
    Ball* Lay(double x)
    {
        auto* ball = new Ball(Stage.Layer(SlotLayerThree));
        ball->SetPosition(x, 122);
        ball->Ordinal = int(Lane.Balls.size()) + 1;
        Lane.Balls.push_back(ball);
        return ball;
    }

    TMarker Marker;
    TCombo Combo;
    TPercentag Percentage;
    TScoring Scoring{0, Marker, Combo, Percentage};
    TPipeLineOne Lane{Settings};
    TMomentJudge Judge{Lane};
    TGripCourse Grip;
    std::vector<double> Offsets;
    TSubscription Follow;
};

TEST_F(TMomentJudgeTest, EachBallIsJudgedOnceByWhatItsColourAsks)
{
    TPrize* red = Lay<TRedBall>(270);
    TPrize* chain = Lay<TChainBall>(271);
    Judge.Reset();
    Grip.Take(3, 0);
    Judge.Meet(Grip, 0, 0.1);
    EXPECT_EQ(Marker.Hits, 0) << "a red ball wants step 5";
    Grip.Take(5, kMs);
    Judge.Meet(Grip, kMs, 0.1);
    Grip.Take(6, 2 * kMs);
    Judge.Meet(Grip, 2 * kMs, 0.1);
    EXPECT_EQ(Marker.Hits, 1);
    EXPECT_TRUE(red->Fading);
    ASSERT_EQ(Offsets.size(), 1u);
    EXPECT_DOUBLE_EQ(Offsets[0], -50.0) << "5 pixels before the mark at 0.1 pixels a millisecond";
    EXPECT_FALSE(chain->Judged) << "chains stay with the frames";

    // A yellow ball that a hard grip passed over leaves the window a miss, logged once.
    Grip.Take(0, 3 * kMs);
    TPrize* yellow = Lay<TYellowBall>(280);
    Judge.Meet(Grip, 3 * kMs, 0.1);
    for (int i = 1; i <= 3; ++i)
        Grip.Take(i * 2, (3 + i) * kMs), Judge.Meet(Grip, (3 + i) * kMs, 0.1);
    yellow->X = 286;
    Judge.Moved(Grip, 10 * kMs, 0.1);
    Judge.Moved(Grip, 11 * kMs, 0.1);
    EXPECT_TRUE(yellow->Judged);
    EXPECT_FALSE(yellow->Fading);
    EXPECT_EQ(Marker.Hits, 1);
    EXPECT_EQ(Output.MemoLines, (QStringList{"Value :1", "Value :1"}));
    EXPECT_EQ(Combo.Count(), 0);
}

// A grip that comes between two frames: judged at once with precise timing, on the next frame
// without it.
TEST(PreciseTiming, AGripBetweenFramesIsJudgedAtItsOwnTime)
{
    for (bool precise : {false, true}) {
        SCOPED_TRACE(precise ? "precise" : "on the frames");
        TGameHarness h;
        h.Core().SetPreciseTiming(precise);
        h.SetOnlyBlue(true);
        h.SetEasyMode(true);
        h.PressStart();
        // Player two's lane would bring its own ball to the mark with the same grip.
        h.Game()->PlayerTwo->Lane->LayOut(TBits());
        TPrize* ball = nullptr;
        for (TPrize* b : h.Game()->PlayerOne->Lane->Balls)
            if (!ball && dynamic_cast<TBlueBall*>(b))
                ball = b;
        ASSERT_NE(ball, nullptr);
        std::vector<double> offsets;
        TSubscription follow =
            h.Game()->PlayerOne->Scoring->OnTiming.Subscribe([&](double ms) { offsets.push_back(ms); });
        while (ball->X <= 266 && h.Now() < 60'000)
            h.Step();
        ASSERT_LT(h.Now(), 60'000);
        // Halfway between two frames, and the ball still inside the window on the next one.
        h.AlignFrames(50);
        const std::int64_t gripAt = h.Now();
        const int toFrame = h.MsToNextFrame();
        const double x = ball->X;
        const std::int32_t position = h.LastSongPosition();
        h.SetForce(15);
        while (h.Hits() == 0 && h.Now() < gripAt + 200)
            h.Step();
        EXPECT_EQ(h.Now() - gripAt, precise ? 1 : toFrame);
        EXPECT_EQ(h.HitSounds(), 1);
        h.RunMs(200);
        if (!precise)
            continue;
        EXPECT_EQ(h.Hits(), 1) << "judged once";
        ASSERT_EQ(offsets.size(), 1u);
        const double pace = (h.LastSongPosition() - position) / double(h.Now() - gripAt);
        EXPECT_NEAR(offsets[0], (x - 275) / pace, 3.0);
        EXPECT_TRUE(QSettings(h.UserFolder() + "/config/griprhythm/griprhythm.conf", QSettings::IniFormat)
                        .value("play/precise_timing")
                        .toBool());
    }
}

} // namespace
