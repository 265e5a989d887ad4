#include "BarControlSong.h"
#include "midi/BarControl.h"

#include <QImage>
#include <QKeyEvent>
#include <gtest/gtest.h>

namespace {

using barsong::Load;

// A 4/4 song of the given number of bars at 180 ticks per quarter note.
std::unique_ptr<TMidiData> FourFour(int bars)
{
    smf::Track t;
    t.TimeSignature(0, 4, 2);
    barsong::Note(t, 0, 60, 180);
    t.End(std::uint32_t(bars * 720 - 180));
    return Load({t});
}

struct View {
    TCustomBarControl bars;
    View(TMidiData* song, int width = 265, int height = 241)
    {
        bars.resize(width, height);
        bars.SetMidiData(song);
        bars.CalcLayout();
    }
};

bool Dark(const QImage& img, int x, int y) { return qGray(img.pixel(x, y)) < 64; }

} // namespace

TEST(BarControl, FourFourBarsAre128PixelsWithBeatsEvery32)
{
    auto song = FourFour(8);
    View v(song.get());
    ASSERT_GE(v.bars.BarCount(), 2);
    for (int i = 0; i < v.bars.BarCount(); ++i) {
        EXPECT_EQ(v.bars.BarLayout(i).X, 128 * i);
        EXPECT_EQ(v.bars.BarLayout(i).Tick, 720 * i);
        EXPECT_EQ(v.bars.BarLayout(i).BeatWidth, 32);
    }
    EXPECT_EQ(v.bars.TickToX(180), 32);
    EXPECT_EQ(v.bars.TickToX(720 + 90), 128 + 16);
    EXPECT_EQ(v.bars.XToTick(160), 900);

    // The ruler: beat ticks at 32, 64 and 96, a bar line at 128, none between.
    const QImage img = v.bars.grab().toImage();
    const int tickY = v.bars.RulerTop() + 3;
    for (int x : {32, 64, 96, 128, 160})
        EXPECT_TRUE(Dark(img, x, tickY)) << x;
    for (int x : {31, 33, 100, 127})
        EXPECT_FALSE(Dark(img, x, tickY)) << x;
    EXPECT_TRUE(Dark(img, 128, 10));
    EXPECT_FALSE(Dark(img, 32, 10));
}

TEST(BarControl, SixEightBeatsAre16PixelsAndBars96)
{
    smf::Track t;
    t.TimeSignature(0, 6, 3);
    barsong::Note(t, 0, 60, 90);
    t.End(6 * 720);
    auto song = Load({t});
    View v(song.get());
    ASSERT_GE(v.bars.BarCount(), 3);
    EXPECT_EQ(v.bars.BarLayout(1).X, 96);
    EXPECT_EQ(v.bars.BarLayout(2).X, 192);
    EXPECT_EQ(v.bars.BarLayout(1).BeatWidth, 16);
    EXPECT_EQ(v.bars.BarLayout(1).Tick, 540);
    EXPECT_EQ(v.bars.TickToX(90), 16);
    EXPECT_EQ(v.bars.XToTick(16), 90);
    const TBarBeatTick at = v.bars.XToBarBeatTick(96 + 16 + 8);
    EXPECT_EQ(at.Bar, 2);
    EXPECT_EQ(at.Beat, 1);
    EXPECT_EQ(at.Tick, 45);
}

TEST(BarControl, SignatureChangeMovesTheFollowingBars)
{
    smf::Track t;
    t.TimeSignature(0, 4, 2);
    t.TimeSignature(1440, 3, 3);  // two bars of 4/4, then 3/8
    t.End(3000);
    auto song = Load({t});
    View v(song.get(), 600);
    ASSERT_GE(v.bars.BarCount(), 5);
    EXPECT_EQ(v.bars.BarLayout(2).X, 256);
    EXPECT_EQ(v.bars.BarLayout(3).X, 256 + 48);
    EXPECT_EQ(v.bars.BarLayout(3).Tick, 1440 + 270);
    EXPECT_EQ(v.bars.TickToX(1440 + 270 + 90), 256 + 48 + 16);
    EXPECT_EQ(v.bars.XToTick(256 + 48 + 16), 1440 + 270 + 90);
}

