#include "shell/Region.h"

#include <QFile>
#include <QImage>
#include <gtest/gtest.h>

TEST(Region, OneRectanglePerRunRowByRow)
{
    QImage picture(5, 3, QImage::Format_RGB888);
    picture.fill(Qt::black);
    for (int x = 0; x < 5; ++x)
        picture.setPixelColor(x, 0, QColor(10, 0, 0));
    picture.setPixelColor(2, 0, Qt::black);  // one black pixel splits the row in two
    // row 1 stays black: no rectangle
    picture.setPixelColor(4, 2, QColor(0, 0, 1));
    const std::vector<QRect> runs = RunsFromBitmap(picture, 0);
    ASSERT_EQ(runs.size(), 3u);
    EXPECT_EQ(runs[0], QRect(0, 0, 2, 1));
    EXPECT_EQ(runs[1], QRect(3, 0, 2, 1));
    EXPECT_EQ(runs[2], QRect(4, 2, 1, 1));
    EXPECT_EQ(RegionFromBitmap(picture, 0).rectCount(), 3);
    EXPECT_TRUE(RegionFromBitmap(QImage(), 0).isEmpty());
}

TEST(Region, TheDeliveredSkinHasOneRunInEach360RowsAndThreeBlackRows)
{
    QImage skin(":/shell/skin.bmp");
    ASSERT_FALSE(skin.isNull());
    EXPECT_EQ(skin.size(), QSize(462, 363));
    EXPECT_EQ(skin.depth() == 32 || skin.depth() == 24, true);
    QFile file(":/shell/skin.bmp");
    ASSERT_TRUE(file.open(QIODevice::ReadOnly));
    const QByteArray header = file.read(30);
    EXPECT_EQ(static_cast<unsigned char>(header[28]), 24) << "skin is not stored at 24 bits per pixel";

    const std::vector<QRect> runs = RunsFromBitmap(skin, 0);
    EXPECT_EQ(runs.size(), 360u);
    std::vector<int> perRow(363, 0);
    for (const QRect& r : runs)
        ++perRow[r.top()];
    EXPECT_EQ(std::count(perRow.begin(), perRow.end(), 1), 360);
    EXPECT_EQ(std::count(perRow.begin(), perRow.end(), 0), 3);
}

TEST(Region, HitAreasAreOpenRectangles)
{
    EXPECT_TRUE(InMinimiseArea(395, 10));
    EXPECT_FALSE(InMinimiseArea(390, 10));
    EXPECT_FALSE(InMinimiseArea(395, 16));
    EXPECT_FALSE(InMinimiseArea(400, 10));
    EXPECT_TRUE(InCloseArea(400, 25));
    EXPECT_FALSE(InCloseArea(409, 25));
    EXPECT_FALSE(InCloseArea(398, 25));
    EXPECT_FALSE(InCloseArea(400, 33));
}
