#include "sound/ManualSoundOutput.h"

#include <algorithm>

bool TManualSoundOutput::Connected() const
{
    std::lock_guard lock(mutex_);
    return connected_;
}

void TManualSoundOutput::Attach(TSoundSource* source)
{
    std::lock_guard lock(mutex_);
    sources_.push_back(source);
    if (connected_)
        source->Restored();
    else
        source->Lost();
}

void TManualSoundOutput::Detach(TSoundSource* source)
{
    std::lock_guard lock(mutex_);
    sources_.erase(std::remove(sources_.begin(), sources_.end(), source), sources_.end());
}

void TManualSoundOutput::Wake()
{
    std::lock_guard lock(mutex_);
    ++wakes_;
}

int TManualSoundOutput::Wakes() const
{
    std::lock_guard lock(mutex_);
    return wakes_;
}

bool TManualSoundOutput::AnyPending() const
{
    std::lock_guard lock(mutex_);
    return std::any_of(sources_.begin(), sources_.end(), [](const TSoundSource* s) { return s->Pending(); });
}

std::vector<float> TManualSoundOutput::Pull(int frames, std::int64_t heardUs, bool* audible)
{
    const int blocks = (std::max(frames, 1) + BlockFrames - 1) / BlockFrames;
    std::vector<float> mix(std::size_t(blocks) * BlockFrames * 2, 0.0f);
    bool any = false;
    std::lock_guard lock(mutex_);
    if (connected_)
        for (TSoundSource* source : sources_)
            any = source->Mix(mix.data(), blocks * BlockFrames, heardUs) || any;
    if (audible)
        *audible = any;
    return mix;
}

void TManualSoundOutput::SetConnected(bool connected)
{
    std::lock_guard lock(mutex_);
    if (connected == connected_)
        return;
    connected_ = connected;
    for (TSoundSource* source : sources_) {
        if (connected)
            source->Restored();
        else
            source->Lost();
    }
}
