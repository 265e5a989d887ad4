#include "support/GameHarness.h"

#include "game/GripGame.h"
#include "shell/ScreenForm.h"
#include "sprites/DXDraws.h"

#include <QImage>

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

} // namespace
