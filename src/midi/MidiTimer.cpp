#include "midi/MidiTimer.h"

#include <atomic>
#include <cerrno>
#include <ctime>
#include <thread>

namespace {
class TThreadMidiTimer final : public TMidiTimer {
public:
    TThreadMidiTimer(int periodMs, std::function<bool()> tick)
        : periodNs_(std::int64_t(periodMs < 1 ? 1 : periodMs) * 1000000), tick_(std::move(tick))
    {
        thread_ = std::thread([this] { Run(); });
    }
    ~TThreadMidiTimer() override { Kill(); }

    void Kill() override
    {
        stop_.store(true, std::memory_order_release);
        if (thread_.joinable())
            thread_.join();
    }

private:
    std::int64_t periodNs_;
    std::function<bool()> tick_;
    std::atomic<bool> stop_{false};
    std::thread thread_;

    static std::int64_t Now()
    {
        timespec ts{};
        clock_gettime(CLOCK_MONOTONIC, &ts);
        return std::int64_t(ts.tv_sec) * 1000000000 + ts.tv_nsec;
    }

    void Run()
    {
        std::int64_t deadline = Now() + periodNs_;
        while (!stop_.load(std::memory_order_acquire)) {
            timespec ts{time_t(deadline / 1000000000), long(deadline % 1000000000)};
            while (clock_nanosleep(CLOCK_MONOTONIC, TIMER_ABSTIME, &ts, nullptr) == EINTR) {
            }
            if (stop_.load(std::memory_order_acquire) || !tick_())
                return;
            deadline += periodNs_;
            // After a long stall, wake on the period again instead of firing a burst of ticks.
            const std::int64_t now = Now();
            if (deadline < now)
                deadline = now + periodNs_;
        }
    }
};

class TManualMidiTimer final : public TMidiTimer {
public:
    TManualMidiTimer(std::shared_ptr<TManualMidiTimerService::TShared> shared, unsigned generation)
        : shared_(std::move(shared)), generation_(generation) {}
    ~TManualMidiTimer() override { Kill(); }
    void Kill() override
    {
        std::lock_guard lock(shared_->mutex);
        if (shared_->generation == generation_)
            shared_->tick = nullptr;
    }

private:
    std::shared_ptr<TManualMidiTimerService::TShared> shared_;
    unsigned generation_;
};

TThreadMidiTimerService realtimeService;
std::atomic<TMidiTimerService*> currentService{&realtimeService};
}

std::unique_ptr<TMidiTimer> TThreadMidiTimerService::StartPeriodic(int periodMs, std::function<bool()> tick)
{
    try {
        return std::make_unique<TThreadMidiTimer>(periodMs, std::move(tick));
    } catch (const std::system_error&) {
        return nullptr;  // no thread could be started
    }
}

bool TManualMidiTimerService::BeginPeriod(int)
{
    if (FailBeginPeriod)
        return false;
    std::lock_guard lock(shared_->mutex);
    ++shared_->periodRequests;
    return true;
}

void TManualMidiTimerService::EndPeriod(int)
{
    std::lock_guard lock(shared_->mutex);
    --shared_->periodRequests;
}

std::unique_ptr<TMidiTimer> TManualMidiTimerService::StartPeriodic(int periodMs, std::function<bool()> tick)
{
    if (FailStartPeriodic)
        return nullptr;
    std::lock_guard lock(shared_->mutex);
    shared_->tick = std::move(tick);
    shared_->periodMs = periodMs;
    return std::make_unique<TManualMidiTimer>(shared_, ++shared_->generation);
}

bool TManualMidiTimerService::Fire()
{
    std::function<bool()> tick;
    unsigned generation;
    {
        std::lock_guard lock(shared_->mutex);
        tick = shared_->tick;
        generation = shared_->generation;
    }
    if (!tick)
        return false;
    const bool keep = tick();
    if (!keep) {
        std::lock_guard lock(shared_->mutex);
        if (shared_->generation == generation)
            shared_->tick = nullptr;
    }
    return true;
}

bool TManualMidiTimerService::Running() const
{
    std::lock_guard lock(shared_->mutex);
    return bool(shared_->tick);
}

int TManualMidiTimerService::PeriodMs() const
{
    std::lock_guard lock(shared_->mutex);
    return shared_->periodMs;
}

int TManualMidiTimerService::OpenPeriodRequests() const
{
    std::lock_guard lock(shared_->mutex);
    return shared_->periodRequests;
}

TMidiTimerService& MidiTimerService() { return *currentService.load(std::memory_order_acquire); }

void SetMidiTimerService(TMidiTimerService* service)
{
    currentService.store(service ? service : &realtimeService, std::memory_order_release);
}
