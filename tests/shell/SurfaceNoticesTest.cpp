#include "shell/SurfaceNotices.h"

#include <QImage>

#include <gtest/gtest.h>

namespace {
QImage Background()
{
    QImage image(457, 385, QImage::Format_RGB32);
    image.fill(qRgb(40, 90, 60));
    return image;
}

QImage DrawnBy(const TSurfaceNotices& notices)
{
    QImage image = Background();
    notices.Draw(image);
    return image;
}
}

// The box is laid out once and kept between frames; whatever changes its texts or its place
// must show on the next frame as if it had been drawn from scratch.
TEST(SurfaceNotices, AChangedTextOrAreaIsDrawnAsAFreshBoxWould)
{
    TSurfaceNotices kept;
    kept.Show("keys", "Hold J, K or L.");
    const QImage first = DrawnBy(kept);
    EXPECT_NE(first, Background());
    EXPECT_EQ(DrawnBy(kept), first);

    kept.Show("keys", "A longer text that takes two lines of the box to say what it says.");
    TSurfaceNotices fresh;
    fresh.Show("keys", "A longer text that takes two lines of the box to say what it says.");
    EXPECT_NE(DrawnBy(kept), first);
    EXPECT_EQ(DrawnBy(kept), DrawnBy(fresh));

    kept.Area.moveTo(238, 20);
    fresh.Area.moveTo(238, 20);
    EXPECT_EQ(DrawnBy(kept), DrawnBy(fresh));
    EXPECT_EQ(DrawnBy(kept).pixel(40, 190), Background().pixel(40, 190));
    // A box that reaches past the picture's corner is cut there.
    kept.Area.moveTo(400, 370);
    fresh.Area.moveTo(400, 370);
    EXPECT_EQ(DrawnBy(kept), DrawnBy(fresh));
    EXPECT_NE(DrawnBy(kept).pixel(420, 380), Background().pixel(420, 380));

    // One low on the picture is lifted to end on it, so that no line is lost.
    kept.Area.moveTo(38, 370);
    DrawnBy(kept);
    EXPECT_EQ(kept.Bounds().bottom(), 384);
    EXPECT_LT(kept.Bounds().top(), 370);

    kept.Hide("keys");
    EXPECT_EQ(DrawnBy(kept), Background());
}
