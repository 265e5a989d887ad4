#pragma once

#include "sound/SoundOutput.h"

#include <cstdint>
#include <mutex>
#include <string>
#include <vector>

// A sound output pulled only when a test says so: Pull mixes every attached source as the
// server's output does, and the output goes away and comes back when the test says.
class TManualSoundOutput final : public TSoundOutput {
public:
    explicit TManualSoundOutput(std::int64_t nominalLatencyUs = 20000) : latencyUs_(nominalLatencyUs) {}

    bool Start(int) override { return Connected(); }
    bool Connected() const override;
    std::int64_t NominalLatencyUs() const override { return latencyUs_; }
    void Attach(TSoundSource* source) override;
    void Detach(TSoundSource* source) override;
    void Wake() override;
    std::string DeviceName() const override { return Device; }
    // What the output says the sound comes out of.
    std::string Device;

    // Mixes whole blocks covering at least `frames` frames, the first heard at heardUs, and
    // returns them as interleaved stereo. audible tells whether any source still sounds.
    std::vector<float> Pull(int frames, std::int64_t heardUs, bool* audible = nullptr);
    void SetConnected(bool connected);
    int Wakes() const;
    bool AnyPending() const;

private:
    mutable std::mutex mutex_;
    std::vector<TSoundSource*> sources_;
    std::int64_t latencyUs_;
    bool connected_ = true;
    int wakes_ = 0;
};
