#include "BarControlSong.h"
#include "core/GameCore.h"
#include "midi/PianoRoll.h"
#include "shell/Datas.h"

#include <QCursor>
#include <QImage>
#include <gtest/gtest.h>

namespace {

using barsong::Load;
using barsong::Mouse;

struct Roll {
    TPianoRoll roll;
    explicit Roll(TMidiData* song)
    {
        roll.resize(265, 241);
        roll.SetMidiData(song);
        roll.CalcLayout();
    }
    // The centre of note i's bar.
    QPoint Centre(int i) const
    {
        const TNoteRect& n = roll.NoteRects(i);
        return QPoint((n.Left + n.Right) / 2, n.Bottom - roll.WhiteNoteHeight() / 4);
    }
};

// Middle C for a bar from tick 0, then E and F of the same octave, one beat each.
std::unique_ptr<TMidiData> ThreeNotes()
{
    smf::Track t;
    barsong::Note(t, 0, 60, 720);
    barsong::Note(t, 0, 64, 180);
    barsong::Note(t, 0, 65, 180);
    t.End(0);
    return Load({t});
}

} // namespace

TEST(PianoRoll, MiddleCSits112PixelsAboveTheRuler)
{
    TPianoRoll roll;
    roll.resize(265, 241);
    ASSERT_EQ(roll.VertBar->value(), 7);
    ASSERT_EQ(roll.WhiteNoteHeight(), 16);
    const int ruler = roll.RulerTop();
    EXPECT_EQ(roll.NoteBottom(60), ruler - 112);
    EXPECT_EQ(roll.NoteBottom(72), ruler - 224);
    EXPECT_EQ(roll.NoteBottom(61) - roll.NoteBottom(62), 8);   // semitones half a key apart
    EXPECT_EQ(roll.NoteBottom(64) - roll.NoteBottom(65), 16);  // E to F a whole key
    EXPECT_EQ(roll.NoteBottom(71) - roll.NoteBottom(72), 16);  // B to C a whole key
    roll.VertBar->setValue(6);
    EXPECT_EQ(roll.NoteBottom(60), ruler);
    roll.SetWhiteNoteHeight(10);
    EXPECT_EQ(roll.NoteBottom(60) - roll.NoteBottom(72), 70);
}

TEST(PianoRoll, YToNoteInvertsTheNoteGeometry)
{
    TPianoRoll roll;
    roll.resize(265, 241);
    for (int vert : {0, 7, 11})
        for (int n = 0; n < 128; ++n) {
            roll.VertBar->setValue(vert);
            EXPECT_EQ(roll.YToNote(roll.NoteBottom(n)), n) << n << " at " << vert;
        }
    // The gap between E and F belongs half to each.
    const int e = roll.NoteBottom(64);
    EXPECT_EQ(roll.YToNote(e - 8), 64);
    EXPECT_EQ(roll.YToNote(e - 12), 65);
    roll.SetWhiteNoteHeight(1);
    EXPECT_EQ(roll.YToNote(50), 0);
}

TEST(PianoRoll, NotesSpanTheirTicksAtTheirPitch)
{
    auto song = ThreeNotes();
    Roll r(song.get());
    ASSERT_EQ(r.roll.NoteCount(), 3);
    const TNoteRect& c = r.roll.NoteRects(0);
    EXPECT_EQ(c.Left, 0);
    EXPECT_EQ(c.Right, 128);
    EXPECT_EQ(c.Bottom, r.roll.RulerTop() - 112);
    EXPECT_EQ(c.NoteOn->Data[0], 60);
    EXPECT_TRUE(c.Selected);  // starts at tick 0, the (empty) selection's only tick
    EXPECT_EQ(r.roll.NoteRects(1).Left, 128);
    EXPECT_EQ(r.roll.NoteRects(1).Right, 160);
    EXPECT_FALSE(r.roll.NoteRects(1).Selected);
    EXPECT_EQ(r.roll.NoteRects(2).Bottom, r.roll.RulerTop() - 112 - 48);

    // Drawn: silver for the note at tick 0, white for the others, black borders.
    const QImage img = r.roll.grab().toImage();
    EXPECT_EQ(img.pixel(r.Centre(0)), qRgb(192, 192, 192));
    EXPECT_EQ(img.pixel(r.Centre(1)), qRgb(255, 255, 255));
    EXPECT_EQ(img.pixel(c.Left, c.Bottom - 4), qRgb(0, 0, 0));
    EXPECT_EQ(img.pixel(c.Left + 1, c.Bottom - 4), qRgb(192, 192, 192));
    EXPECT_EQ(img.pixel(c.Right - 2, c.Bottom - 4), qRgb(192, 192, 192));
    EXPECT_EQ(img.pixel(64, c.Bottom - 8), qRgb(0, 0, 0));
    EXPECT_EQ(img.pixel(64, c.Bottom - 1), qRgb(0, 0, 0));
    EXPECT_NE(img.pixel(64, c.Bottom - 9), qRgb(0, 0, 0));
}

