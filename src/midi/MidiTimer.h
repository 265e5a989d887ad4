#pragma once

#include <functional>
#include <memory>

// A running periodic timer. Kill waits for a tick in progress to finish, so after it returns
// no tick runs any more. Called from inside one of the timer's own ticks it only ends the
// timer: that tick runs to its end and no other follows; such a timer must then be destroyed
// from another thread, which waits for that last tick.
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

// The service players use unless given one. A test may put one of its own in place (nullptr
// puts the thread service back); the previous one is returned so that it can be restored.
TMidiTimerService& MidiTimerService();
TMidiTimerService* SetMidiTimerService(TMidiTimerService* service);
