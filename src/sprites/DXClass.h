#pragma once

#include <QObject>
#include <QTimer>

#include <cstdint>
#include <functional>

class TClock;

// Calls OnTimer at most once per Interval. Instead of spinning in idle processing it arms a
// timer for the moment the next frame falls due, so an idle game costs next to no CPU.
class TDXTimer : public QObject {
    Q_OBJECT
public:
    explicit TDXTimer(QObject* parent = nullptr, TClock* clock = nullptr);
    ~TDXTimer() override;

    bool ActiveOnly() const { return activeOnly_; }
    void SetActiveOnly(bool value);
    bool Enabled() const { return enabled_; }
    void SetEnabled(bool value);
    int Interval() const { return interval_; }
    void SetInterval(int value);
    int FrameRate() const { return frameRate_; }
    bool Initialized() const { return initialized_; }
    bool Running() const { return running_; }

    // The owning form calls this once it is fully built.
    void Loaded();

    // One idle call: runs a frame if one is due. The armed timer calls it; tests may too.
    void DoIdle();

    // Application activation, as the window system reports it.
    void AppActivated();
    void AppDeactivated();

    std::function<void()> OnActivate, OnDeactivate;
    std::function<void(int lagCount)> OnTimer;

private:
    void Initialize();
    void Finalize();
    void Resume();
    void Suspend();
    void Arm(std::int64_t delayMs);
    std::int64_t Now() const;

    TClock* clock_;
    QTimer timer_;
    bool activeOnly_ = true;
    bool enabled_ = true;
    bool initialized_ = false;
    bool running_ = false;
    int interval_ = 1000;
    int lagDivisor_ = 1000;
    std::int64_t oldTime_ = 0;
    std::int64_t rateStart_ = 0;
    int frameCount_ = 0;
    int frameRate_ = 0;
};