TEST(PianoRoll, NoteBeganBeforeTheLeftEdgeIsDrawnFromANegativeX)
{
    smf::Track t;
    barsong::Note(t, 0, 60, 900);      // ends in bar 2
    barsong::Note(t, 0, 62, 40 * 720);  // ends far beyond the view
    t.End(0);
    auto song = Load({t});
    Roll r(song.get());
    r.roll.SetLeftPosition(720);
    r.roll.CalcLayout();
    ASSERT_EQ(r.roll.NoteCount(), 1);
    EXPECT_EQ(r.roll.NoteRects(0).Left, -128);
    EXPECT_EQ(r.roll.NoteRects(0).Right, 32);
    const QImage img = r.roll.grab().toImage();
    EXPECT_EQ(img.pixel(16, r.roll.NoteRects(0).Bottom - 4), qRgb(192, 192, 192));
    EXPECT_EQ(img.pixel(0, r.roll.NoteRects(0).Bottom - 4), qRgb(192, 192, 192));  // no left border in view
}

TEST(PianoRoll, TrackSelectsTheNotesShown)
{
    smf::Track conductor;
    conductor.End(720);
    smf::Track melody;
    barsong::Note(melody, 0, 60, 180);
    melody.End(0);
    auto song = Load({conductor, melody});
    Roll r(song.get());
    EXPECT_EQ(r.roll.NoteCount(), 0);
    r.roll.SetTrack(1);
    r.roll.CalcLayout();
    EXPECT_EQ(r.roll.NoteCount(), 1);
    r.roll.SetTrack(7);
    r.roll.CalcLayout();
    EXPECT_EQ(r.roll.NoteCount(), 0);
    r.roll.SetTrack(-1);
    r.roll.CalcLayout();
    EXPECT_EQ(r.roll.NoteCount(), 0);
}

TEST(PianoRoll, AtMost1024NotesAreHeld)
{
    smf::Track t;
    for (int i = 0; i < 1100; ++i)
        barsong::Note(t, 0, std::uint8_t(40 + i % 40), 1);
    t.End(0);
    auto song = Load({t});
    Roll r(song.get());
    EXPECT_EQ(r.roll.NoteCount(), TPianoRoll::MaxNotes);
    EXPECT_NO_THROW(r.roll.grab());
}

TEST(PianoRoll, HoverSetsCursorsAndFocus)
{
    auto song = ThreeNotes();
    Roll r(song.get());
    r.roll.setCursor(Qt::CrossCursor);
    int focusCalls = 0;
    r.roll.OnFocus = [&](TPianoRoll* sender) {
        EXPECT_EQ(sender, &r.roll);
        ++focusCalls;
    };
    const TNoteRect e = r.roll.NoteRects(1);
    const int y = e.Bottom - 3;
    Mouse(&r.roll, QEvent::MouseMove, QPoint(e.Left + 1, y));
    EXPECT_EQ(r.roll.HoverIndex(), 1);
    EXPECT_EQ(r.roll.cursor().shape(), Qt::SizeHorCursor);
    Mouse(&r.roll, QEvent::MouseMove, QPoint(e.Left + 10, y));
    EXPECT_EQ(r.roll.cursor().shape(), Qt::OpenHandCursor);
    Mouse(&r.roll, QEvent::MouseMove, QPoint(e.Right - 1, y));
    EXPECT_EQ(r.roll.cursor().shape(), Qt::SizeHorCursor);
    EXPECT_EQ(focusCalls, 1);
    Mouse(&r.roll, QEvent::MouseMove, QPoint(e.Right, y));
    EXPECT_EQ(r.roll.HoverIndex(), -1);
    EXPECT_EQ(r.roll.cursor().shape(), Qt::CrossCursor);
    EXPECT_EQ(focusCalls, 2);
}

