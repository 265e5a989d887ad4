#include "sprites/DXSprite.h"
#include "sprites/SpriteStage.h"

#include <gtest/gtest.h>

#include <memory>

namespace {

struct Animation {
    int count;
    bool loop;
    double pos;
    double speed;
};

std::unique_ptr<TImageSprite> Animated(const Animation& a)
{
    auto s = std::make_unique<TImageSprite>(nullptr);
    s->FrameCount = a.count;
    s->FrameLoop = a.loop;
    s->FramePos = a.pos;
    s->FrameSpeed = a.speed;
    return s;
}

} // namespace

TEST(ImageSpriteAnimation, OneShotStopsOnItsLastFrameWithSpeedCleared)
{
    TSpriteEngine engine;
    auto* s = new TImageSprite(&engine);
    s->FrameCount = 3;
    s->FrameSpeed = 1;
    engine.Move(1);
    engine.Move(1);
    EXPECT_DOUBLE_EQ(s->FramePos, 2);
    EXPECT_DOUBLE_EQ(s->FrameSpeed, 1);
    engine.Move(1);
    EXPECT_DOUBLE_EQ(s->FramePos, 2);
    EXPECT_DOUBLE_EQ(s->FrameSpeed, 0);
    engine.Move(5);
    EXPECT_DOUBLE_EQ(s->FramePos, 2);

    // Running backwards below 0 clamps at 0, also with a speed that jumps past the end.
    s->FramePos = 0.5;
    s->FrameSpeed = -1;
    s->MoveSelf(1);
    EXPECT_DOUBLE_EQ(s->FramePos, 0);
    EXPECT_DOUBLE_EQ(s->FrameSpeed, 0);
    s->FrameSpeed = 7;
    s->MoveSelf(1);
    EXPECT_DOUBLE_EQ(s->FramePos, 2);
}

TEST(ImageSpriteAnimation, LoopWrapsBothWaysAsAPositiveRemainder)
{
    TSpriteEngine engine;
    auto* s = new TImageSprite(&engine);
    s->FrameCount = 6;
    s->FrameLoop = true;
    s->FramePos = 5.5;
    s->FrameSpeed = 1;
    s->MoveSelf(1);
    EXPECT_DOUBLE_EQ(s->FramePos, 0.5);
    s->FrameSpeed = -1;
    s->MoveSelf(1);
    EXPECT_DOUBLE_EQ(s->FramePos, 5.5);
    s->FramePos = 0;
    s->FrameSpeed = 2.5;
    s->MoveSelf(5); // 12.5 frames
    EXPECT_DOUBLE_EQ(s->FramePos, 0.5);
    s->FrameSpeed = -1;
    s->MoveSelf(13); // 0.5 - 13
    EXPECT_DOUBLE_EQ(s->FramePos, 5.5);
    EXPECT_EQ(s->CurrentPattern(), 5);
}

TEST(ImageSpriteAnimation, MoveZeroKeepsPositionsInRangeButStillWrapsOrClampsOthers)
{
    auto zeroLoop = Animated({0, true, 3.5, 1});
    zeroLoop->MoveSelf(1);
    EXPECT_DOUBLE_EQ(zeroLoop->FramePos, 0) << "looping without frames stays on 0";

    auto inRange = Animated({10, false, 7, 1});
    inRange->MoveSelf(0);
    EXPECT_DOUBLE_EQ(inRange->FramePos, 7);
    EXPECT_DOUBLE_EQ(inRange->FrameSpeed, 1);

    auto beyond = Animated({10, false, 12, 0});
    beyond->MoveSelf(0);
    EXPECT_DOUBLE_EQ(beyond->FramePos, 9);

    auto loopBeyond = Animated({6, true, 13, 0});
    loopBeyond->MoveSelf(0);
    EXPECT_DOUBLE_EQ(loopBeyond->FramePos, 1);

    // A still picture without frames: any position is pulled back to 0.
    auto still = Animated({0, false, 4, 0});
    still->MoveSelf(0);
    EXPECT_DOUBLE_EQ(still->FramePos, 0);
}

