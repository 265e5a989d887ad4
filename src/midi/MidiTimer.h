#pragma once

#include <functional>
#include <memory>
#include <mutex>

// A running periodic timer. Kill waits for a tick in progress to finish, so after it returns
// no tick runs any more; it must not be called from inside a tick.
class TMidiTimer {
public:
    virtual ~TMidiTimer() = default;
    virtual void Kill() = 0;
};

// The timer services the player needs: a resolution request around playing and a periodic
// tick. A tick returns false to end its timer from inside (the player stopping at the end).
class TMidiTimerService {
public:
    virtual ~TMidiTimerService() = default;
    virtual int MinimumPeriod() const = 0;
    virtual bool BeginPeriod(int periodMs) = 0;
    virtual void EndPeriod(int periodMs) = 0;
    virtual std::unique_ptr<TMidiTimer> StartPeriodic(int periodMs, std::function<bool()> tick) = 0;
};

// Ticks on a dedicated thread that sleeps to absolute deadlines on the monotonic clock.
class TThreadMidiTimerService final : public TMidiTimerService {
public:
    int MinimumPeriod() const override { return 1; }
    bool BeginPeriod(int) override { return true; }
    void EndPeriod(int) override {}
    std::unique_ptr<TMidiTimer> StartPeriodic(int periodMs, std::function<bool()> tick) override;
};

// Ticks only when told to: tests and the headless harness fire each tick themselves, on
// their own thread, with a manual clock.
class TManualMidiTimerService final : public TMidiTimerService {
public:
    int MinimumPeriod() const override { return 1; }
    bool BeginPeriod(int periodMs) override;
    void EndPeriod(int periodMs) override;
    std::unique_ptr<TMidiTimer> StartPeriodic(int periodMs, std::function<bool()> tick) override;

    // Runs one tick of the running timer; false when no timer runs.
    bool Fire();
    bool Running() const;
    int PeriodMs() const;
    int OpenPeriodRequests() const;
    bool FailBeginPeriod = false;
    bool FailStartPeriodic = false;

    struct TShared {
        std::mutex mutex;
        std::function<bool()> tick;
        int periodMs = 0;
        int periodRequests = 0;
        unsigned generation = 0;
    };

private:
    std::shared_ptr<TShared> shared_ = std::make_shared<TShared>();
};

// The service players use unless given one; a harness may replace it (nullptr restores).
TMidiTimerService& MidiTimerService();
void SetMidiTimerService(TMidiTimerService* service);
