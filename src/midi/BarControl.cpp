#include "midi/BarControl.h"

#include "midi/BarGeometry.h"
#include "midi/MidiData.h"
#include "platform/Guard.h"

#include <QCursor>
#include <QKeyEvent>
#include <QPainter>

#include <algorithm>

TCustomBarControl::TCustomBarControl(QWidget* parent) : QWidget(parent)
{
    resize(185, 41);
    setFocusPolicy(Qt::StrongFocus);
    setAttribute(Qt::WA_OpaquePaintEvent);
    setMouseTracking(true);

    HorzBar = new QScrollBar(Qt::Horizontal, this);
    HorzBar->setObjectName("HorzBar");
    HorzBar->setFocusPolicy(Qt::NoFocus);
    HorzBar->setRange(0, 0);
    HorzBar->setSingleStep(1);
    HorzBar->setPageStep(1);
    VertBar = new QScrollBar(Qt::Vertical, this);
    VertBar->setObjectName("VertBar");
    VertBar->setFocusPolicy(Qt::NoFocus);
    VertBar->setRange(0, 11);
    VertBar->setValue(7);
    VertBar->setSingleStep(1);
    VertBar->setPageStep(1);

    connect(HorzBar, &QScrollBar::valueChanged, this, [this](int v) { Guarded([&] { HorzBarChanged(v); }); });
    connect(VertBar, &QScrollBar::actionTriggered, this, [this](int action) {
        switch (action) {
        case QAbstractSlider::SliderSingleStepSub: lastVertCode_ = scLineUp; break;
        case QAbstractSlider::SliderSingleStepAdd: lastVertCode_ = scLineDown; break;
        case QAbstractSlider::SliderPageStepSub: lastVertCode_ = scPageUp; break;
        case QAbstractSlider::SliderPageStepAdd: lastVertCode_ = scPageDown; break;
        case QAbstractSlider::SliderToMinimum: lastVertCode_ = scTop; break;
        case QAbstractSlider::SliderToMaximum: lastVertCode_ = scBottom; break;
        case QAbstractSlider::SliderMove: lastVertCode_ = scTrack; break;
        default: lastVertCode_ = scPosition; break;
        }
    });
    connect(VertBar, &QScrollBar::valueChanged, this, [this](int v) { Guarded([&] { VertBarChanged(v); }); });

    // Measure the (still absent) song so the bar range starts out consistent.
    leftEdge_.SetMidiData(midiData_);
    leftEdge_.Reset();
    leftEdge_.SeekToEnd();
    HorzBar->setMaximum(std::max(0, leftEdge_.Bar));
    leftEdge_.SeekTick(0);
}

TCustomBarControl::~TCustomBarControl() = default;

void TCustomBarControl::SetMidiData(TMidiData* data)
{
    if (data == midiData_)
        return;
    midiData_ = data;
    leftEdge_.SetMidiData(data);
    Rescan();
}

void TCustomBarControl::Rescan()
{
    leftEdge_.Reset();
    leftEdge_.SeekToEnd();
    {
        // The view goes back to the start below; the bar moves with it without a scroll step.
        const QSignalBlocker block(HorzBar);
        HorzBar->setMaximum(std::max(0, leftEdge_.Bar));
        HorzBar->setValue(0);
    }
    leftEdge_.SeekTick(0);
    leftPosition_ = 0;
    activeLineX_ = -1;
    SetTrack(0);
    Invalidate();
}

void TCustomBarControl::SetTrack(int track)
{
    if (track == track_)
        return;
    track_ = track;
    Invalidate();
}

void TCustomBarControl::SetQNWidth(int width)
{
    if (width <= 3 || width == qnWidth_)
        return;
    qnWidth_ = width;
    Invalidate();
}

void TCustomBarControl::SetLeftPosition(int tick)
{
    if (tick == leftPosition_)
        return;
    leftPosition_ = tick;
    leftEdge_.SeekTick(tick);
    leftEdge_.SetBarBeatTick(leftEdge_.Bar, 0, 0);
    {
        const QSignalBlocker block(HorzBar);
        // A position past the measured end widens the range rather than being cut back to it.
        if (leftEdge_.Bar > HorzBar->maximum())
            HorzBar->setMaximum(leftEdge_.Bar);
        HorzBar->setValue(leftEdge_.Bar);
    }
    Invalidate();
}

void TCustomBarControl::SetActivePosition(int tick)
{
    if (tick == activePosition_)
        return;
    // Scrolling since the last paint leaves the table behind the view; lay it out afresh.
    CalcLayout();
    int x = TickToX(tick);
    const QRect area = DrawArea();
    if (x < 0 || x > area.x() + area.width()) {
        SetLeftPosition(tick);
        // The new left edge has to be laid out before the line's place can be known.
        CalcLayout();
        x = TickToX(tick);
    }
    activePosition_ = tick;
    activeLineX_ = x;
    update();
}

