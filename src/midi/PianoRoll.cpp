#include "midi/PianoRoll.h"

#include "midi/BarGeometry.h"
#include "midi/MidiData.h"
#include "platform/Guard.h"

#include <QMouseEvent>
#include <QPainter>

#include <algorithm>

namespace {

// Draws an axis-parallel line from a towards b, leaving b itself out, so that joined
// segments and repeated inverting strokes cover every pixel exactly once.
void Segment(QPainter& canvas, int x0, int y0, int x1, int y1)
{
    if (x0 == x1 && y0 == y1)
        return;
    const int ex = x1 - (x1 > x0) + (x1 < x0);
    const int ey = y1 - (y1 > y0) + (y1 < y0);
    canvas.drawLine(x0, y0, ex, ey);
}

// Keeps coordinates of notes far outside the view within what the painter handles.
int Near(int v, int low, int high) { return std::clamp(v, low - 16, high + 16); }

} // namespace

TPianoRoll::TPianoRoll(QWidget* parent) : TCustomBarControl(parent)
{
    noteRects_.reserve(MaxNotes);
}

void TPianoRoll::SetWhiteNoteHeight(int height)
{
    if (height == whiteNoteHeight_)
        return;
    whiteNoteHeight_ = height;
    Invalidate();
}

int TPianoRoll::NoteBottom(int note) const
{
    const std::int64_t h = whiteNoteHeight_;
    const std::int64_t base = RulerTop() + (77 - 7 * std::int64_t(VertBar->value())) * h;
    const int octave = note / 12;
    const int semitone = note % 12;
    std::int64_t offset = 7 * h * octave + (semitone * h) / 2;
    if (semitone > 4)
        offset += h / 2;
    return Clamp32(base - offset);
}

int TPianoRoll::YToNote(int y) const
{
    const std::int64_t octaveHeight = 7 * std::int64_t(whiteNoteHeight_);
    const std::int64_t h = whiteNoteHeight_ / 2;
    if (h <= 0)
        return 0;
    const std::int64_t base = RulerTop() + (77 - 7 * std::int64_t(VertBar->value())) * whiteNoteHeight_;
    const std::int64_t d = base - y;
    const std::int64_t o = d / octaveHeight;
    const std::int64_t r = d % octaveHeight;
    std::int64_t g = r / h;
    if (g == 5)
        g = r % h < h / 2 ? 4 : 5;
    else if (g > 5)
        g -= 1;
    return Clamp32(g + 12 * o);
}

void TPianoRoll::CalcLayout()
{
    TCustomBarControl::CalcLayout();
    CalcNotes();
}

void TPianoRoll::CalcNotes()
{
    noteRects_.clear();
    const TMidiTrackStream* track = MidiData() ? MidiData()->Tracks(Track()) : nullptr;
    if (!track)
        return;
    std::int32_t i = track->FindEvent(LeftEdge().Tick, 0);
    if (i < 0)
        return;
    for (; i < track->EventCount(); ++i) {
        const TMidiEvent* e = track->Events(i);
        if (e->Tick > EndTick())
            break;
        if (!e->IsNoteOff() || e->Partner < 0)
            continue;
        if (const TMidiEvent* on = track->Events(e->Partner))
            AddNote(*e, *on);
    }
}

void TPianoRoll::AddNote(const TMidiEvent& noteOff, const TMidiEvent& noteOn)
{
    if (NoteCount() >= MaxNotes)
        return;
    TNoteRect r;
    r.Left = TickToX(noteOn.Tick);
    r.Right = TickToX(noteOff.Tick);
    r.Bottom = NoteBottom(noteOff.Data[0]);
    r.NoteOn = &noteOn;
    r.Selected = noteOn.Tick >= SelectionStart && noteOn.Tick <= SelectionEnd;
    noteRects_.push_back(r);
}

void TPianoRoll::DrawBars(QPainter& canvas)
{
    TCustomBarControl::DrawBars(canvas);
    const QRect area = DrawArea();
    const int right = area.x() + area.width() - 1;
    const int rulerTop = RulerTop();
    canvas.drawLine(area.x(), rulerTop, right, rulerTop);
    const int octave = 7 * whiteNoteHeight_;
    if (octave <= 0)
        return;
    canvas.setPen(QPen(Qt::black, 0, Qt::DotLine));
    for (int y = rulerTop - octave; y > 0; y -= octave)
        canvas.drawLine(area.x(), y, right, y);
    canvas.setPen(QPen(Qt::black, 0));
}

void TPianoRoll::DrawContents(QPainter& canvas)
{
    const QRect area = DrawArea();
    const int rulerTop = RulerTop();
    canvas.setClipRect(QRect(area.x(), area.y(), area.width(), rulerTop - area.y()));
    canvas.setPen(QPen(Qt::black, 0));
    const int h = whiteNoteHeight_ / 2;
    const int right = area.x() + area.width();
    for (const TNoteRect& n : noteRects_) {
        const int left = Near(n.Left, area.x(), right);
        const int noteRight = Near(n.Right, area.x(), right);
        const int bottom = Near(n.Bottom, area.y(), rulerTop);
        const int top = Near(n.Bottom - h, area.y(), rulerTop);
        if (noteRight <= left || bottom <= top)
            continue;
        canvas.setBrush(n.Selected ? QColor(192, 192, 192) : QColor(Qt::white));
        canvas.drawRect(QRect(left, top, noteRight - left - 1, bottom - top - 1));
    }
    canvas.setBrush(Qt::NoBrush);
}

