#include "midi/ManualMidiTimerService.h"

namespace {
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
