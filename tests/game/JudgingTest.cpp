#include "GameFixture.h"

#include "game/Displays.h"
#include "game/GripGame.h"
#include "game/PipeLine.h"
#include "game/Precise.h"
#include "game/Scoring.h"
#include "game/StressValue.h"
#include "hid/HidDeviceController.h"
#include "hid/simulated/HidSimulatedBus.h"

#include <functional>

namespace {

// Player one's displays, scoring, stress value and effects, and a lane whose mark credits them.
class TJudgingTest : public TGameFixture {
protected:
    TJudgingTest()
    {
        Marker.PlaceFor(0);
        Combo.PlaceFor(0);
        Percentage.PlaceFor(0);
        Scoring.SetEffects(&Explode, &Ok);
        Scoring.SetOutput(&Output);
        Lane.RuleMark->SetJudging(&Scoring, &Stress);
    }

    template <typename Ball>
    Ball* BallAt(double x, double y = 122)
    {
        auto* ball = new Ball(Stage.Layer(SlotLayerThree));
        ball->SetPosition(x, y);
        ball->Ordinal = 1;
        Owned.emplace_back(ball);
        return ball;
    }

    // One frame's judging: layer Three moved with a move count of 0.
    void Frame() { Stage.Layer(SlotLayerThree)->Move(0); }

    QStringList MemoLines() const { return Output.MemoLines; }

    TStressValueOne Stress;
    TMarker Marker;
    TCombo Combo;
    TPercentag Percentage;
    TScoring Scoring{0, Marker, Combo, Percentage};
    TExplode Explode{Stage.Layer(SlotLayerSeven)};
    TOk Ok{Stage.Layer(SlotLayerSeven)};
    TPipeLineOne Lane{Settings};
    std::vector<std::unique_ptr<TPrize>> Owned;
};

} // namespace

TEST_F(TJudgingTest, WindowEdgesAreStrict)
{
    Stress.SetLevel(3);
    auto* right = BallAt<TBlueBall>(285);
    auto* left = BallAt<TBlueBall>(265);
    Frame();
    EXPECT_FALSE(right->Judged);
    EXPECT_FALSE(left->Judged);
    EXPECT_EQ(Marker.Hits, 0);
    EXPECT_TRUE(MemoLines().isEmpty());

    right->X = 284.5;
    Frame();
    EXPECT_TRUE(right->Judged);
    EXPECT_EQ(Marker.Hits, 1);
    EXPECT_EQ(MemoLines(), QStringList{"Value :1"});
}

TEST_F(TJudgingTest, EachBallClassAgainstEachLevel)
{
    struct TCase {
        const char* name;
        std::function<TPrize*()> make;
        std::vector<int> hitLevels;
    };
    const std::vector<TCase> cases = {
        {"blue", [this] { return BallAt<TBlueBall>(275); }, {1, 2, 3, 4, 5, 6}},
        {"yellow", [this] { return BallAt<TYellowBall>(275); }, {1, 2}},
        {"red", [this] { return BallAt<TRedBall>(275); }, {5, 6}},
        {"chain", [this] { return BallAt<TChainBall>(275); }, {}},
        {"stool", [this] { return BallAt<TFeces>(275); }, {}},
    };
    for (const TCase& c : cases) {
        for (int level = 0; level <= 6; ++level) {
            TPrize* ball = c.make();
            Stress.SetLevel(level);
            Combo.SetCount(4);
            const int hits = Marker.Hits;
            const int sounds = HitSounds;
            Frame();
            const bool expected = std::find(c.hitLevels.begin(), c.hitLevels.end(), level) != c.hitLevels.end();
            EXPECT_EQ(Marker.Hits - hits, expected ? 1 : 0) << c.name << " level " << level;
            EXPECT_EQ(Combo.Count(), expected ? 5 : 0) << c.name << " level " << level;
            EXPECT_EQ(ball->Fading, expected) << c.name << " level " << level;
            EXPECT_EQ(HitSounds - sounds, expected ? 1 : 0) << c.name << " level " << level;
            EXPECT_TRUE(ball->Judged);
            ball->Visible = false;  // out of the next round's way
        }
    }
    EXPECT_EQ(MemoLines().size(), 35);
}

TEST_F(TJudgingTest, MissResetsComboButStillLogsThePercentage)
{
    Stress.SetLevel(3);
    BallAt<TYellowBall>(275);
    Combo.SetCount(5);
    Frame();
    EXPECT_EQ(Combo.Count(), 0);
    EXPECT_FALSE(Combo.Title->Visible);
    EXPECT_TRUE(Combo.Value->Tens->Visible);  // the digits stay up showing 0 0
    EXPECT_EQ(MemoLines(), QStringList{"Value :0"});
    EXPECT_FALSE(Explode.Visible);
}

TEST_F(TJudgingTest, HitBallInTheWindowIsCreditedOnEveryFrame)
{
    Stress.SetLevel(2);
    auto* ball = BallAt<TBlueBall>(280);
    for (int i = 0; i < 3; ++i)
        Frame();
    EXPECT_EQ(Marker.Score, 150);
    EXPECT_EQ(Marker.Hits, 3);
    EXPECT_EQ(Combo.Count(), 3);
    EXPECT_EQ(MemoLines(), (QStringList{"Value :1", "Value :2", "Value :3"}));
    EXPECT_TRUE(ball->Fading);
    EXPECT_TRUE(Explode.Visible);
    EXPECT_TRUE(Ok.Visible);
    EXPECT_EQ(Explode.X, 270);
    EXPECT_EQ(Ok.Y, 130);
    EXPECT_EQ(HitSounds, 3);
}

