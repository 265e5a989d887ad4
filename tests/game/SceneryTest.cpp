#include "game/Acrobatics.h"
#include "game/GameRandom.h"
#include "game/Precise.h"
#include "game/Scenery.h"
#include "sprites/SpriteStage.h"

#include <gtest/gtest.h>

#include <vector>

namespace {

std::vector<int> Paces(const TAcrobatics& a)
{
    std::vector<int> paces;
    for (const TWebbitToy* toy : a.Toys)
        paces.push_back(toy->Timer().interval() / 100);
    return paces;
}

bool AnyRunning(const TAcrobatics& a)
{
    bool running = a.Figure->Timer().isActive();
    for (const TWebbitToy* toy : a.Toys)
        running = running || toy->Timer().isActive();
    return running;
}

} // namespace

TEST(Acrobatics, ToyPacesAreTheSameOnEveryRun)
{
    stage::TStage stage;
    GameRandom().SetState(0); // as at program start
    TAcrobaticsOne one;
    TAcrobaticsTwo two;
    EXPECT_EQ(Paces(one), (std::vector<int>{1, 2, 5}));
    EXPECT_EQ(Paces(two), (std::vector<int>{2, 3, 5}));
    EXPECT_FALSE(AnyRunning(one)) << "figure and toys stand still until Start";
    EXPECT_FALSE(AnyRunning(two));
    EXPECT_TRUE(one.Scenery->Timer().isActive()) << "player one's scenery runs from creation";
    EXPECT_EQ(one.Scenery->Timer().interval(), 400);
    EXPECT_FALSE(two.Scenery->Timer().isActive());
    EXPECT_EQ(one.Figure->Timer().interval(), 400);
}

TEST(Acrobatics, PlacesLayersAndImages)
{
    stage::TStage stage;
    TAcrobaticsOne one;
    TAcrobaticsTwo two;
    EXPECT_DOUBLE_EQ(one.Figure->X, 30);
    EXPECT_DOUBLE_EQ(one.Figure->Y, -3);
    EXPECT_DOUBLE_EQ(two.Figure->Y, 168);
    EXPECT_EQ(one.Figure->Image, stage.Image(SlotImgAnimation, "jump1p"));
    EXPECT_EQ(two.Figure->Image, stage.Image(SlotImgAnimation, "jump2p"));
    EXPECT_EQ(one.Figure->FrameCount, 6);
    EXPECT_TRUE(one.Figure->FrameLoop);
    const double x1[] = {115, 135, 205}, y1[] = {0, -20, 0}, y2[] = {170, 155, 170};
    for (size_t i = 0; i < 3; ++i) {
        EXPECT_DOUBLE_EQ(one.Toys[i]->X, x1[i]);
        EXPECT_DOUBLE_EQ(one.Toys[i]->Y, y1[i]);
        EXPECT_DOUBLE_EQ(two.Toys[i]->X, x1[i]);
        EXPECT_DOUBLE_EQ(two.Toys[i]->Y, y2[i]);
        EXPECT_EQ(one.Toys[i]->Engine(), stage.Layer(SlotLayerThree));
    }
    EXPECT_DOUBLE_EQ(two.Scenery->X, 33);
    EXPECT_DOUBLE_EQ(two.Scenery->Y, 178);
    EXPECT_EQ(one.Scenery->Engine(), stage.Layer(SlotLayerTwo));
    EXPECT_EQ(stage.Layer(SlotLayerThree)->Count(), 8);
}

TEST(Acrobatics, StartRunsEverythingStopLeavesTheSceneryAndDeletingFreesAll)
{
    stage::TStage stage;
    {
        TAcrobaticsTwo two;
        two.Start();
        EXPECT_TRUE(two.Figure->Timer().isActive());
        EXPECT_TRUE(two.Scenery->Timer().isActive());
        for (const TWebbitToy* toy : two.Toys)
            EXPECT_TRUE(toy->Timer().isActive());
        EXPECT_EQ(two.Scenery->Timer().interval(), 100);
        const std::vector<int> paces = Paces(two);
        two.Stop();
        EXPECT_FALSE(AnyRunning(two));
        EXPECT_TRUE(two.Scenery->Timer().isActive());
        EXPECT_EQ(Paces(two), paces) << "the paces survive a stop";
        two.Start();
        EXPECT_EQ(Paces(two), paces);
    }
    EXPECT_EQ(stage.Layer(SlotLayerThree)->Count(), 0);
    EXPECT_EQ(stage.Layer(SlotLayerTwo)->Count(), 0);
}

