#include "ArtKit.h"
#include "sprites/StrokeFont.h"

#include <gtest/gtest.h>

namespace {

TEST(ArtKit, KeyedTurnsTransparencyBlackAndKeepsShownPixelsOffBlack)
{
    QImage canvas = art::Canvas(4, 1);
    canvas.setPixel(0, 0, qPremultiply(qRgba(200, 100, 50, 255)));
    canvas.setPixel(1, 0, qPremultiply(qRgba(0, 0, 0, 255)));  // meant to show, but black
    canvas.setPixel(2, 0, qPremultiply(qRgba(250, 250, 250, 40))); // mostly transparent edge
    canvas.setPixel(3, 0, qPremultiply(qRgba(255, 0, 0, 160)));  // edge kept at full strength
    const QImage keyed = art::Keyed(canvas);
    EXPECT_EQ(keyed.pixel(0, 0) & 0xFFFFFF, 0xC86432u);
    EXPECT_NE(keyed.pixel(1, 0) & 0xFFFFFF, 0u);
    EXPECT_EQ(keyed.pixel(2, 0) & 0xFFFFFF, 0u);
    EXPECT_EQ(qRed(keyed.pixel(3, 0)), 255);
    EXPECT_EQ(qGreen(keyed.pixel(3, 0)), 0);
}

TEST(ArtKit, LetteringCoversEveryCaptionAndGrowsWithTheText)
{
    for (const char* text : {"0123456789", "INVINCIBLE", "HIT RATE", "COMBO", "OK!", "%", "Z"})
        EXPECT_TRUE(art::CanLetter(QString::fromLatin1(text))) << text;
    EXPECT_FALSE(art::CanLetter(QStringLiteral("q")));
    const QRectF one = art::StrokeText("1", 12).boundingRect();
    const QRectF eleven = art::StrokeText("11", 12).boundingRect();
    EXPECT_NEAR(one.height(), 12, 0.6);
    EXPECT_GT(eleven.width(), one.width() * 1.5);
    // Every digit is distinct at the score's small size.
    for (int a = 0; a < 10; ++a)
        for (int b = a + 1; b < 10; ++b)
            EXPECT_NE(art::StrokeText(QString::number(a), 12), art::StrokeText(QString::number(b), 12)) << a << b;
}

} // namespace