TEST(PianoRoll, DraggingANoteReportsWhereItWouldGoAndLeavesTheSong)
{
    auto song = ThreeNotes();
    Roll r(song.get());
    const TNoteRect c = r.roll.NoteRects(0);
    std::vector<int> moving, moved;
    r.roll.OnNoteMoving = [&](TPianoRoll*, int note, int start, int end) { moving = {note, start, end}; };
    r.roll.OnNoteMoved = [&](TPianoRoll*, int note, int start, int end) { moved = {note, start, end}; };
    bool selection = false;
    r.roll.OnStartSelection = r.roll.OnEndSelection = [&](TCustomBarControl*, int) { selection = true; };

    const QPoint down = r.Centre(0);
    Mouse(&r.roll, QEvent::MouseMove, down);
    Mouse(&r.roll, QEvent::MouseButtonPress, down, Qt::LeftButton);
    EXPECT_EQ(r.roll.DragMode(), 3);
    // One beat right and one semitone up.
    Mouse(&r.roll, QEvent::MouseMove, down + QPoint(32, -8), Qt::LeftButton);
    EXPECT_EQ(moving, (std::vector<int>{61, 180, 900}));
    Mouse(&r.roll, QEvent::MouseButtonRelease, down + QPoint(32, -8), Qt::LeftButton);
    EXPECT_EQ(moved, moving);
    EXPECT_EQ(r.roll.DragMode(), 0);
    EXPECT_FALSE(selection);
    const TMidiEvent* on = c.NoteOn;
    EXPECT_EQ(on->Tick, 0);
    EXPECT_EQ(on->Data[0], 60);

    // The left edge stretches: the end stays.
    Mouse(&r.roll, QEvent::MouseMove, QPoint(c.Left + 1, c.Bottom - 3));
    Mouse(&r.roll, QEvent::MouseButtonPress, QPoint(c.Left + 1, c.Bottom - 3), Qt::LeftButton);
    EXPECT_EQ(r.roll.DragMode(), 1);
    Mouse(&r.roll, QEvent::MouseMove, QPoint(c.Left + 33, c.Bottom + 40), Qt::LeftButton);
    EXPECT_EQ(moving, (std::vector<int>{60, 180, 720}));
    Mouse(&r.roll, QEvent::MouseButtonRelease, QPoint(c.Left + 33, c.Bottom + 40), Qt::LeftButton);

    // The right edge stretches: the start stays.
    const TNoteRect e = r.roll.NoteRects(1);
    Mouse(&r.roll, QEvent::MouseMove, QPoint(e.Right - 1, e.Bottom - 3));
    Mouse(&r.roll, QEvent::MouseButtonPress, QPoint(e.Right - 1, e.Bottom - 3), Qt::LeftButton);
    EXPECT_EQ(r.roll.DragMode(), 2);
    Mouse(&r.roll, QEvent::MouseMove, QPoint(e.Right + 31, e.Bottom - 3), Qt::LeftButton);
    Mouse(&r.roll, QEvent::MouseButtonRelease, QPoint(e.Right + 31, e.Bottom - 3), Qt::LeftButton);
    EXPECT_EQ(moved, (std::vector<int>{64, 720, 1080}));
}

