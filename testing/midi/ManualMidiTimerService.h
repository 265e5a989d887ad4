#pragma once

#include "midi/MidiTimer.h"
#include "platform/Override.h"

#include <functional>
#include <memory>
#include <mutex>

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

// Players made without a service of their own use service until the guard goes.
inline TOverride OverrideMidiTimerService(TMidiTimerService& service)
{
    TMidiTimerService* previous = SetMidiTimerService(&service);
    return TOverride([previous] { SetMidiTimerService(previous); });
}
