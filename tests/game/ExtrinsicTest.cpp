#include "game/Displays.h"
#include "game/Precise.h"
#include "game/Prizes.h"
#include "game/Rules.h"
#include "game/Scenery.h"
#include "platform/Guard.h"
#include "platform/Override.h"
#include "sprites/SpriteStage.h"

#include <gtest/gtest.h>

#include <QCoreApplication>
#include <QElapsedTimer>

#include <algorithm>
#include <functional>
#include <memory>
#include <string>

namespace {

// Runs the event loop until done() holds; the deadline only keeps a broken build from hanging,
// so a loaded machine (or a sanitizer build) slows the test down instead of failing it.
template <typename Done>
void ProcessEventsUntil(Done done, int deadlineMs = 20000)
{
    QElapsedTimer clock;
    clock.start();
    while (!done() && clock.elapsed() < deadlineMs)
        QCoreApplication::processEvents(QEventLoop::AllEvents, 5);
}

struct TCatalogueRow {
    const char* what;
    std::function<TExtrinsic*(TSpriteEngine*)> make;
    TLayerSlot layer;
    TImageStoreSlot store;
    const char* image;
    double x, y;
    int z;
    int frames;
    bool visible;
};

class TCountingActive : public TActive {
public:
    TCountingActive(TSprite* parent, int* ticks) : TActive(parent), ticks_(ticks) {}
    void TimerTick() override { ++*ticks_; }

private:
    int* ticks_;
};

class TThrowingActive : public TActive {
public:
    using TActive::TActive;
    void TimerTick() override { throw Exception("tick failed"); }
};

} // namespace