void TPianoRoll::MouseMoved(QPoint p)
{
    if (!savedCursor_)
        savedCursor_ = cursor();
    if (dragMode_ != 0) {
        DragStep(p);
        return;
    }
    const int before = hoverIndex_;
    hoverIndex_ = -1;
    const int h = whiteNoteHeight_ / 2;
    for (int i = 0; i < NoteCount(); ++i) {
        const TNoteRect& n = noteRects_[std::size_t(i)];
        if (p.x() < n.Left || p.x() >= n.Right || p.y() < n.Bottom - h || p.y() >= n.Bottom)
            continue;
        hoverIndex_ = i;
        if (p.x() <= n.Left + 2)
            setCursor(LeftStretchCursor);
        else if (p.x() < n.Right - 2)
            setCursor(NoteCursor);
        else
            setCursor(RightStretchCursor);
        break;
    }
    if (hoverIndex_ == -1)
        setCursor(*savedCursor_);
    if (hoverIndex_ != before && OnFocus)
        OnFocus(this);
    TCustomBarControl::MouseMoved(p);
}

void TPianoRoll::mousePressEvent(QMouseEvent* event)
{
    Guarded([&] {
        if (event->button() != Qt::LeftButton)
            return;
        const QPoint p = event->position().toPoint();
        if (hoverIndex_ >= 0 && hoverIndex_ < NoteCount()) {
            dragNote_ = noteRects_[std::size_t(hoverIndex_)];
            downPoint_ = dragPoint_ = p;
            dragMarks_ = true;
            outlineDrawn_ = false;
            if (p.x() < dragNote_.Left + 2)
                dragMode_ = 1;
            else if (p.x() > dragNote_.Right - 2)
                dragMode_ = 2;
            else
                dragMode_ = 3;
            update();
            return;
        }
        if (OnStartSelection)
            OnStartSelection(this, XToTick(p.x()));
    });
    QWidget::mousePressEvent(event);
}

void TPianoRoll::mouseReleaseEvent(QMouseEvent* event)
{
    Guarded([&] {
        if (event->button() != Qt::LeftButton)
            return;
        if (dragMode_ != 0) {
            int left, right, bottom;
            DraggedNote(dragPoint_, left, right, bottom);
            dragMode_ = 0;
            if (OnNoteMoved)
                OnNoteMoved(this, YToNote(bottom), XToTick(left), XToTick(right));
            return;
        }
        if (OnEndSelection)
            OnEndSelection(this, XToTick(event->position().toPoint().x()));
    });
    QWidget::mouseReleaseEvent(event);
}

void TPianoRoll::DraggedNote(QPoint q, int& left, int& right, int& bottom) const
{
    const int dx = q.x() - downPoint_.x();
    const int dy = q.y() - downPoint_.y();
    left = dragMode_ == 2 ? dragNote_.Left : dragNote_.Left + dx;
    right = dragMode_ == 1 ? dragNote_.Right : dragNote_.Right + dx;
    bottom = dragMode_ == 3 ? dragNote_.Bottom + dy : dragNote_.Bottom;
}

void TPianoRoll::DragStep(QPoint p)
{
    if (p == dragPoint_)
        return;
    dragPoint_ = p;
    outlineDrawn_ = true;
    update();
    int left, right, bottom;
    DraggedNote(p, left, right, bottom);
    if (OnNoteMoving)
        OnNoteMoving(this, YToNote(bottom), XToTick(left), XToTick(right));
}

void TPianoRoll::DrawOutline(QPainter& canvas, QPoint q) const
{
    int l, r, b;
    DraggedNote(q, l, r, b);
    const int top = b - whiteNoteHeight_ / 2;
    Segment(canvas, l, b - 1, l, top);
    Segment(canvas, l, top, r, top);
    Segment(canvas, r - 1, top + 1, r - 1, b - 1);
    Segment(canvas, r - 1, b - 1, l, b - 1);
}

void TPianoRoll::DrawOverlay(QPainter& canvas)
{
    if (dragMarks_) {
        const QRect area = DrawArea();
        const int h = whiteNoteHeight_ / 2;
        canvas.setClipRect(QRect(area.x(), area.y(), area.width(), RulerTop() - area.y()));
        const int left = dragNote_.Left + 1;
        const int top = dragNote_.Bottom - h + 1;
        const int right = dragNote_.Right - 1;
        const int bottom = dragNote_.Bottom - 1;
        if (right > left && bottom > top)
            canvas.fillRect(QRect(left, top, right - left, bottom - top), Color());
        if (outlineDrawn_) {
            // Inverting strokes: the first one inverts the note's own border, the second
            // draws the moved outline; where they meet they cancel, as on a screen drawn
            // in xor mode.
            canvas.setClipping(false);
            canvas.setCompositionMode(QPainter::RasterOp_SourceXorDestination);
            canvas.setPen(QPen(Qt::white, 0));
            DrawOutline(canvas, downPoint_);
            DrawOutline(canvas, dragPoint_);
            canvas.setCompositionMode(QPainter::CompositionMode_SourceOver);
        }
    }
    TCustomBarControl::DrawOverlay(canvas);
}

void TPianoRoll::Invalidate()
{
    if (dragMode_ == 0)
        dragMarks_ = outlineDrawn_ = false;
    TCustomBarControl::Invalidate();
}
