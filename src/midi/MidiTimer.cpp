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
        // A tick that kills its own timer cannot wait for itself: it runs out, no other follows,
        // and the timer is destroyed later from another thread.
        if (thread_.joinable() && thread_.get_id() != std::this_thread::get_id())
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