TEST(Catalogue, EveryClassTakesItsImageSizePlaceZAndFrames)
{
    stage::TStage stage;
    const std::vector<TCatalogueRow> rows = {
        {"blue", [](TSpriteEngine* l) { return new TBlueBall(l); }, SlotLayerThree, SlotImgBalls, "blue", 0, 0, 10, 0, true},
        {"yellow", [](TSpriteEngine* l) { return new TYellowBall(l); }, SlotLayerThree, SlotImgBalls, "yellow", 0, 0, 10, 0, true},
        {"red", [](TSpriteEngine* l) { return new TRedBall(l); }, SlotLayerThree, SlotImgBalls, "red", 0, 0, 10, 0, true},
        {"chain", [](TSpriteEngine* l) { return new TChainBall(l); }, SlotLayerThree, SlotImgBalls, "unbroken", 0, 0, 10, 0, true},
        {"stool", [](TSpriteEngine* l) { return new TFeces(l); }, SlotLayerThree, SlotImgBalls, "stool", 0, 0, 10, 0, true},
        {"mark", [](TSpriteEngine* l) { return new TRuleMark(l); }, SlotLayerThree, SlotImgFixed, "detect", 0, 0, 5, 1, true},
        {"rule1", [](TSpriteEngine* l) { return new TRule1P(l); }, SlotLayerThree, SlotImgFixed, "Rule1P", 275, 117, 0, 0, true},
        {"rule2", [](TSpriteEngine* l) { return new TRule2P(l); }, SlotLayerThree, SlotImgFixed, "Rule2P", 275, 290, 0, 0, true},
        {"pipe1", [](TSpriteEngine* l) { return new TBackPipeLineOne(l); }, SlotLayerTwo, SlotImgFixed, "pipeback1p", 204, 112, 0, 0, true},
        {"pipe2", [](TSpriteEngine* l) { return new TBackPipeLineTwo(l); }, SlotLayerTwo, SlotImgFixed, "pipeback2p", 204, 212, 0, 2, true},
        {"explode", [](TSpriteEngine* l) { return new TExplode(l); }, SlotLayerSeven, SlotImgEffect, "explode", 270, 110, 0, 2, false},
        {"ok", [](TSpriteEngine* l) { return new TOk(l); }, SlotLayerSeven, SlotImgContext, "ok", 277, 130, 5, 0, false},
        {"score", [](TSpriteEngine* l) { return new TScoreNum(l); }, SlotLayerThree, SlotImgContext, "score", 0, 0, 0, 10, true},
        {"comboimg", [](TSpriteEngine* l) { return new TComboImg(l); }, SlotLayerSix, SlotImgContext, "combo", 0, 0, 0, 0, true},
        {"combonum", [](TSpriteEngine* l) { return new TComboNum(l); }, SlotLayerSix, SlotImgContext, "score", 0, 0, 0, 10, true},
        {"percentnum", [](TSpriteEngine* l) { return new TPercentNum(l); }, SlotLayerThree, SlotImgContext, "qualified1", 0, 0, 0, 10, true},
        {"sign", [](TSpriteEngine* l) { return new TPercentSign(l); }, SlotLayerThree, SlotImgContext, "percentsign", 0, 0, 0, 0, true},
        {"songname", [](TSpriteEngine* l) { return new TSongName(l); }, SlotLayerFive, SlotImgContext, "songname", 45, 7, 0, 0, true},
        {"goal", [](TSpriteEngine* l) { return new TQualifiedGoal(l); }, SlotLayerFive, SlotImgContext, "qualifiedrate", 320, 7, 0, 0, true},
        {"shadeL", [](TSpriteEngine* l) { return new TSunshadeLeft(l); }, SlotLayerSix, SlotImgFixed, "sunshadeleft", 1, 106, 0, 0, true},
        {"shadeR", [](TSpriteEngine* l) { return new TSunshadeRight(l); }, SlotLayerSix, SlotImgFixed, "sunshaderight", 433, 87, 0, 0, true},
        {"meter1", [](TSpriteEngine* l) { return new TMeter1P(l); }, SlotLayerFour, SlotImgFixed, "meter1p", 340, 83, 0, 0, true},
        {"meter2", [](TSpriteEngine* l) { return new TMeter2P(l); }, SlotLayerFour, SlotImgFixed, "meter2p", 341, 255, 0, 0, true},
        {"step", [](TSpriteEngine* l) { return new TStepMark(l, 3); }, SlotLayerFive, SlotImgFixed, "stratum", 0, 0, 0, 0, true},
        {"gesture", [](TSpriteEngine* l) { return new TGesture(l); }, SlotLayerFive, SlotImgGesture, "idle", 0, 0, 0, 0, true},
        {"lining", [](TSpriteEngine* l) { return new TLiningGesture(l); }, SlotLayerFour, SlotImgFixed, "gesture", 0, 0, 0, 3, true},
        {"back1", [](TSpriteEngine* l) { return new TBackSceneryOne(l); }, SlotLayerTwo, SlotImgFixed, "Back1p", 33, 5, 0, 2, true},
        {"back2", [](TSpriteEngine* l) { return new TBackSceneryTwo(l); }, SlotLayerTwo, SlotImgFixed, "Back2P", 33, 178, 0, 0, true},
        {"principal", [](TSpriteEngine* l) { return new TPrincipal(l, "jump2p"); }, SlotLayerThree, SlotImgAnimation, "jump2p", 0, 0, 0, 0, true},
        {"cube", [](TSpriteEngine* l) { return new TWebbitToy(l, "cube"); }, SlotLayerThree, SlotImgAnimation, "cube", 0, 0, 0, 6, true},
        {"cylinder", [](TSpriteEngine* l) { return new TWebbitToy(l, "cylinder"); }, SlotLayerThree, SlotImgAnimation, "cylinder", 0, 0, 0, 6, true},
        {"tomoto", [](TSpriteEngine* l) { return new TWebbitToy(l, "tomoto"); }, SlotLayerThree, SlotImgAnimation, "tomoto", 0, 0, 0, 9, true},
    };
    for (const auto& row : rows) {
        SCOPED_TRACE(row.what);
        TExtrinsic* s = row.make(stage.Layer(row.layer));
        TPictureCollectionItem* image = stage.Image(row.store, row.image);
        EXPECT_EQ(s->Image, image);
        EXPECT_EQ(s->Width, image->EffectiveWidth());
        EXPECT_EQ(s->Height, image->EffectiveHeight());
        EXPECT_DOUBLE_EQ(s->X, row.x);
        EXPECT_DOUBLE_EQ(s->Y, row.y);
        EXPECT_EQ(s->Z(), row.z);
        EXPECT_EQ(s->FrameCount, row.frames);
        EXPECT_EQ(s->Visible, row.visible);
        delete s;
    }
}

