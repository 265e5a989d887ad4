#include "support/GameHarness.h"

#include "game/GripGame.h"
#include "game/StressValue.h"
#include "shell/Datas.h"
#include "shell/ScreenForm.h"
#include "shell/SurfaceNotices.h"
#include "sprites/DXDraws.h"

#include <gtest/gtest.h>

TEST(BallNotices, ABallPulledOutMidSongPausesUntilResumeAndTheSurfaceSaysSo)
{
    TGameHarness h;
    h.Frame();
    // With the ball there nothing is said.
    EXPECT_TRUE(h.Screen().Notices.Empty());
    h.PressStart();
    h.RunMs(2000);
    const std::int32_t position = h.LastSongPosition();
    ASSERT_GT(position, 0);

    h.Bus().Unplug(h.Ball());
    EXPECT_FALSE(h.Playing());
    EXPECT_FALSE(h.Game()->PlayerOne->Figures->Figure->Timer().isActive());
    h.RunMs(500);
    EXPECT_EQ(h.LastSongPosition(), position);
    EXPECT_EQ(h.Screen().Notices.Text("unplugged"),
              "Player 1's ball was unplugged: the game is paused. Plug it back in, then press Resume.");
    EXPECT_FALSE(h.Screen().Notices.Text("keys").isEmpty());

    // Plugged back in: the ball is player one's again, and the game waits for Resume.
    h.Bus().PlugGripBall();
    h.RunMs(200);
    ASSERT_NE(h.Game()->PlayerOneStress()->Device, nullptr);
    EXPECT_FALSE(h.Playing());
    EXPECT_EQ(h.Screen().Notices.Texts(), QStringList{"Player 1's ball is back: press Resume to go on."});
    h.PressResume();
    h.RunMs(500);
    EXPECT_TRUE(h.Playing());
    EXPECT_GT(h.LastSongPosition(), position);
    EXPECT_TRUE(h.Screen().Notices.Empty());

    // Pulled out while the song stands still, it pauses nothing and nothing waits for Resume.
    h.PressPause();
    h.Bus().Unplug(h.Bus().Devices().back());
    h.RunMs(200);
    EXPECT_EQ(h.Game()->PausedForBall(), -1);
    EXPECT_TRUE(h.Screen().Notices.Text("unplugged").isEmpty());
}

TEST(BallNotices, NoticesAreDrawnOverTheGameInTheirAreaOnly)
{
    TGameHarness::TOptions options;
    options.PlugBall = false;
    TGameHarness h(options);
    h.Frame();
    const QImage withHint = h.Screen().DXDraw->PresentedImage();
    // Time stands still: between the two frames only the ball's coming changes anything.
    h.Bus().PlugGripBall();
    h.Frame();
    const QImage without = h.Screen().DXDraw->PresentedImage();
    ASSERT_EQ(withHint.size(), without.size());
    const QRect area = h.Screen().Notices.Area;
    int inside = 0, outside = 0;
    for (int y = 0; y < withHint.height(); ++y)
        for (int x = 0; x < withHint.width(); ++x)
            if (withHint.pixel(x, y) != without.pixel(x, y))
                ++(area.contains(x, y) ? inside : outside);
    EXPECT_GT(inside, 500);
    EXPECT_EQ(outside, 0);
}
