#pragma once

#include "sound/SilentSoundOutput.h"
#include "sound/SoundOutput.h"

#include <atomic>
#include <memory>
#include <mutex>
#include <vector>

// The outputs tried in order, the first that starts taking the sound. Until the choice is made
// on the first Start, sources attach to the first output; those attached then move to the
// chosen one. When none starts, the sound goes to the first that keeps looking (a sound server
// that may yet come), or else nowhere. Each failed try is logged with the system's reason.
class TSoundOutputChoice final : public TSoundOutput {
public:
    explicit TSoundOutputChoice(std::vector<std::unique_ptr<TSoundOutput>> outputs);

    bool Start(int timeoutMs) override;
    bool Connected() const override { return Current().Connected(); }
    std::int64_t NominalLatencyUs() const override { return Current().NominalLatencyUs(); }
    void Attach(TSoundSource* source) override;
    void Detach(TSoundSource* source) override;
    void Wake() override { Current().Wake(); }
    std::string Name() const override { return Current().Name(); }
    std::string DeviceName() const override { return Current().DeviceName(); }
    std::string Failure() const override { return Current().Failure(); }
    bool KeepsLooking() const override { return Current().KeepsLooking(); }

    // The output that takes the sound now.
    TSoundOutput& Current() const { return *current_.load(); }

private:
    std::vector<std::unique_ptr<TSoundOutput>> outputs_;
    TSilentSoundOutput silent_;
    std::atomic<TSoundOutput*> current_;
    std::mutex mutex_;
    bool chosen_ = false;                 // under mutex_
    std::vector<TSoundSource*> sources_;  // under mutex_

    TSoundOutput* Choose(int timeoutMs);
};