TEST(BarControl, QNWidthOfThreeOrLessIsIgnored)
{
    TCustomBarControl bars;
    EXPECT_EQ(bars.QNWidth(), 32);
    bars.SetQNWidth(3);
    bars.SetQNWidth(0);
    bars.SetQNWidth(-8);
    EXPECT_EQ(bars.QNWidth(), 32);
    bars.SetQNWidth(4);
    EXPECT_EQ(bars.QNWidth(), 4);
}

TEST(BarControl, WideViewIsCappedAtTheTableSize)
{
    auto song = FourFour(400);
    TCustomBarControl bars;
    bars.resize(3000, 200);
    bars.SetMidiData(song.get());
    bars.SetQNWidth(4);  // 16-pixel bars: the view would need 185 of them
    bars.CalcLayout();
    EXPECT_EQ(bars.BarCount(), TCustomBarControl::MaxBars);
    EXPECT_EQ(bars.BarLayout(63).X, 63 * 16);
    EXPECT_EQ(bars.EndTick(), 65 * 720);
    EXPECT_EQ(bars.TickToX(100 * 720), 100 * 16);  // past the table, from its last bar
    EXPECT_NO_THROW(bars.grab());
}

TEST(BarControl, WithoutASongEveryMappingIsZero)
{
    View v(nullptr);
    EXPECT_EQ(v.bars.TickToX(720), 0);
    EXPECT_EQ(v.bars.XToTick(100), 0);
    const TBarBeatTick at = v.bars.XToBarBeatTick(100);
    EXPECT_EQ(at.Bar + at.Beat + at.Tick, 0);
    EXPECT_EQ(v.bars.HorzBar->maximum(), 0);
    EXPECT_NO_THROW(v.bars.grab());
}

TEST(BarControl, OddSignaturesAndDivisionsDoNotBreakTheMappings)
{
    smf::Track t;
    t.TimeSignature(0, 0, 9);  // no beats per bar, a 1/512 beat: zero-width bars
    t.End(720);
    auto song = Load({t});
    View v(song.get());
    EXPECT_EQ(v.bars.BarCount(), TCustomBarControl::MaxBars);
    EXPECT_NO_THROW(v.bars.XToTick(50));
    EXPECT_NO_THROW(v.bars.XToBarBeatTick(50));
    EXPECT_NO_THROW(v.bars.grab());

    smf::Track u;
    u.End(100);
    auto noDivision = Load({u}, 0);
    View w(noDivision.get());
    EXPECT_EQ(w.bars.TickToX(50), 0);
    EXPECT_EQ(w.bars.XToTick(50), 0);
}

TEST(BarControl, MouseOverTheLeftmostBarReportsBarOneBeatZero)
{
    auto song = FourFour(8);
    View v(song.get());
    std::vector<int> seen;
    v.bars.OnMouseMoved = [&](TCustomBarControl* sender, int bar, int beat, int tick) {
        EXPECT_EQ(sender, &v.bars);
        seen = {bar, beat, tick};
    };
    barsong::Mouse(&v.bars, QEvent::MouseMove, QPoint(5, 20));
    EXPECT_EQ(seen, (std::vector<int>{1, 0, 28}));
    barsong::Mouse(&v.bars, QEvent::MouseMove, QPoint(128 + 64 + 16, 20));
    EXPECT_EQ(seen, (std::vector<int>{2, 2, 90}));

    v.bars.HorzBar->setValue(3);
    v.bars.CalcLayout();
    EXPECT_EQ(v.bars.LeftEdge().Tick, 3 * 720);
    EXPECT_EQ(v.bars.XToTick(0), 3 * 720);
    barsong::Mouse(&v.bars, QEvent::MouseMove, QPoint(0, 20));
    EXPECT_EQ(seen, (std::vector<int>{4, 0, 0}));
}

TEST(BarControl, RescanMeasuresTheSongAndReturnsToItsStart)
{
    auto song = FourFour(10);
    View v(song.get());
    EXPECT_EQ(v.bars.HorzBar->maximum(), 10);
    v.bars.HorzBar->setValue(6);
    v.bars.SetTrack(1);
    auto shorter = FourFour(4);
    v.bars.SetMidiData(shorter.get());
    EXPECT_EQ(v.bars.HorzBar->maximum(), 4);
    EXPECT_EQ(v.bars.HorzBar->value(), 0);
    EXPECT_EQ(v.bars.LeftEdge().Tick, 0);
    EXPECT_EQ(v.bars.Track(), 0);
}

