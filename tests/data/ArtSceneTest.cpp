#include "ArtScene.h"

#include <QFile>
#include <QSet>

#include <gtest/gtest.h>

namespace {

const QString kBin = QString::fromUtf8(GRIP_BIN_DIR);

QImage Skin()
{
    QImage skin(QStringLiteral(":/shell/skin.bmp"));
    return skin.convertToFormat(QImage::Format_RGB32);
}

// Where the window's minimise and close areas fall on the skin: the skin is presented at
// (-2, 11) on the drawing surface, and the areas are open rectangles of surface coordinates.
QRect SkinArea(int left, int top, int right, int bottom)
{
    return QRect(QPoint(left + 1 + 2, std::max(0, top + 1 - 11)), QPoint(right - 1 + 2, bottom - 1 - 11));
}

TEST(ArtScene, StartUpScreenComposesAndLeavesTheWindowButtonsToTheSkin)
{
    scene::TArtScene scene(kBin);
    ASSERT_NO_THROW(scene.BuildStartUp());
    scene.ShowLevel(0); // as the first tick leaves it, before the first frame
    const QImage skin = Skin();
    const QImage frame = scene.Frame(skin);
    ASSERT_EQ(frame.size(), QSize(462, 363));
    EXPECT_TRUE(frame.save(QStringLiteral("art-startup.png")));
    for (const QRect& area : {SkinArea(390, 5, 400, 16), SkinArea(398, 20, 409, 33)})
        for (int y = area.top(); y <= area.bottom(); ++y)
            for (int x = area.left(); x <= area.right(); ++x)
                ASSERT_EQ(frame.pixel(x, y), skin.pixel(x, y)) << "a sprite covers the window button at " << x << ","
                                                               << y;
}

TEST(ArtScene, BallsAtTheMarkShowOverRingAndBracketsOnBothLanes)
{
    scene::TArtScene scene(kBin);
    scene.BuildStartUp();
    scene.ShowLevel(4);
    TRedBall* red = scene.AddBall<TRedBall>(0, 275);
    TBlueBall* blue = scene.AddBall<TBlueBall>(1, 275);
    // Balls on their way in and one that has passed.
    scene.AddBall<TYellowBall>(0, 150);
    scene.AddBall<TChainBall>(0, 60);
    scene.AddBall<TBlueBall>(0, 380);
    scene.AddBall<TFeces>(1, 120);
    scene.AddBall<TRedBall>(1, 190);
    scene.AddBall<TYellowBall>(1, 40);
    const QImage frame = scene.Frame(Skin());
    // The middle of each ball at the mark is the ball's own middle pixel.
    const QImage redBall = scene.Stores[SlotImgBalls]->Items().ImageByName("red")->PatternSurfaces()[0]->Image();
    const QImage blueBall = scene.Stores[SlotImgBalls]->Items().ImageByName("blue")->PatternSurfaces()[0]->Image();
    EXPECT_EQ(frame.pixel(int(red->X) + 23, int(red->Y) + 23), redBall.pixel(23, 23));
    EXPECT_EQ(frame.pixel(int(blue->X) + 23, int(blue->Y) + 13), blueBall.pixel(23, 13));

    // The picture of play: the score, combo, percentage and a hit flash as they look in a game.
    scene.Halves[0].Marker->AddScore(1250);
    scene.Halves[0].Combo->SetCount(12);
    scene.Halves[0].Percentage->SetPercent(87);
    scene.Halves[0].Figures->Figure->FramePos = 3; // the top of the jump
    scene.Halves[0].Figures->Toys[2]->FramePos = 4;
    scene.Halves[1].Figures->Figure->FramePos = 1;
    scene.Explode->Visible = true;
    scene.Ok->Visible = true;
    EXPECT_TRUE(scene.Frame(Skin()).save(QStringLiteral("art-play.png")));
}

TEST(Skin, MinimiseAndCloseMarksLieInTheirHitAreas)
{
    const QImage skin = Skin();
    for (const QRect& area : {SkinArea(390, 5, 400, 16), SkinArea(398, 20, 409, 33)}) {
        int marked = 0;
        for (int y = area.top(); y <= area.bottom(); ++y)
            for (int x = area.left(); x <= area.right(); ++x) {
                const QRgb c = skin.pixel(x, y);
                ASSERT_NE(c & 0xFFFFFF, 0u) << "hit area outside the outline at " << x << "," << y;
                marked += std::max({qRed(c), qGreen(c), qBlue(c)}) >= 220;
            }
        EXPECT_GE(marked, 5) << "no bright mark in the area at " << area.x() << "," << area.y();
    }
}

} // namespace

namespace {

TEST(Skin, DebugFormPictureIsEightBitsAndKeepsItsShading)
{
    QFile file(QStringLiteral(":/shell/viewport.bmp"));
    ASSERT_TRUE(file.open(QIODevice::ReadOnly));
    const QByteArray header = file.read(30);
    ASSERT_EQ(header.size(), 30);
    EXPECT_EQ(static_cast<unsigned char>(header[28]), 8) << "not stored at 8 bits per pixel";
    const QImage picture(QStringLiteral(":/shell/viewport.bmp"));
    EXPECT_EQ(picture.size(), QSize(461, 362));
    // A palette chosen from the picture's own colours, not a fixed cube that bands the gradient.
    QSet<QRgb> colours;
    for (int y = 0; y < picture.height(); ++y)
        for (int x = 0; x < picture.width(); ++x)
            colours.insert(picture.pixel(x, y));
    EXPECT_GT(colours.size(), 128);
}

} // namespace