TEST(Catalogue, RuleMarkPlacesItselfAndDrawsBetweenRuleAndBalls)
{
    stage::TStage stage;
    TSpriteEngine* three = stage.Layer(SlotLayerThree);
    auto* rule = new TRule1P(three);
    auto* mark = new TRuleMark(three);
    mark->Visible = false;
    auto* ball = new TBlueBall(three);
    ball->SetPosition(275, 117);
    mark->PlaceFor(7);
    EXPECT_DOUBLE_EQ(mark->X, 0) << "an unknown player keeps the place";
    EXPECT_TRUE(mark->Visible);
    mark->PlaceFor(1);
    EXPECT_DOUBLE_EQ(mark->Y, 290);
    mark->PlaceFor(0);
    EXPECT_DOUBLE_EQ(mark->X, 275);
    EXPECT_DOUBLE_EQ(mark->Y, 117);
    EXPECT_EQ(mark->FrameLoop, true);
    EXPECT_DOUBLE_EQ(mark->FrameSpeed, 1.0);

    stage.Surface().Fill(0);
    MoveAndDrawSpriteLayers();
    EXPECT_EQ(stage.Surface().Pixel(276, 118), stage.Pixel(SlotImgBalls, "blue", 0));
    EXPECT_EQ(stage.Surface().Pixel(276, 140), stage.Pixel(SlotImgFixed, "detect", 0)) << "mark covers the rule";
    (void)rule;
}

TEST(Catalogue, MissingImageFailsConstructionWithTheStoresMessage)
{
    std::vector<stage::TTestImage> images = stage::GameImages();
    images.erase(std::remove_if(images.begin(), images.end(),
                                [](const stage::TTestImage& i) { return i.Name == "stool"; }),
                 images.end());
    stage::TStage stage(images);
    try {
        new TFeces(stage.Layer(SlotLayerThree));
        FAIL() << "a missing image must fail";
    } catch (const Exception& e) {
        EXPECT_STREQ(e.what(), "Image 'stool' not found");
    }
}

TEST(Active, TimerStartsDisabledAtATenthAndPaceSetsAndStartsIt)
{
    stage::TStage stage;
    auto* s = new TPrincipal(stage.Layer(SlotLayerThree), "jump1p");
    EXPECT_FALSE(s->Timer().isActive());
    EXPECT_EQ(s->Timer().interval(), 100);
    s->SetPace(4);
    EXPECT_TRUE(s->Timer().isActive());
    EXPECT_EQ(s->Timer().interval(), 400);
    s->StopTimer();
    EXPECT_FALSE(s->Timer().isActive());
    s->StartTimer();
    EXPECT_TRUE(s->Timer().isActive());
    EXPECT_EQ(s->Timer().interval(), 400);
    delete s;
}

TEST(Active, TicksArriveOnTheUiThreadAndStopWithTheObject)
{
    stage::TStage stage;
    int ticks = 0;
    int ticksOfDeleted = 0;
    auto* kept = new TCountingActive(stage.Layer(SlotLayerThree), &ticks);
    auto* dropped = new TCountingActive(stage.Layer(SlotLayerThree), &ticksOfDeleted);
    kept->SetPace(1);
    dropped->SetPace(1);
    ProcessEventsUntil([&] { return ticksOfDeleted >= 1; });
    const int before = ticksOfDeleted;
    delete dropped;
    // Three more ticks of the kept sprite: the deleted one had every chance to tick meanwhile.
    const int keptBefore = ticks;
    ProcessEventsUntil([&] { return ticks >= keptBefore + 3; });
    EXPECT_GE(ticks, keptBefore + 3);
    EXPECT_EQ(ticksOfDeleted, before) << "a deleted sprite got a tick";
    EXPECT_EQ(stage.Layer(SlotLayerThree)->Count(), 1);
}

TEST(Active, DefaultTickMovesItsOwnSubtreeByOne)
{
    stage::TStage stage;
    auto* figure = new TPrincipal(stage.Layer(SlotLayerThree), "jump1p");
    figure->Setup(30, -3);
    auto* child = new TImageSprite(figure);
    child->FrameCount = 4;
    child->FrameLoop = true;
    child->FrameSpeed = 1;
    for (int i = 0; i < 7; ++i)
        figure->TimerTick();
    EXPECT_DOUBLE_EQ(figure->FramePos, 1);
    EXPECT_DOUBLE_EQ(child->FramePos, 3);
    EXPECT_DOUBLE_EQ(figure->X, 30);
    EXPECT_DOUBLE_EQ(figure->Y, -3);
}

TEST(Active, AFailingTickReachesTheApplicationHandlerAndTicksGoOn)
{
    stage::TStage stage;
    std::vector<std::string> reported;
    TOverride handler =
        OverrideApplicationExceptionHandler([&](std::exception_ptr e) { reported.push_back(ExceptionMessage(e)); });
    auto* s = new TThrowingActive(stage.Layer(SlotLayerThree));
    s->SetPace(1);
    ProcessEventsUntil([&] { return reported.size() >= 2; });
    delete s;
    handler.Restore();
    ASSERT_GE(reported.size(), 2u);
    EXPECT_EQ(reported.front(), "tick failed");
}
