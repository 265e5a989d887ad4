#include "support/GameHarness.h"

#include "game/GripGame.h"
#include "game/Registries.h"
#include "shell/ScreenForm.h"
#include "sprites/DXImageList.h"
#include "sprites/DXSprite.h"
#include "sprites/DXDraws.h"

#include <QImage>

#include <algorithm>

#include <gtest/gtest.h>

namespace {

// The program itself, started on the build's pictures: start-up loads all six files without a
// message, and after Start the frames show the balls on both lanes over the art.
TEST(ArtInGame, TheProgramStartsOnTheBuildsPicturesAndDrawsThePlay)
{
    TGameHarness h;
    ASSERT_TRUE(h.RealArt()) << "the build's picture files are missing";
    EXPECT_TRUE(h.Messages().isEmpty()) << h.Messages().join("; ").toStdString();
    ASSERT_NE(h.Game(), nullptr);
    h.Frame();
    const QImage before = h.Screen().DXDraw->Surface().Image().copy();
    h.SetForce(17);
    h.PressStart();
    h.AlignFrames(50);
    TPrize* first = h.Game()->PlayerOne->Lane->Balls.at(0);
    while (!first->Judged && h.Now() < 60'000)
        h.Step();
    ASSERT_TRUE(first->Judged);
    h.Frame();
    const QImage during = h.Screen().DXDraw->Surface().Image().copy();
    EXPECT_TRUE(during.save(QStringLiteral("art-game.png")));
    // The lanes changed where the balls run: both lanes' strips differ from the picture before Start.
    for (int laneLine : {135, 305}) {
        int changed = 0;
        for (int x = 40; x < 430; ++x)
            changed += during.pixel(x, laneLine) != before.pixel(x, laneLine);
        EXPECT_GT(changed, 20) << "no balls drawn on the lane at y " << laneLine;
    }
}

// Every sprite the game itself creates, balls of a layout included, finds the patterns its
// frames step through and takes its size from its image.
TEST(ArtInGame, EverySpriteTheGameCreatesHasThePatternsItsFramesStepThrough)
{
    TGameHarness h;
    ASSERT_TRUE(h.RealArt());
    h.PressStart();
    ASSERT_TRUE(h.Messages().isEmpty()) << h.Messages().join("; ").toStdString();
    int sprites = 0;
    for (int slot = 0; slot < LayerCount; ++slot) {
        TSpriteEngine* layer = LayerEngine(TLayerSlot(slot));
        for (int i = 0; i < layer->Count(); ++i) {
            auto* sprite = dynamic_cast<TImageSprite*>(layer->Items(i));
            ASSERT_NE(sprite, nullptr);
            ASSERT_NE(sprite->Image, nullptr);
            SCOPED_TRACE(sprite->Image->Name());
            const int needed = std::max(sprite->FrameCount, sprite->CurrentPattern() + 1);
            EXPECT_GE(sprite->Image->PatternCount(), needed);
            EXPECT_EQ(sprite->Width, sprite->Image->EffectiveWidth());
            EXPECT_EQ(sprite->Height, sprite->Image->EffectiveHeight());
            ++sprites;
        }
    }
    // Both halves, the effects and a lane's worth of balls on each lane.
    EXPECT_GT(sprites, 70 + 2 * int(h.Game()->PlayerOne->Lane->Balls.size()) - 10);
}

} // namespace