TEST(Scenery, TicksStepThroughPatternsAndWrap)
{
    stage::TStage stage;
    TWebbitToy tomoto(stage.Layer(SlotLayerThree), "tomoto");
    std::vector<int> seen;
    for (int i = 0; i < 10; ++i) {
        tomoto.TimerTick();
        seen.push_back(tomoto.CurrentPattern());
    }
    EXPECT_EQ(seen, (std::vector<int>{1, 2, 3, 4, 5, 6, 7, 8, 0, 1}));
    TWebbitToy unknown(stage.Layer(SlotLayerThree), "Cube"); // case matters for the count
    EXPECT_EQ(unknown.FrameCount, 0);
    unknown.TimerTick();
    EXPECT_EQ(unknown.CurrentPattern(), 0);

    TBackSceneryOne back(stage.Layer(SlotLayerTwo));
    seen.clear();
    for (int i = 0; i < 4; ++i) {
        back.TimerTick();
        seen.push_back(back.CurrentPattern());
    }
    EXPECT_EQ(seen, (std::vector<int>{1, 0, 1, 0}));

    TPrincipal figure(stage.Layer(SlotLayerThree), "jump1p");
    figure.Setup(30, -3);
    for (int i = 0; i < 6; ++i)
        figure.TimerTick();
    EXPECT_EQ(figure.CurrentPattern(), 0);
    figure.TimerTick();
    EXPECT_EQ(figure.CurrentPattern(), 1);
}

TEST(Gesture, ShowsThePatternOfTheLevelsThird)
{
    stage::TStage stage;
    TGesture gesture(stage.Layer(SlotLayerFive));
    EXPECT_EQ(gesture.Width, 50);
    const int expected[] = {0, 0, 0, 1, 1, 2, 2};
    for (int level = 0; level <= 6; ++level) {
        gesture.ShowLevel(level);
        EXPECT_EQ(gesture.CurrentPattern(), expected[level]) << level;
    }
    EXPECT_EQ(gesture.Image, stage.Image(SlotImgGesture, "gesture"));
    EXPECT_EQ(gesture.Width, 44) << "the new image's size";
    EXPECT_EQ(gesture.Height, 48);

    gesture.SetPosition(332, 69);
    gesture.ShowLevel(4);
    stage.Surface().Fill(0);
    MoveAndDrawSpriteLayers();
    EXPECT_EQ(stage.Surface().Pixel(333, 70), stage.Pixel(SlotImgGesture, "gesture", 1));
}

TEST(LiningGesture, GreyAtLevelZeroElseTheColumnOfTheLevel)
{
    stage::TStage stage;
    TLiningGesture lining(stage.Layer(SlotLayerFour));
    lining.ShowLevel(5);
    EXPECT_EQ(lining.Image, stage.Image(SlotImgFixed, "gesture"));
    EXPECT_EQ(lining.Column, 2);
    EXPECT_EQ(lining.CurrentPattern(), 2);
    EXPECT_EQ(lining.FrameCount, 3);

    lining.ShowLevel(0);
    EXPECT_EQ(lining.Image, stage.Image(SlotImgFixed, "gray"));
    EXPECT_EQ(lining.Column, 0);
    EXPECT_EQ(lining.CurrentPattern(), 0);
    EXPECT_EQ(lining.FrameCount, 0);
    EXPECT_EQ(lining.Width, 36);
    EXPECT_EQ(lining.Height, 38);

    lining.ShowLevel(3);
    EXPECT_EQ(lining.Column, 1);
    EXPECT_EQ(lining.Width, 40);
    lining.ShowLevel(9); // beyond the columns: pattern 0, column kept
    EXPECT_EQ(lining.Column, 1);
    EXPECT_EQ(lining.CurrentPattern(), 0);
}

TEST(Effects, ShowForTwoTicksThenHideAgain)
{
    stage::TStage stage;
    TExplode explode(stage.Layer(SlotLayerSeven));
    TOk ok(stage.Layer(SlotLayerSeven));
    EXPECT_FALSE(explode.Timer().isActive());
    EXPECT_EQ(explode.Timer().interval(), 100);
    explode.PlaceFor(0);
    explode.Show(true);
    ok.Show(true);
    EXPECT_TRUE(explode.Visible);
    EXPECT_TRUE(ok.Timer().isActive());
    EXPECT_EQ(explode.CurrentPattern(), 0);
    explode.TimerTick();
    ok.TimerTick();
    EXPECT_TRUE(explode.Visible);
    EXPECT_TRUE(ok.Visible);
    EXPECT_EQ(explode.CurrentPattern(), 1);
    explode.TimerTick();
    ok.TimerTick();
    EXPECT_FALSE(explode.Visible);
    EXPECT_FALSE(ok.Visible);
    EXPECT_FALSE(explode.Timer().isActive());
    EXPECT_EQ(explode.CurrentPattern(), 0);
    EXPECT_EQ(explode.ShowCount, 0);

    explode.SetPosition(1, 1);
    explode.PlaceFor(1);
    EXPECT_DOUBLE_EQ(explode.X, 1) << "only player one's place exists";
    ok.PlaceFor(0);
    EXPECT_DOUBLE_EQ(ok.X, 277);
    EXPECT_DOUBLE_EQ(ok.Y, 130);
}