TEST(ImageSpriteDrawing, DrawsTheCurrentPatternCentredInItsBox)
{
    stage::TStage stage;
    TSpriteEngine* layer = stage.Layer(SlotLayerThree);
    auto* s = new TImageSprite(layer);
    s->Image = stage.Image(SlotImgAnimation, "tomoto"); // 20 x 20, nine patterns
    s->Width = 30;
    s->Height = 25;
    s->X = 100;
    s->Y = 50;
    s->FramePos = 4.9;
    EXPECT_EQ(s->ImageRect(), (TRect{105, 52, 135, 77}));
    stage.Surface().Fill(0);
    stage.Layers[SlotLayerThree]->Draw();
    const std::uint32_t four = stage.Pixel(SlotImgAnimation, "tomoto", 4);
    EXPECT_EQ(stage.Surface().Pixel(105, 52), four);
    EXPECT_EQ(stage.Surface().Pixel(124, 71), four);
    EXPECT_EQ(stage.Surface().Pixel(125, 52), 0u);
    EXPECT_EQ(stage.Surface().Pixel(104, 52), 0u);
    EXPECT_EQ(stage.Surface().Pixel(105, 51), 0u);

    // A pattern the image does not have draws nothing, and nor does a hidden sprite.
    stage.Surface().Fill(0);
    s->FramePos = 9;
    stage.Layers[SlotLayerThree]->Draw();
    EXPECT_EQ(stage.Surface().Pixel(110, 60), 0u);
    s->FramePos = 0;
    s->Visible = false;
    stage.Layers[SlotLayerThree]->Draw();
    EXPECT_EQ(stage.Surface().Pixel(110, 60), 0u);
}

TEST(ImageSpriteDrawing, LaterLayersAndHigherZCoverEarlierOnes)
{
    stage::TStage stage;
    auto place = [&](TLayerSlot slot, const char* name, int z) {
        auto* s = new TImageSprite(stage.Layer(slot));
        s->Image = stage.Image(SlotImgBalls, name);
        s->Width = 16;
        s->Height = 16;
        s->X = 10;
        s->Y = 10;
        s->SetZ(z);
        return s;
    };
    place(SlotLayerThree, "blue", 10);
    place(SlotLayerThree, "stool", 0);
    place(SlotLayerThree, "unbroken", 10); // equal Z, created later: beneath blue
    stage.Surface().Fill(0);
    MoveAndDrawSpriteLayers();
    EXPECT_EQ(stage.Surface().Pixel(12, 12), stage.Pixel(SlotImgBalls, "blue", 0));

    place(SlotLayerTwo, "red", 100); // a lower layer loses whatever its Z
    place(SlotLayerFour, "yellow", -100);
    stage.Surface().Fill(0);
    MoveAndDrawSpriteLayers();
    EXPECT_EQ(stage.Surface().Pixel(12, 12), stage.Pixel(SlotImgBalls, "yellow", 0));
}

TEST(ImageSpriteDrawing, FrameMovesOnlyLayerThreeAndWithACountOfZero)
{
    stage::TStage stage;
    std::array<TImageSprite*, LayerCount> sprites{};
    for (int slot = 0; slot < LayerCount; ++slot) {
        auto* s = new TImageSprite(stage.Layer(TLayerSlot(slot)));
        s->FrameCount = 6;
        s->FrameLoop = true;
        s->FrameSpeed = 1;
        s->FramePos = 8; // out of range, so a move shows up as a wrap
        sprites[size_t(slot)] = s;
    }
    MoveAndDrawSpriteLayers();
    for (int slot = 0; slot < LayerCount; ++slot)
        EXPECT_DOUBLE_EQ(sprites[size_t(slot)]->FramePos, slot == SlotLayerThree ? 2 : 8) << "slot " << slot;

    // Without a registered layer Three the frame still draws the rest.
    SpriteLayers[SlotLayerThree] = nullptr;
    EXPECT_NO_THROW(MoveAndDrawSpriteLayers());
    EXPECT_THROW(LayerEngine(SlotLayerThree), Exception);
}