TEST(BarControl, LeftPositionStartsTheViewOnABar)
{
    auto song = FourFour(10);
    View v(song.get());
    v.bars.SetLeftPosition(2 * 720 + 500);
    EXPECT_EQ(v.bars.LeftEdge().Tick, 2 * 720);
    EXPECT_EQ(v.bars.HorzBar->value(), 2);
    v.bars.CalcLayout();
    EXPECT_EQ(v.bars.XToTick(0), 1440);

    // Past the measured end the range grows instead of pulling the view back.
    v.bars.SetLeftPosition(14 * 720);
    EXPECT_EQ(v.bars.HorzBar->value(), 14);
    EXPECT_EQ(v.bars.LeftEdge().Bar, 14);
}

TEST(BarControl, ActivePositionDrawsItsLineAndScrollsToIt)
{
    auto song = FourFour(20);
    View v(song.get());
    v.bars.SetActivePosition(360);
    EXPECT_EQ(v.bars.ActiveLineX(), 64);
    QImage img = v.bars.grab().toImage();
    const QRgb line = img.pixel(64, 20);
    EXPECT_GT(qRed(line), 200);
    EXPECT_LT(qGreen(line), 64);
    EXPECT_EQ(v.bars.ActiveLineX(), 64);  // a repaint keeps the line

    v.bars.SetActivePosition(10 * 720 + 180);
    EXPECT_EQ(v.bars.HorzBar->value(), 10);
    EXPECT_EQ(v.bars.LeftPosition(), 10 * 720 + 180);
    EXPECT_EQ(v.bars.ActiveLineX(), 32);

    v.bars.HorzBar->setValue(0);
    EXPECT_EQ(v.bars.ActiveLineX(), -1);
}

TEST(BarControl, ActivePositionFollowsAViewScrolledByItsBar)
{
    auto song = FourFour(20);
    View v(song.get());
    v.bars.SetActivePosition(100);
    v.bars.HorzBar->setValue(5);
    // LeftPosition was 0 and the view is at bar 5 now: tick 0 must bring it back.
    v.bars.SetActivePosition(0);
    EXPECT_EQ(v.bars.HorzBar->value(), 0);
    EXPECT_EQ(v.bars.LeftEdge().Tick, 0);
    EXPECT_EQ(v.bars.ActiveLineX(), 0);
}

TEST(BarControl, KeysScrollBarsAndOctaves)
{
    auto song = FourFour(10);
    View v(song.get());
    auto key = [&](int k) {
        QKeyEvent e(QEvent::KeyPress, k, Qt::NoModifier);
        QApplication::sendEvent(&v.bars, &e);
    };
    key(Qt::Key_Right);
    key(Qt::Key_Right);
    EXPECT_EQ(v.bars.HorzBar->value(), 2);
    EXPECT_EQ(v.bars.LeftEdge().Tick, 1440);
    key(Qt::Key_Left);
    EXPECT_EQ(v.bars.HorzBar->value(), 1);
    key(Qt::Key_End);
    EXPECT_EQ(v.bars.HorzBar->value(), 10);
    key(Qt::Key_Home);
    EXPECT_EQ(v.bars.HorzBar->value(), 0);
    EXPECT_EQ(v.bars.LeftEdge().Tick, 0);

    std::vector<int> codes;
    v.bars.OnScroll = [&](QObject* sender, TScrollCode code, int& pos) {
        EXPECT_EQ(sender, v.bars.VertBar);
        codes.push_back(code);
        codes.push_back(pos);
    };
    EXPECT_EQ(v.bars.VertBar->value(), 7);
    key(Qt::Key_Down);
    key(Qt::Key_Up);
    key(Qt::Key_Up);
    EXPECT_EQ(v.bars.VertBar->value(), 6);
    EXPECT_EQ(codes, (std::vector<int>{scLineDown, 8, scLineUp, 7, scLineUp, 6}));
}

TEST(BarControl, ShowingAnnouncesTheOctavePositionOnce)
{
    TCustomBarControl bars;
    int calls = 0;
    bars.OnScroll = [&](QObject* sender, TScrollCode code, int& pos) {
        ++calls;
        EXPECT_EQ(sender, nullptr);
        EXPECT_EQ(code, scPosition);
        EXPECT_EQ(pos, 7);
    };
    bars.show();
    bars.hide();
    bars.show();
    EXPECT_EQ(calls, 1);
}
