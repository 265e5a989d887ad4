#pragma once

#include "midi/MidiIterator.h"

#include <QScrollBar>
#include <QWidget>

#include <array>
#include <cstdint>
#include <functional>

class TMidiData;
class QPainter;

// The scroll codes a scroll event reports, in the framework's order.
enum TScrollCode { scLineUp, scLineDown, scPageUp, scPageDown, scPosition, scTrack, scTop, scBottom, scEndScroll };

class TCustomBarControl;
using TOnStartSelection = std::function<void(TCustomBarControl* sender, int pos)>;
using TOnMouseMoved = std::function<void(TCustomBarControl* sender, int bar, int beat, int tick)>;
using TScrollEvent = std::function<void(QObject* sender, TScrollCode code, int& pos)>;

// One visible bar of the view.
struct TBarLayoutEntry {
    int X = 0;
    int Tick = 0;
    int DenominatorPower = 2;
    int BeatsPerBar = 4;
    int BeatWidth = 0;
};

// Bar, beat (from 0) and tick under an x coordinate; bars are counted from 1.
struct TBarBeatTick {
    int Bar = 0;
    int Beat = 0;
    int Tick = 0;
};

// A view of a song laid out bar by bar from a left edge, over a ruler of bar numbers and
// beat ticks, with a horizontal scroll bar stepping whole bars and a vertical one that
// descendants use for their own axis.
class TCustomBarControl : public QWidget {
    Q_OBJECT
public:
    static constexpr int MaxBars = 64;
    static constexpr int RulerHeight = 16;

    explicit TCustomBarControl(QWidget* parent = nullptr);
    ~TCustomBarControl() override;

    TMidiData* MidiData() const { return midiData_; }
    void SetMidiData(TMidiData* data);
    int Track() const { return track_; }
    void SetTrack(int track);
    int LeftPosition() const { return leftPosition_; }
    void SetLeftPosition(int tick);
    int ActivePosition() const { return activePosition_; }
    void SetActivePosition(int tick);
    int QNWidth() const { return qnWidth_; }
    void SetQNWidth(int width);

    // Measures the song again, sizes the bar scroll range to it and returns to its start.
    void Rescan();

    int TickToX(int tick) const;
    int XToTick(int x) const;
    TBarBeatTick XToBarBeatTick(int x) const;

    TOnStartSelection OnStartSelection;
    TOnStartSelection OnEndSelection;
    TOnMouseMoved OnMouseMoved;
    TScrollEvent OnScroll;

    QScrollBar* HorzBar;
    QScrollBar* VertBar;
    int SelectionStart = 0;
    int SelectionEnd = 0;

    const TMidiPosition& LeftEdge() const { return leftEdge_; }
    // The client area less the scroll bars; right and bottom are exclusive.
    QRect DrawArea() const;
    int RulerTop() const;
    int ActiveLineX() const { return activeLineX_; }
    int EndTick() const { return endTick_; }
    int BarCount() const { return barCount_; }
    const TBarLayoutEntry& BarLayout(int i) const { return barLayout_[i]; }
    // The control's background colour (the parent's unless set).
    QColor Color() const { return palette().color(backgroundRole()); }

    virtual void CalcLayout();

protected:
    virtual void DrawBars(QPainter& canvas);
    virtual void DrawContents(QPainter& canvas);
    virtual void MouseMoved(QPoint p);
    // Drawn over the contents after them: the active-position line here, a drag outline in
    // descendants. Stands in for drawing straight onto the screen in inverting modes.
    virtual void DrawOverlay(QPainter& canvas);

    // Asks for a full repaint; overlay-only changes just call update().
    virtual void Invalidate();

    void paintEvent(QPaintEvent* event) override;
    void resizeEvent(QResizeEvent* event) override;
    void keyPressEvent(QKeyEvent* event) override;
    void mouseMoveEvent(QMouseEvent* event) override;
    void showEvent(QShowEvent* event) override;
    void changeEvent(QEvent* event) override;

private:
    TMidiData* midiData_ = nullptr;
    int track_ = 0;
    int leftPosition_ = 0;
    int activePosition_ = 0;
    int qnWidth_ = 32;
    int activeLineX_ = -1;
    int endTick_ = 0;
    TMidiPosition leftEdge_;
    std::array<TBarLayoutEntry, MaxBars> barLayout_{};
    int barCount_ = 0;
    TScrollCode lastVertCode_ = scPosition;
    bool announcedScroll_ = false;

    int SongPPQN() const;
    int EntryAtX(int x) const;
    void HorzBarChanged(int position);
    void VertBarChanged(int position);
};
