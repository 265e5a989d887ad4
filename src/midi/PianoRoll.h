#pragma once

#include "midi/BarControl.h"

#include <QCursor>

#include <optional>
#include <vector>

struct TMidiEvent;
class TPianoRoll;

using TOnNoteMoving = std::function<void(TPianoRoll* sender, int note, int startPos, int endPos)>;
using TPianoRollNotifyEvent = std::function<void(TPianoRoll* sender)>;

// One note bar in view: x from the note-on to the note-off, and its bottom edge.
struct TNoteRect {
    int Left = 0;
    int Right = 0;
    int Bottom = 0;
    const TMidiEvent* NoteOn = nullptr;
    bool Selected = false;
};

// One track of a song drawn as note bars over the bar ruler; the vertical scroll bar moves
// by octaves. Notes can be dragged by their edges or whole: the control only reports where
// they would go and leaves the song alone.
class TPianoRoll : public TCustomBarControl {
    Q_OBJECT
public:
    static constexpr int MaxNotes = 1024;

    explicit TPianoRoll(QWidget* parent = nullptr);

    int WhiteNoteHeight() const { return whiteNoteHeight_; }
    void SetWhiteNoteHeight(int height);

    TOnNoteMoving OnNoteMoving;
    TOnNoteMoving OnNoteMoved;
    QCursor NoteCursor{Qt::OpenHandCursor};
    QCursor LeftStretchCursor{Qt::SizeHorCursor};
    QCursor RightStretchCursor{Qt::SizeHorCursor};
    TPianoRollNotifyEvent OnFocus;

    // The y of the bottom edge of note n's bar, and the note whose bar has its bottom at y.
    int NoteBottom(int note) const;
    int YToNote(int y) const;

    int NoteCount() const { return int(noteRects_.size()); }
    const TNoteRect& NoteRects(int i) const { return noteRects_[std::size_t(i)]; }
    int HoverIndex() const { return hoverIndex_; }
    int DragMode() const { return dragMode_; }

    void CalcLayout() override;

protected:
    void DrawBars(QPainter& canvas) override;
    void DrawContents(QPainter& canvas) override;
    void MouseMoved(QPoint p) override;
    void DrawOverlay(QPainter& canvas) override;
    void Invalidate() override;

    void mousePressEvent(QMouseEvent* event) override;
    void mouseReleaseEvent(QMouseEvent* event) override;

private:
    int whiteNoteHeight_ = 16;
    std::vector<TNoteRect> noteRects_;
    int hoverIndex_ = -1;
    int dragMode_ = 0;
    // The note being dragged, as it was laid out at button-down.
    TNoteRect dragNote_;
    QPoint downPoint_;
    QPoint dragPoint_;
    // Drag marks on screen: the emptied note, and whether an outline has been drawn. They
    // outlive the drag until the next full repaint.
    bool dragMarks_ = false;
    bool outlineDrawn_ = false;
    std::optional<QCursor> savedCursor_;

    void CalcNotes();
    void AddNote(const TMidiEvent& noteOff, const TMidiEvent& noteOn);
    void DragStep(QPoint p);
    // The dragged note's left, right and bottom for the mouse at q.
    void DraggedNote(QPoint q, int& left, int& right, int& bottom) const;
    void DrawOutline(QPainter& canvas, QPoint q) const;
};
