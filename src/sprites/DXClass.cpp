#include "sprites/DXClass.h"

#include "platform/Clock.h"
#include "platform/Guard.h"

#include <QGuiApplication>

#include <algorithm>
#include <cmath>

TDXTimer::TDXTimer(QObject* parent, TClock* clock) : QObject(parent), clock_(clock)
{
    timer_.setSingleShot(true);
    timer_.setTimerType(Qt::PreciseTimer);
    connect(&timer_, &QTimer::timeout, this, [this] { Guarded([this] { DoIdle(); }); });
    if (auto* app = qobject_cast<QGuiApplication*>(QCoreApplication::instance())) {
        connect(app, &QGuiApplication::applicationStateChanged, this, [this](Qt::ApplicationState state) {
            Guarded([this, state] {
                if (state == Qt::ApplicationActive)
                    AppActivated();
                else
                    AppDeactivated();
            });
        });
    }
}

TDXTimer::~TDXTimer() { Finalize(); }

std::int64_t TDXTimer::Now() const { return (clock_ ? *clock_ : GameClock()).NowMilliseconds(); }

void TDXTimer::SetActiveOnly(bool value)
{
    if (activeOnly_ == value)
        return;
    activeOnly_ = value;
    if (initialized_)
        Initialize();
}

void TDXTimer::SetEnabled(bool value)
{
    if (enabled_ == value)
        return;
    enabled_ = value;
    if (enabled_)
        Initialize();
    else
        Finalize();
}

void TDXTimer::SetInterval(int value)
{
    interval_ = std::max(value, 0);
    lagDivisor_ = std::max(value, 1);
    if (running_)
        Arm(0);
}

void TDXTimer::Loaded()
{
    if (enabled_)
        Initialize();
}

void TDXTimer::Initialize()
{
    Finalize();
    const bool active = QGuiApplication::applicationState() == Qt::ApplicationActive;
    if (!activeOnly_ || active)
        Resume();
    initialized_ = true;
}

void TDXTimer::Finalize()
{
    if (!initialized_)
        return;
    Suspend();
    initialized_ = false;
}

void TDXTimer::Resume()
{
    // Restarting the count from now is what keeps a long inactive spell from coming back as
    // a burst of frames.
    oldTime_ = Now();
    rateStart_ = oldTime_;
    running_ = true;
    Arm(interval_);
}

void TDXTimer::Suspend()
{
    running_ = false;
    timer_.stop();
}

void TDXTimer::Arm(std::int64_t delayMs)
{
    if (!running_)
        return;
    timer_.start(static_cast<int>(std::clamp<std::int64_t>(delayMs, 0, 1 << 30)));
}

void TDXTimer::AppActivated()
{
    if (OnActivate)
        OnActivate();
    if (initialized_ && activeOnly_ && !running_)
        Resume();
}

void TDXTimer::AppDeactivated()
{
    if (OnDeactivate)
        OnDeactivate();
    if (initialized_ && activeOnly_)
        Suspend();
}

void TDXTimer::DoIdle()
{
    const std::int64_t now = Now();
    const std::int64_t elapsed = now - oldTime_;
    if (elapsed < interval_) {
        Arm(interval_ - elapsed);
        return;
    }
    const int lag = static_cast<int>(elapsed / lagDivisor_);
    oldTime_ = now;
    ++frameCount_;
    const std::int64_t rateSpan = std::max<std::int64_t>(now - rateStart_, 1);
    if (rateSpan >= 1000) {
        frameRate_ = static_cast<int>(std::lround(frameCount_ * 1000.0 / static_cast<double>(rateSpan)));
        frameCount_ = 0;
        rateStart_ = now;
    }
    // Armed before the frame runs so that a frame that throws does not stop the frames.
    Arm(interval_);
    if (OnTimer)
        OnTimer(std::max(lag, 1));
}
