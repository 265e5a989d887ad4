#include "support/GameHarness.h"

#include "shell/CommandLine.h"
#include "shell/Datas.h"
#include "shell/Region.h"
#include "shell/ScaleChoice.h"
#include "shell/ScreenForm.h"
#include "sprites/DXDraws.h"

#include <QApplication>
#include <QStyle>
#include <QTest>
#include <gtest/gtest.h>

namespace {

// The harness's window shown on a screen of the given size, active, as the player sees it.
TScreenForm& Shown(TGameHarness& h, QRect available = QRect(0, 0, 2560, 1600))
{
    TScreenForm& s = h.Screen();
    s.AvailableGeometry = [available] { return available; };
    s.show();
    s.activateWindow();
    QCoreApplication::processEvents();
    return s;
}

} // namespace

TEST(WindowScale, TwiceTheSizeFromTheCommandLineWithEveryControlAndTheMouse)
{
    TGameHarness h;
    TScreenForm& s = Shown(h);
    const TCommandLine line = ParseCommandLine({"griprhythm", "--scale", "2"});
    ASSERT_TRUE(line.Error.isEmpty()) << line.Error.toStdString();
    EXPECT_EQ(s.SetScale(StartingScale(line.Scale)), 2);
    EXPECT_EQ(s.size(), QSize(1146, 930));
    EXPECT_EQ(s.DXDraw->geometry(), QRect(0, 0, 914, 770));
    EXPECT_EQ(s.btnStart->geometry(), QRect(960, 48, 150, 50));
    EXPECT_EQ(s.Button5->geometry(), QRect(736, 16, 150, 50)) << "a control inside the options box";
    EXPECT_EQ(s.CheckBox1->font().pixelSize(), 22);
    const int indicator = QApplication::style()->pixelMetric(QStyle::PM_IndicatorWidth);
    EXPECT_EQ(s.CheckBox1->style()->pixelMetric(QStyle::PM_IndicatorWidth), 2 * indicator);

    int starts = 0;
    QObject::connect(s.btnStart, &QPushButton::clicked, [&] { ++starts; });
    // Beyond the window's width at 1×: only the scaled Start lies there.
    QTest::mouseClick(s.windowHandle(), Qt::LeftButton, {}, QPoint(1000, 70));
    EXPECT_EQ(starts, 1);
    QTest::mouseMove(s.windowHandle(), QPoint(241, 91));
    EXPECT_EQ(s.Hint(), "120:45") << "the picture's mouse is not at the picture's scale";

    // Back to 1× is the window as designed.
    EXPECT_EQ(s.SetScale(1), 1);
    EXPECT_EQ(s.size(), QSize(573, 465));
    EXPECT_EQ(s.btnStart->geometry(), QRect(480, 24, 75, 25));
    EXPECT_EQ(s.CheckBox1->font().pixelSize(), 11);
    EXPECT_EQ(s.CheckBox1->style()->pixelMetric(QStyle::PM_IndicatorWidth), indicator);
}

TEST(WindowScale, ATooLargeScaleIsCappedAndTheWindowMovedOntoTheScreen)
{
    TGameHarness h;
    TScreenForm& s = Shown(h, QRect(0, 20, 1280, 1000));
    s.move(300, 100);
    EXPECT_EQ(s.SetScale(4), 2);
    EXPECT_EQ(s.geometry(), QRect(134, 90, 1146, 930));
}

TEST(WindowScale, TheRegionIsTheSkinsOutlineScaledAndItsMarksWork)
{
    TGameHarness h;
    TScreenForm& s = Shown(h);
    s.SetScale(2);
    s.Button3->click();
    EXPECT_EQ(s.size(), QSize(924, 726));
    const QRegion mask = s.mask();
    QRegion outline = RegionFromBitmap(h.Debug().ImgSkin, 0);
    outline.translate(-1, 12);
    EXPECT_EQ(mask.boundingRect(), QRect(outline.boundingRect().topLeft() * 2, outline.boundingRect().size() * 2));
    // Each pixel of the outline is a 2 × 2 square of the mask, and nothing else is in it.
    int checked = 0;
    for (int y = -2; y < 380; y += 3)
        for (int x = -2; x < 470; x += 5, ++checked)
            for (const QPoint corner : {QPoint(0, 0), QPoint(1, 1)})
                ASSERT_EQ(mask.contains(QPoint(x, y) * 2 + corner), outline.contains(QPoint(x, y))) << x << "," << y;
    EXPECT_GT(checked, 10000);

    // The minimise mark, at twice its place, where the outline has it.
    const QPoint minimise(2 * 395, 2 * 14);
    ASSERT_TRUE(mask.contains(minimise));
    QTest::mouseClick(s.windowHandle(), Qt::LeftButton, {}, minimise);
    EXPECT_TRUE(s.isMinimized());
    EXPECT_FALSE(s.RegionApplied());
}

TEST(WindowScale, KeysScaleAndAreRememberedAndF11ShowsThePictureAloneUntilEsc)
{
    TGameHarness h;
    TScreenForm& s = Shown(h);
    ASSERT_EQ(QApplication::activeWindow(), &s);
    QTest::keyClick(s.windowHandle(), Qt::Key_Plus, Qt::ControlModifier);
    EXPECT_EQ(s.Scale(), 2);
    EXPECT_EQ(RememberedScale(), 2);
    QTest::keyClick(s.windowHandle(), Qt::Key_Minus, Qt::ControlModifier);
    EXPECT_EQ(s.Scale(), 1);
    EXPECT_EQ(RememberedScale(), 1);
    // Esc means nothing to the window outside the full screen.
    QTest::keyClick(s.windowHandle(), Qt::Key_Escape);
    EXPECT_FALSE(s.FullScreenShown());

    QTest::keyClick(s.windowHandle(), Qt::Key_F11);
    ASSERT_TRUE(s.FullScreenShown());
    EXPECT_TRUE(s.btnStart->isHidden());
    EXPECT_FALSE(s.DXDraw->isHidden());
    // As a window manager gives a screen of 1920 × 1080: the picture at 2×, in the middle.
    s.resize(1920, 1080);
    EXPECT_EQ(s.DXDraw->geometry(), s.rect());
    EXPECT_EQ(s.DXDraw->Zoom(), 2);
    QTest::mouseMove(s.windowHandle(), QPoint(2 * 251 + 241, 2 * 77 + 91));
    EXPECT_EQ(s.Hint(), "120:45");

    QTest::keyClick(s.windowHandle(), Qt::Key_Escape);
    EXPECT_FALSE(s.FullScreenShown());
    EXPECT_EQ(s.size(), QSize(573, 465));
    EXPECT_EQ(s.DXDraw->geometry(), QRect(0, 0, 457, 385));
    EXPECT_EQ(s.DXDraw->Zoom(), 1);
    EXPECT_FALSE(s.btnStart->isHidden());
    EXPECT_TRUE(s.DXDraw1->isHidden()) << "a control hidden before stays hidden";
}
