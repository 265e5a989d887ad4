#pragma once

#include "midi/MidiOutput.h"

#include <memory>
#include <vector>

class TMidiData;
class TMidiTrackStream;

// One track of a song with its own output port and its own read position.
class TTrackOutput {
public:
    TTrackOutput(TMidiTrackStream* track, int deviceId);
    TMidiTrackStream* Track = nullptr;
    TMidiOutputPort* Port() const { return port_.get(); }
    int NextIndex = 0;

private:
    std::unique_ptr<TMidiOutputPort> port_;
};

// Routes every track of a song to an output device.
class TTrackOutputs {
public:
    TTrackOutputs() = default;
    ~TTrackOutputs() { SetActive(false); }
    TTrackOutputs(const TTrackOutputs&) = delete;
    TTrackOutputs& operator=(const TTrackOutputs&) = delete;

    int DefaultOutputPort = 0;
    TMidiData* MidiData() const { return midiData_; }
    void SetMidiData(TMidiData* data);
    bool Active() const { return active_; }
    void SetActive(bool active);

    int OutputCount() const { return static_cast<int>(outputs_.size()); }
    TTrackOutput* Outputs(int i) const;

    void ReleaseAllNotes();
    // From a message's time to its sound as the player hears it (what the device says plus
    // what was tapped for it), the longest of the devices the tracks play on.
    std::int64_t OutputLatencyMicroseconds() const;
    void ResetAllControllers();
    void ResetIndices();
    void SendPrograms();

private:
    TMidiData* midiData_ = nullptr;
    bool active_ = false;
    std::vector<std::unique_ptr<TTrackOutput>> outputs_;
};
