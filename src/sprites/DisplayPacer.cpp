#include "sprites/DisplayPacer.h"

#include "platform/Clock.h"
#include "platform/Guard.h"

#include <QScreen>
#include <QWidget>

#include <algorithm>

namespace {
std::int64_t NowUs()
{
    static const TMonotonicClock clock;
    return clock.NowMicroseconds();
}
}

TDisplayPacer::TDisplayPacer(QWidget* widget) : QObject(widget), widget_(widget)
{
    timer_.setSingleShot(true);
    timer_.setTimerType(Qt::PreciseTimer);
    connect(&timer_, &QTimer::timeout, this, [this] { Guarded([this] { Fire(); }); });
}

double TDisplayPacer::RefreshHz() const
{
    const QScreen* screen = widget_ ? widget_->screen() : nullptr;
    const double hz = screen ? screen->refreshRate() : 0.0;
    // A screen that reports nothing sensible is taken for the common 60 Hz.
    return hz >= 20.0 && hz <= 500.0 ? hz : 60.0;
}

void TDisplayPacer::Start()
{
    if (running_)
        return;
    running_ = true;
    periodUs_ = std::int64_t(1e6 / RefreshHz());
    nextUs_ = NowUs() + periodUs_;
    Arm();
}

void TDisplayPacer::Stop()
{
    running_ = false;
    timer_.stop();
}

void TDisplayPacer::Drawn()
{
    drawnUs_ = NowUs();
    // The frames that follow keep a refresh's distance from this one.
    if (running_) {
        nextUs_ = drawnUs_ + periodUs_;
        Arm();
    }
}

bool TDisplayPacer::JustDrawn() const { return NowUs() - drawnUs_ < periodUs_ / 2; }

void TDisplayPacer::Arm()
{
    const std::int64_t waitUs = std::max<std::int64_t>(0, nextUs_ - NowUs());
    // Timers count whole milliseconds: rounding up never fires before the refresh is due.
    timer_.start(int((waitUs + 999) / 1000));
}

void TDisplayPacer::Fire()
{
    if (!running_)
        return;
    nextUs_ += periodUs_;
    // A frame that came late skips the refreshes it missed instead of catching up in a burst.
    const std::int64_t now = NowUs();
    if (nextUs_ < now)
        nextUs_ = now + periodUs_;
    Arm();
    if (OnFrame)
        OnFrame();
}
