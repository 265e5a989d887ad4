#include "midi/MidiTimer.h"

#include <atomic>
#include <cerrno>
#include <ctime>
#include <thread>

namespace {
class TThreadMidiTimer final : public TMidiTimer {
public:
    TThreadMidiTimer(int periodMs, std::function<bool()> tick) : shared_(std::make_shared<TShared>())
    {
        shared_->periodNs = std::int64_t(periodMs < 1 ? 1 : periodMs) * 1000000;
        shared_->tick = std::move(tick);
        // The thread keeps its own share, so that it may outlive this object when the timer is
        // killed from one of its own ticks.
        thread_ = std::thread([shared = shared_] { Run(*shared); });
    }
    ~TThreadMidiTimer() override { Kill(); }

    void Kill() override
    {
        shared_->stop.store(true, std::memory_order_release);
        if (!thread_.joinable())
            return;
        // A tick that kills its own timer cannot wait for itself: the thread ends once it returns.
        if (thread_.get_id() == std::this_thread::get_id())
            thread_.detach();
        else
            thread_.join();
    }

private:
    struct TShared {
        std::int64_t periodNs = 0;
        std::function<bool()> tick;
        std::atomic<bool> stop{false};
    };
    std::shared_ptr<TShared> shared_;
    std::thread thread_;

    static std::int64_t Now()
    {
        timespec ts{};
        clock_gettime(CLOCK_MONOTONIC, &ts);
        return std::int64_t(ts.tv_sec) * 1000000000 + ts.tv_nsec;
    }

    static void Run(TShared& shared)
    {
        std::int64_t deadline = Now() + shared.periodNs;
        while (!shared.stop.load(std::memory_order_acquire)) {
            timespec ts{time_t(deadline / 1000000000), long(deadline % 1000000000)};
            while (clock_nanosleep(CLOCK_MONOTONIC, TIMER_ABSTIME, &ts, nullptr) == EINTR) {
            }
            if (shared.stop.load(std::memory_order_acquire) || !shared.tick())
                return;
            deadline += shared.periodNs;
            // After a long stall, wake on the period again instead of firing a burst of ticks.
            const std::int64_t now = Now();
            if (deadline < now)
                deadline = now + shared.periodNs;
        }
    }
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

TMidiTimerService& MidiTimerService() { return *currentService.load(std::memory_order_acquire); }

TMidiTimerService* SetMidiTimerService(TMidiTimerService* service)
{
    return currentService.exchange(service ? service : &realtimeService, std::memory_order_acq_rel);
}