TEST_F(TJudgingTest, HiddenBallsAndOtherSpritesAreIgnored)
{
    Stress.SetLevel(6);
    auto* ball = BallAt<TBlueBall>(275);
    ball->Visible = false;
    Frame();
    EXPECT_FALSE(ball->Judged);
    EXPECT_EQ(Marker.Hits, 0);
    EXPECT_TRUE(MemoLines().isEmpty());
}

TEST_F(TJudgingTest, PercentageDividesByTheOrdinalFromOneHundredOnRoundingHalvesToEven)
{
    Stress.SetLevel(1);
    auto* ball = BallAt<TBlueBall>(275);
    ball->Ordinal = 200;
    Marker.Hits = 149;
    Frame();
    EXPECT_EQ(MemoLines().last(), "Value :75");
    EXPECT_EQ(Percentage.Tens->Value, 7);
    EXPECT_EQ(Percentage.Ones->Value, 5);

    Stress.SetLevel(0);
    Marker.Hits = 5;  // 2.5 goes down to 2
    Frame();
    EXPECT_EQ(MemoLines().last(), "Value :2");
    Marker.Hits = 7;  // 3.5 goes up to 4
    Frame();
    EXPECT_EQ(MemoLines().last(), "Value :4");
}

TEST_F(TJudgingTest, PlayerTwosLaneCreditsPlayerOne)
{
    TGripGame game(nullptr, Settings, &Output);
    game.CreateEffects();
    game.PlayerOneStress()->SetLevel(4);
    BallAt<TBlueBall>(276, 292);  // in player two's window only
    Frame();
    EXPECT_EQ(game.PlayerOneMarker()->Hits, 1);
    EXPECT_EQ(game.PlayerOneCombo()->Count(), 1);
    EXPECT_EQ(game.PlayerTwo->Marker->Hits, 0);
    EXPECT_EQ(game.PlayerTwo->Combo->Count(), 0);
    EXPECT_TRUE(game.Explode()->Visible);
    EXPECT_EQ(game.Explode()->X, 270);
    EXPECT_EQ(game.Explode()->Y, 110);
    EXPECT_EQ(game.Ok()->Y, 130);
    EXPECT_EQ(MemoLines(), QStringList{"Value :1"});
}

TEST_F(TJudgingTest, WithABallOfItsOwnPlayerTwosLaneCreditsPlayerTwoUntilTheBallGoes)
{
    auto bus = std::make_shared<THidSimulatedBus>();
    auto ball = bus->PlugGripBall();
    TJvHidDeviceController controller(nullptr, bus);
    TJvHidDevice* device = nullptr;
    ASSERT_TRUE(controller.CheckOutByIndex(device, 0));
    Settings.EasyMode = true;
    TGripGame game(nullptr, Settings, &Output);
    game.CreateEffects();
    game.PlayerTwoStress()->Device = device;
    ball->QueueInput({0, 20});
    game.PollGrip();
    ASSERT_TRUE(game.PlayerTwoPlays());
    EXPECT_EQ(game.PlayerTwoStress()->Level, 4);
    EXPECT_EQ(game.PlayerOneStress()->Level, 0);
    EXPECT_EQ(game.PlayerTwoStress()->Marks[3]->Visible, true);
    EXPECT_EQ(game.PlayerTwoStress()->Marks[4]->Visible, false);
    EXPECT_TRUE(game.PlayerTwo->Marker->Digits[0]->Visible);
    EXPECT_EQ(game.PlayerTwo->Marker->Digits[0]->Y, 180);

    // Judged against player two's level, though player one's is 0, and credited to player two.
    BallAt<TBlueBall>(276, 292);
    Frame();
    EXPECT_EQ(game.PlayerTwo->Marker->Hits, 1);
    EXPECT_EQ(game.PlayerTwo->Combo->Count(), 1);
    EXPECT_EQ(game.PlayerOneMarker()->Hits, 0);
    ASSERT_NE(game.PlayerTwoExplode(), nullptr);
    EXPECT_TRUE(game.PlayerTwoExplode()->Visible);
    EXPECT_EQ(game.PlayerTwoExplode()->Y, 283);
    EXPECT_FALSE(game.Explode()->Visible);

    // The ball goes: player two's lane is player one's again, its results hidden, its marks as
    // they were made.
    game.PlayerTwoStress()->Device = nullptr;
    game.PlayerOneStress()->SetLevel(3);
    game.PollGrip();
    EXPECT_FALSE(game.PlayerTwoPlays());
    EXPECT_FALSE(game.PlayerTwo->Marker->Digits[0]->Visible);
    EXPECT_TRUE(game.PlayerTwoStress()->Marks[5]->Visible);
    EXPECT_FALSE(game.PlayerTwoStress()->Easy);
    Frame();
    EXPECT_EQ(game.PlayerOneMarker()->Hits, 1);
    EXPECT_EQ(game.PlayerTwo->Marker->Hits, 1);
    controller.CheckIn(device);
}

TEST_F(TJudgingTest, HitSoundPlaysWithoutAnAudioDevice)
{
    // The real player: whatever the machine has, a hit neither fails nor waits.
    SetHitSound(nullptr);
    Stress.SetLevel(2);
    BallAt<TBlueBall>(275);
    Frame();
    Frame();
    EXPECT_EQ(Marker.Hits, 2);
}