TEST(PianoRoll, DragOutlineIsDrawnAndErasedAsTheMouseMoves)
{
    auto song = ThreeNotes();
    Roll r(song.get());
    const TNoteRect c = r.roll.NoteRects(0);
    const QPoint down = r.Centre(0);
    // Every paint re-reads the mouse, so the pointer has to be where the events say.
    QCursor::setPos(r.roll.mapToGlobal(down));
    if (r.roll.mapFromGlobal(QCursor::pos()) != down)
        GTEST_SKIP() << "the platform cannot place the mouse";
    Mouse(&r.roll, QEvent::MouseMove, down);
    Mouse(&r.roll, QEvent::MouseButtonPress, down, Qt::LeftButton);
    const int top = c.Bottom - 8;
    QImage img = r.roll.grab().toImage();
    EXPECT_EQ(img.pixel(r.Centre(0)), r.roll.Color().rgb());  // emptied

    auto stepTo = [&](QPoint p) {
        QCursor::setPos(r.roll.mapToGlobal(p));
        Mouse(&r.roll, QEvent::MouseMove, p, Qt::LeftButton);
        return r.roll.grab().toImage();
    };
    img = stepTo(down + QPoint(0, -40));
    const int movedTop = top - 40;
    // The outline at the new place, over the background: inverted.
    const QRgb background = r.roll.Color().rgb();
    const QRgb inverted = qRgb(255 - qRed(background), 255 - qGreen(background), 255 - qBlue(background));
    EXPECT_EQ(img.pixel(60, movedTop), inverted);
    EXPECT_EQ(img.pixel(c.Left, movedTop + 4), inverted);
    // The note's own border is inverted away while its outline is off.
    EXPECT_NE(img.pixel(60, top), qRgb(0, 0, 0));

    img = stepTo(down + QPoint(0, -60));
    EXPECT_EQ(img.pixel(60, movedTop), background);  // the old outline is gone
    EXPECT_EQ(img.pixel(60, movedTop - 20), inverted);

    img = stepTo(down);
    EXPECT_EQ(img.pixel(60, top), qRgb(0, 0, 0));  // back home: the strokes cancel
    EXPECT_EQ(img.pixel(60, movedTop - 20), background);
}

TEST(PianoRoll, ClicksBesideNotesSelect)
{
    auto song = ThreeNotes();
    Roll r(song.get());
    std::vector<int> marks;
    r.roll.OnStartSelection = [&](TCustomBarControl*, int pos) { marks.push_back(pos); };
    r.roll.OnEndSelection = [&](TCustomBarControl*, int pos) { marks.push_back(-pos); };
    Mouse(&r.roll, QEvent::MouseMove, QPoint(64, 5));
    Mouse(&r.roll, QEvent::MouseButtonPress, QPoint(64, 5), Qt::LeftButton);
    Mouse(&r.roll, QEvent::MouseButtonRelease, QPoint(96, 5), Qt::LeftButton);
    EXPECT_EQ(marks, (std::vector<int>{360, -540}));
    EXPECT_EQ(r.roll.DragMode(), 0);
}

TEST(PianoRoll, WithoutASongNothingIsDrawnAndNothingBreaks)
{
    TPianoRoll roll;
    roll.resize(265, 241);
    roll.CalcLayout();
    EXPECT_EQ(roll.NoteCount(), 0);
    Mouse(&roll, QEvent::MouseMove, QPoint(30, 30));
    Mouse(&roll, QEvent::MouseButtonPress, QPoint(30, 30), Qt::LeftButton);
    Mouse(&roll, QEvent::MouseButtonRelease, QPoint(30, 30), Qt::LeftButton);
    EXPECT_NO_THROW(roll.grab());

    auto song = ThreeNotes();
    roll.SetMidiData(song.get());
    roll.CalcLayout();
    EXPECT_EQ(roll.NoteCount(), 3);
    song->SetActive(false);  // the song emptied under the view
    roll.CalcLayout();
    EXPECT_EQ(roll.NoteCount(), 0);
}

TEST(PianoRoll, DebugFormHoldsItWithItsDesignedSettings)
{
    TGameCore core(nullptr);
    TDatas form(core);
    TPianoRoll* roll = form.PianoRoll;
    ASSERT_NE(roll, nullptr);
    EXPECT_EQ(roll->parentWidget(), &form);
    EXPECT_EQ(roll->geometry(), QRect(16, 80, 265, 241));
    EXPECT_EQ(roll->WhiteNoteHeight(), 16);
    EXPECT_EQ(roll->NoteCursor.shape(), Qt::OpenHandCursor);
    EXPECT_EQ(roll->LeftStretchCursor.shape(), Qt::SizeHorCursor);
    EXPECT_EQ(roll->RightStretchCursor.shape(), Qt::SizeHorCursor);
    EXPECT_EQ(roll->Track(), 0);
    EXPECT_EQ(roll->LeftPosition(), 0);
    EXPECT_EQ(roll->ActivePosition(), 0);
    EXPECT_EQ(roll->ActiveLineX(), -1);
    EXPECT_EQ(roll->QNWidth(), 32);
    // Windowed controls lie above the viewport picture.
    EXPECT_EQ(form.childAt(100, 150), roll);
    EXPECT_EQ(form.childAt(20, 240), roll);  // over the "midiFile" label
}
