#pragma once

#include "sound/SoundOutput.h"

#include <atomic>
#include <condition_variable>
#include <mutex>
#include <string>
#include <thread>
#include <vector>

struct _snd_pcm;

// Straight to the sound card, for a desktop without a sound server: an ALSA playback device
// written from a thread of its own, in periods long enough not to keep a processor busy. While
// nothing sounds the device is stopped and the thread sleeps until a source wakes it.
class TAlsaSoundOutput final : public TSoundOutput {
public:
    static constexpr int PeriodFrames = 512;
    static constexpr int Periods = 4;
    // A device that has carried nothing audible for this long is stopped.
    static constexpr int IdleMs = 300;

    explicit TAlsaSoundOutput(std::string device = "default");
    ~TAlsaSoundOutput() override;
    TAlsaSoundOutput(const TAlsaSoundOutput&) = delete;
    TAlsaSoundOutput& operator=(const TAlsaSoundOutput&) = delete;

    // Opens the device at once; the time allowed does not apply.
    bool Start(int timeoutMs) override;
    bool Connected() const override { return open_.load(); }
    std::int64_t NominalLatencyUs() const override;
    void Attach(TSoundSource* source) override;
    void Detach(TSoundSource* source) override;
    void Wake() override;
    std::string Name() const override { return "alsa"; }
    std::string Failure() const override;

private:
    std::string device_;
    _snd_pcm* pcm_ = nullptr;
    std::thread thread_;
    std::atomic<bool> open_{false};

    mutable std::mutex mutex_;
    std::condition_variable woken_;
    std::vector<TSoundSource*> sources_;  // under mutex_
    bool wake_ = false;                   // under mutex_
    bool stop_ = false;                   // under mutex_
    bool tried_ = false;                  // under mutex_
    std::string failure_;                 // under mutex_

    void Run();
};
