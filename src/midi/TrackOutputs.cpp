#include "midi/TrackOutputs.h"

#include "midi/MidiData.h"
#include "midi/SongInstruments.h"

#include <algorithm>

TTrackOutput::TTrackOutput(TMidiTrackStream* track, int deviceId) : Track{track}, port_(std::make_unique<TMidiOutputPort>())
{
    port_->SetPortId(deviceId);
    port_->SetActive(true);
}

void TTrackOutputs::SetMidiData(TMidiData* data)
{
    if (data == midiData_)
        return;
    const bool wasActive = active_;
    SetActive(false);
    midiData_ = data;
    if (wasActive)
        SetActive(true);
}

void TTrackOutputs::SetActive(bool active)
{
    if (active == active_)
        return;
    active_ = active;
    if (!active) {
        outputs_.clear();
        return;
    }
    // Without a song there is nothing to route; the outputs are simply empty.
    if (!midiData_)
        return;
    for (int i = 0; i < midiData_->TrackCount(); ++i)
        outputs_.push_back(std::make_unique<TTrackOutput>(midiData_->Tracks(i), DefaultOutputPort));
    // Laid ready now, while the song waits for Start, rather than when its first notes are due.
    const std::vector<TMidiInstrument> instruments = SongInstruments(*midiData_);
    std::vector<TMidiDevice*> told;
    for (const auto& o : outputs_)
        if (TMidiDevice* device = o->Port()->DeviceHandle(); device && std::ranges::find(told, device) == told.end()) {
            device->Preload(instruments);
            told.push_back(device);
        }
}

TTrackOutput* TTrackOutputs::Outputs(int i) const
{
    return i < 0 || i >= OutputCount() ? nullptr : outputs_[std::size_t(i)].get();
}

void TTrackOutputs::ReleaseAllNotes()
{
    for (auto& o : outputs_)
        o->Port()->ReleaseNotes();
}

std::int64_t TTrackOutputs::OutputLatencyMicroseconds() const
{
    std::int64_t latency = 0;
    for (const auto& o : outputs_)
        if (const TMidiDevice* device = o->Port()->DeviceHandle())
            latency = std::max(latency, device->OutputLatencyMicroseconds() + device->TappedOffsetMicroseconds());
    return latency;
}

void TTrackOutputs::ResetAllControllers()
{
    for (auto& o : outputs_)
        o->Port()->ResetControllers();
}

void TTrackOutputs::ResetIndices()
{
    for (auto& o : outputs_)
        o->NextIndex = 0;
}

void TTrackOutputs::SendPrograms()
{
    for (auto& o : outputs_)
        o->Port()->SetPatch(o->Track->Bank(), o->Track->FirstProgram(), o->Track->FirstChannel());
}