QRect TCustomBarControl::DrawArea() const
{
    return QRect(0, 0, std::max(0, width() - VertBar->sizeHint().width()),
                 std::max(0, height() - HorzBar->sizeHint().height()));
}

int TCustomBarControl::RulerTop() const
{
    const QRect area = DrawArea();
    return area.y() + area.height() - RulerHeight;
}

int TCustomBarControl::SongPPQN() const { return midiData_ ? midiData_->PPQN() : 0; }

void TCustomBarControl::CalcLayout()
{
    TMidiPosition pos;
    pos.Assign(leftEdge_);
    const QRect area = DrawArea();
    const int right = area.x() + area.width();
    std::int64_t x = 0;
    barCount_ = 0;
    // The table is fixed in size: a view wider than it shows empty space at the right.
    while (x < right && barCount_ < MaxBars) {
        TBarLayoutEntry& e = barLayout_[barCount_++];
        e.X = int(x);
        e.Tick = pos.Tick;
        e.DenominatorPower = pos.DenominatorPower;
        e.BeatsPerBar = pos.BeatsPerBar;
        e.BeatWidth = Clamp32(bargeometry::Shift(qnWidth_, 2 - pos.DenominatorPower));
        x += std::int64_t(e.BeatWidth) * e.BeatsPerBar;
        pos.SetBarBeatTick(pos.Bar + 1, 0, 0);
    }
    endTick_ = Clamp32(std::int64_t(pos.Tick) + pos.TicksPerBar);
}

int TCustomBarControl::TickToX(int tick) const
{
    const int ppqn = SongPPQN();
    if (ppqn <= 0 || barCount_ == 0)
        return 0;
    int i = 0;
    while (i + 1 < barCount_ && barLayout_[i + 1].Tick < tick)
        ++i;
    const TBarLayoutEntry& e = barLayout_[i];
    std::int64_t q = (std::int64_t(tick) - e.Tick) * e.BeatWidth / ppqn;
    q = bargeometry::Shift(q, e.DenominatorPower - 2);
    return Clamp32(e.X + q);
}

int TCustomBarControl::EntryAtX(int x) const
{
    int i = 0;
    while (i + 1 < barCount_ && x >= barLayout_[i + 1].X)
        ++i;
    return i;
}

int TCustomBarControl::XToTick(int x) const
{
    const int ppqn = SongPPQN();
    if (ppqn <= 0 || barCount_ == 0)
        return 0;
    const TBarLayoutEntry& e = barLayout_[EntryAtX(x)];
    if (e.BeatWidth <= 0)
        return e.Tick;
    std::int64_t q = (std::int64_t(x) - e.X) * ppqn / e.BeatWidth;
    q = bargeometry::Shift(q, 2 - e.DenominatorPower);
    return Clamp32(e.Tick + q);
}

TBarBeatTick TCustomBarControl::XToBarBeatTick(int x) const
{
    TBarBeatTick r;
    const int ppqn = SongPPQN();
    if (ppqn <= 0 || barCount_ == 0)
        return r;
    const int i = EntryAtX(x);
    const TBarLayoutEntry& e = barLayout_[i];
    r.Bar = i + HorzBar->value() + 1;
    if (e.BeatWidth <= 0)
        return r;
    const std::int64_t dx = std::int64_t(x) - e.X;
    r.Beat = Clamp32(dx / e.BeatWidth);
    const std::int64_t q = ppqn * dx / e.BeatWidth;
    r.Tick = Clamp32(bargeometry::Shift(q % ppqn, 2 - e.DenominatorPower));
    return r;
}

void TCustomBarControl::DrawBars(QPainter& canvas)
{
    const QRect area = DrawArea();
    const int rulerTop = RulerTop();
    const int bottom = area.y() + area.height();
    const int right = area.x() + area.width();
    canvas.setClipRect(area);
    canvas.fillRect(QRect(area.x(), area.y(), area.width(), rulerTop - area.y()), Color());
    canvas.fillRect(QRect(area.x(), rulerTop, area.width(), bottom - rulerTop), palette().color(QPalette::Button));
    canvas.setPen(QPen(Qt::black, 0));
    const QFontMetrics metrics(font());
    for (int i = 0; i < barCount_; ++i) {
        const TBarLayoutEntry& e = barLayout_[i];
        if (i > 0) {
            canvas.drawLine(e.X, area.y(), e.X, bottom - 1);
            const TBarLayoutEntry& prev = barLayout_[i - 1];
            const QString number = QString::number(HorzBar->value() + i);
            const int textWidth = metrics.horizontalAdvance(number);
            const int left = e.X - (prev.BeatsPerBar * prev.BeatWidth) / 2 - textWidth / 2;
            canvas.drawText(QRect(left, rulerTop + 3, textWidth + 1, metrics.height()), Qt::AlignLeft | Qt::AlignTop,
                            number);
        }
        for (int k = 1; k < e.BeatsPerBar; ++k) {
            const std::int64_t bx = std::int64_t(e.X) + std::int64_t(e.BeatWidth) * k;
            if (bx >= right)
                break;
            canvas.drawLine(int(bx), rulerTop + 6, int(bx), rulerTop + 1);
        }
    }
    canvas.drawLine(area.x(), rulerTop, right - 1, rulerTop);
}

