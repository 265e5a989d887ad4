#pragma once

#include "sound/SoundOutput.h"

// An output that is never there: its sources are told so at once and never pulled, so a
// synthesizer on it drops its notes instead of piling them up unheard.
class TSilentSoundOutput final : public TSoundOutput {
public:
    bool Start(int) override { return false; }
    bool Connected() const override { return false; }
    std::int64_t NominalLatencyUs() const override { return 0; }
    void Attach(TSoundSource* source) override { source->Lost(); }
    void Detach(TSoundSource*) override {}
    void Wake() override {}
};
