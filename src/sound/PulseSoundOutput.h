#pragma once

#include "sound/FrameClock.h"
#include "sound/ReconnectPace.h"
#include "sound/SoundOutput.h"

#include <atomic>
#include <condition_variable>
#include <cstdint>
#include <mutex>
#include <string>
#include <vector>

struct pa_context;
struct pa_stream;
struct pa_threaded_mainloop;
struct pa_time_event;

// The one stream the game sounds through: a PulseAudio playback stream (PipeWire serves the
// same protocol) mixed from every attached source. While nothing sounds the stream is corked,
// so an idle game wakes nobody; when the server goes away the output says so once, keeps
// trying at the pace of TReconnectPace and says once that it is back.
class TPulseSoundOutput final : public TSoundOutput {
public:
    static constexpr int TargetLatencyUs = 20000;
    static constexpr int RequestUs = 10000;
    // A stream that has carried nothing audible for this long is corked.
    static constexpr int IdleMs = 300;

    TPulseSoundOutput();
    ~TPulseSoundOutput() override;
    TPulseSoundOutput(const TPulseSoundOutput&) = delete;
    TPulseSoundOutput& operator=(const TPulseSoundOutput&) = delete;

    // Starts the output's thread and tries a first connection.
    bool Start(int timeoutMs) override;
    bool Connected() const override { return connected_.load(); }
    // The latency the stream asked for and was granted.
    std::int64_t NominalLatencyUs() const override { return nominalLatencyUs_.load(); }
    // From a frame being written to its being heard, as the server last reported it.
    std::int64_t LatencyUs() const { return latencyUs_.load(); }
    void Attach(TSoundSource* source) override;
    void Detach(TSoundSource* source) override;
    // A corked stream starts again.
    void Wake() override;
    std::string Name() const override { return "pulseaudio"; }
    // The sink the stream plays on, once it is connected.
    std::string DeviceName() const override;
    std::string Failure() const override;
    bool KeepsLooking() const override { return loop_.load() != nullptr; }

    // Counters for whoever watches the output at work.
    int Corks() const { return corks_.load(); }
    int Uncorks() const { return uncorks_.load(); }
    bool Corked() const { return suspended_.load(); }

private:
    std::atomic<pa_threaded_mainloop*> loop_{nullptr};
    pa_context* context_ = nullptr;
    pa_stream* stream_ = nullptr;
    pa_time_event* retry_ = nullptr;
    TReconnectPace pace_;  // under the loop's lock
    std::vector<TSoundSource*> sources_;  // under the loop's lock
    std::vector<float> mix_;
    std::uint64_t framesWritten_ = 0;
    TFrameClock frameClock_;
    std::int64_t idleFrames_ = 0;
    bool announcedLoss_ = false;
    bool startFailed_ = false;
    std::atomic<bool> firstAttemptDone_{false};
    bool ended_ = false;  // under startMutex_
    std::string failure_;  // under startMutex_

    std::atomic<bool> connected_{false};
    std::atomic<bool> suspended_{true};
    std::atomic<std::int64_t> latencyUs_{TargetLatencyUs};
    std::atomic<std::int64_t> nominalLatencyUs_{TargetLatencyUs};
    std::atomic<int> corks_{0}, uncorks_{0};

    mutable std::mutex deviceMutex_;
    std::string device_;  // under deviceMutex_

    mutable std::mutex startMutex_;
    std::condition_variable startCv_;

    void Connect();
    void Drop();
    void Fail();
    void ScheduleRetry();
    void ContextStateChanged();
    void StreamStateChanged();
    void Write(std::size_t bytes);
    void SuspendIfIdle(bool audible, int frames);
    void FirstAttemptEnded();
    // Why the connection failed, in the server library's words.
    std::string ContextError() const;
    std::int64_t HeardUsOfNextFrame();

    static void OnContextState(pa_context*, void* self);
    static void OnStreamState(pa_stream*, void* self);
    static void OnStreamMoved(pa_stream*, void* self);
    void NoteDevice();
    static void OnWrite(pa_stream*, std::size_t bytes, void* self);
    static void OnRetry(struct pa_mainloop_api*, pa_time_event*, const struct timeval*, void* self);
};