void TCustomBarControl::DrawContents(QPainter&) {}

void TCustomBarControl::DrawOverlay(QPainter& canvas)
{
    if (activeLineX_ == -1)
        return;
    canvas.setClipping(false);
    canvas.setCompositionMode(QPainter::RasterOp_NotSourceXorDestination);
    canvas.setPen(QPen(Qt::red, 0));
    canvas.drawLine(activeLineX_, 0, activeLineX_, height() - 1);
    canvas.setCompositionMode(QPainter::CompositionMode_SourceOver);
}

void TCustomBarControl::MouseMoved(QPoint p)
{
    if (!OnMouseMoved)
        return;
    const TBarBeatTick at = XToBarBeatTick(p.x());
    OnMouseMoved(this, at.Bar, at.Beat, at.Tick);
}

void TCustomBarControl::Invalidate() { update(); }

void TCustomBarControl::paintEvent(QPaintEvent*)
{
    Guarded([this] {
        QPainter canvas(this);
        canvas.setFont(font());
        CalcLayout();
        // The line stays with its tick when the layout under it changed size.
        if (activeLineX_ != -1)
            activeLineX_ = TickToX(activePosition_);
        DrawBars(canvas);
        DrawContents(canvas);
        canvas.setClipping(false);
        const QRect area = DrawArea();
        canvas.fillRect(QRect(area.x() + area.width(), area.y() + area.height(), width() - area.width(),
                              height() - area.height()),
                        palette().color(QPalette::Button));
        DrawOverlay(canvas);
        canvas.end();
        MouseMoved(mapFromGlobal(QCursor::pos()));
    });
}

void TCustomBarControl::resizeEvent(QResizeEvent*)
{
    const int barHeight = HorzBar->sizeHint().height();
    const int barWidth = VertBar->sizeHint().width();
    const int w = std::max(0, width() - barWidth);
    const int h = std::max(0, height() - barHeight);
    HorzBar->setGeometry(0, h, w, barHeight);
    VertBar->setGeometry(w, 0, barWidth, h);
    Invalidate();
}

void TCustomBarControl::keyPressEvent(QKeyEvent* event)
{
    switch (event->key()) {
    case Qt::Key_End: HorzBar->triggerAction(QAbstractSlider::SliderToMaximum); break;
    case Qt::Key_Home: HorzBar->triggerAction(QAbstractSlider::SliderToMinimum); break;
    case Qt::Key_Left: HorzBar->triggerAction(QAbstractSlider::SliderSingleStepSub); break;
    case Qt::Key_Right: HorzBar->triggerAction(QAbstractSlider::SliderSingleStepAdd); break;
    case Qt::Key_Up: VertBar->triggerAction(QAbstractSlider::SliderSingleStepSub); break;
    case Qt::Key_Down: VertBar->triggerAction(QAbstractSlider::SliderSingleStepAdd); break;
    default: QWidget::keyPressEvent(event); return;
    }
    event->accept();
}

void TCustomBarControl::mouseMoveEvent(QMouseEvent* event)
{
    Guarded([&] { MouseMoved(event->position().toPoint()); });
    QWidget::mouseMoveEvent(event);
}

void TCustomBarControl::showEvent(QShowEvent* event)
{
    QWidget::showEvent(event);
    if (announcedScroll_)
        return;
    announcedScroll_ = true;
    Guarded([this] {
        int pos = VertBar->value();
        if (OnScroll)
            OnScroll(nullptr, scPosition, pos);
    });
}

void TCustomBarControl::changeEvent(QEvent* event)
{
    if (event->type() == QEvent::ActivationChange)
        Invalidate();
    QWidget::changeEvent(event);
}

void TCustomBarControl::HorzBarChanged(int position)
{
    if (position == leftEdge_.Bar)
        return;
    leftEdge_.SetBarBeatTick(position, 0, 0);
    // Keep the stored left position with the view, so setting it back later is not ignored.
    leftPosition_ = leftEdge_.Tick;
    activeLineX_ = -1;
    Invalidate();
}

void TCustomBarControl::VertBarChanged(int position)
{
    activeLineX_ = -1;
    Invalidate();
    const TScrollCode code = lastVertCode_;
    lastVertCode_ = scPosition;
    int pos = position;
    if (OnScroll) {
        OnScroll(VertBar, code, pos);
        if (pos != position)
            VertBar->setValue(pos);
    }
}
