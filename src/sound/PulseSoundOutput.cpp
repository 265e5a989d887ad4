#include "sound/PulseSoundOutput.h"

#include "platform/Clock.h"

#include <pulse/pulseaudio.h>

#include <algorithm>
#include <chrono>
#include <cstdio>
#include <cstring>

namespace {
const pa_sample_spec Format{PA_SAMPLE_FLOAT32LE, TSoundOutput::SampleRate, 2};
constexpr std::size_t FrameBytes = 2 * sizeof(float);
}

TPulseSoundOutput::TPulseSoundOutput() = default;

TPulseSoundOutput::~TPulseSoundOutput()
{
    {
        std::lock_guard lock(startMutex_);
        ended_ = true;
    }
    pa_threaded_mainloop* loop = loop_.load();
    if (!loop)
        return;
    pa_threaded_mainloop_lock(loop);
    Drop();
    if (retry_) {
        pa_threaded_mainloop_get_api(loop)->time_free(retry_);
        retry_ = nullptr;
    }
    // Whatever still calls in finds no loop and no source, and no loop is started again.
    sources_.clear();
    loop_ = nullptr;
    pa_threaded_mainloop_unlock(loop);
    pa_threaded_mainloop_stop(loop);
    pa_threaded_mainloop_free(loop);
}

bool TPulseSoundOutput::Start(int timeoutMs)
{
    bool connect = false;
    {
        std::lock_guard lock(startMutex_);
        if (ended_)
            return false;
        if (!loop_) {
            pa_threaded_mainloop* loop = pa_threaded_mainloop_new();
            if (!loop) {
                failure_ = "its event loop could not be made";
                return false;
            }
            pa_threaded_mainloop_set_name(loop, "sound output");
            if (pa_threaded_mainloop_start(loop) < 0) {
                pa_threaded_mainloop_free(loop);
                failure_ = "its event loop's thread could not start";
                return false;
            }
            loop_ = loop;
            connect = true;
        }
    }
    if (connect) {
        // A connection that fails at once ends the first attempt from in here.
        pa_threaded_mainloop_lock(loop_);
        Connect();
        pa_threaded_mainloop_unlock(loop_);
    }
    std::unique_lock lock(startMutex_);
    const bool answered =
        startCv_.wait_for(lock, std::chrono::milliseconds(timeoutMs), [this] { return firstAttemptDone_.load(); });
    if (!answered && failure_.empty())
        failure_ = "no answer within " + std::to_string(timeoutMs) + " ms";
    return connected_.load();
}

std::string TPulseSoundOutput::Failure() const
{
    std::lock_guard lock(startMutex_);
    return connected_.load() ? std::string() : failure_;
}

std::string TPulseSoundOutput::ContextError() const
{
    return context_ ? pa_strerror(pa_context_errno(context_)) : "no connection could be made";
}

void TPulseSoundOutput::FirstAttemptEnded()
{
    {
        std::lock_guard lock(startMutex_);
        firstAttemptDone_ = true;
    }
    startCv_.notify_all();
}

void TPulseSoundOutput::Fail()
{
    {
        std::lock_guard lock(startMutex_);
        failure_ = ContextError();
    }
    // Objects are not freed inside their own callbacks: the retry frees them first.
    if (connected_.exchange(false)) {
        pace_.Lost();
        if (!announcedLoss_)
            std::fprintf(stderr, "Warning: the sound server went away; the game goes on silently until it is back\n");
        announcedLoss_ = true;
        for (TSoundSource* source : sources_)
            source->Lost();
    }
    suspended_ = true;
    if (context_)
        pa_context_set_state_callback(context_, nullptr, nullptr);
    if (stream_) {
        pa_stream_set_state_callback(stream_, nullptr, nullptr);
        pa_stream_set_write_callback(stream_, nullptr, nullptr);
    }
    ScheduleRetry();
}

void TPulseSoundOutput::Connect()
{
    pa_proplist* props = pa_proplist_new();
    pa_proplist_sets(props, PA_PROP_APPLICATION_NAME, "Grip Rhythm");
    pa_proplist_sets(props, PA_PROP_APPLICATION_ICON_NAME, "griprhythm");
    pa_proplist_sets(props, PA_PROP_MEDIA_ROLE, "game");
    context_ = pa_context_new_with_proplist(pa_threaded_mainloop_get_api(loop_), "Grip Rhythm", props);
    pa_proplist_free(props);
    if (!context_) {
        {
            std::lock_guard lock(startMutex_);
            failure_ = "no connection could be made";
        }
        ScheduleRetry();
        return;
    }
    pa_context_set_state_callback(context_, &TPulseSoundOutput::OnContextState, this);
    // Never start a server of our own: the desktop owns it, and a test's server is its own.
    if (pa_context_connect(context_, nullptr, PA_CONTEXT_NOAUTOSPAWN, nullptr) < 0)
        Fail();
}

void TPulseSoundOutput::Drop()
{
    if (connected_.exchange(false))
        for (TSoundSource* source : sources_)
            source->Lost();
    if (stream_) {
        pa_stream_set_state_callback(stream_, nullptr, nullptr);
        pa_stream_set_write_callback(stream_, nullptr, nullptr);
        pa_stream_disconnect(stream_);
        pa_stream_unref(stream_);
        stream_ = nullptr;
    }
    if (context_) {
        pa_context_set_state_callback(context_, nullptr, nullptr);
        pa_context_disconnect(context_);
        pa_context_unref(context_);
        context_ = nullptr;
    }
    suspended_ = true;
}

void TPulseSoundOutput::ScheduleRetry()
{
    if (!firstAttemptDone_) {
        startFailed_ = true;
        FirstAttemptEnded();
    }
    pa_mainloop_api* api = pa_threaded_mainloop_get_api(loop_);
    timeval tv{};
    pa_timeval_add(pa_gettimeofday(&tv), pa_usec_t(pace_.NextDelayMs()) * 1000);
    if (retry_)
        api->time_restart(retry_, &tv);
    else
        retry_ = api->time_new(api, &tv, &TPulseSoundOutput::OnRetry, this);
}

void TPulseSoundOutput::OnRetry(pa_mainloop_api*, pa_time_event*, const timeval*, void* self)
{
    auto* out = static_cast<TPulseSoundOutput*>(self);
    out->Drop();
    out->Connect();
}

void TPulseSoundOutput::OnContextState(pa_context*, void* self) { static_cast<TPulseSoundOutput*>(self)->ContextStateChanged(); }

void TPulseSoundOutput::ContextStateChanged()
{
    switch (pa_context_get_state(context_)) {
    case PA_CONTEXT_READY: {
        stream_ = pa_stream_new(context_, "Grip Rhythm", &Format, nullptr);
        if (!stream_) {
            Fail();
            return;
        }
        pa_stream_set_state_callback(stream_, &TPulseSoundOutput::OnStreamState, this);
        pa_stream_set_write_callback(stream_, &TPulseSoundOutput::OnWrite, this);
        pa_stream_set_moved_callback(stream_, &TPulseSoundOutput::OnStreamMoved, this);
        pa_buffer_attr attr{};
        attr.maxlength = std::uint32_t(-1);
        attr.tlength = std::uint32_t(pa_usec_to_bytes(TargetLatencyUs, &Format));
        attr.prebuf = std::uint32_t(-1);
        attr.minreq = std::uint32_t(pa_usec_to_bytes(RequestUs, &Format));
        attr.fragsize = std::uint32_t(-1);
        const auto flags = pa_stream_flags_t(PA_STREAM_ADJUST_LATENCY | PA_STREAM_INTERPOLATE_TIMING |
                                             PA_STREAM_AUTO_TIMING_UPDATE | PA_STREAM_START_CORKED);
        suspended_ = true;
        if (pa_stream_connect_playback(stream_, nullptr, &attr, flags, nullptr, nullptr) < 0)
            Fail();
        break;
    }
    case PA_CONTEXT_FAILED:
    case PA_CONTEXT_TERMINATED:
        Fail();
        break;
    default:
        break;
    }
}

void TPulseSoundOutput::OnStreamState(pa_stream*, void* self) { static_cast<TPulseSoundOutput*>(self)->StreamStateChanged(); }

void TPulseSoundOutput::OnStreamMoved(pa_stream*, void* self) { static_cast<TPulseSoundOutput*>(self)->NoteDevice(); }

void TPulseSoundOutput::NoteDevice()
{
    const char* name = pa_stream_get_device_name(stream_);
    std::lock_guard lock(deviceMutex_);
    device_ = name ? name : "";
}

std::string TPulseSoundOutput::DeviceName() const
{
    std::lock_guard lock(deviceMutex_);
    return device_;
}

void TPulseSoundOutput::StreamStateChanged()
{
    switch (pa_stream_get_state(stream_)) {
    case PA_STREAM_READY: {
        if (const pa_buffer_attr* granted = pa_stream_get_buffer_attr(stream_)) {
            nominalLatencyUs_ = std::int64_t(pa_bytes_to_usec(granted->tlength, &Format));
            latencyUs_ = nominalLatencyUs_.load();
        }
        NoteDevice();
        frameClock_.Reanchor();
        idleFrames_ = 0;
        connected_ = true;
        pace_.Connected();
        if (announcedLoss_ || startFailed_)
            std::fprintf(stderr, "The sound server is back; the game sounds again\n");
        announcedLoss_ = startFailed_ = false;
        for (TSoundSource* source : sources_)
            source->Restored();
        if (!firstAttemptDone_)
            FirstAttemptEnded();
        // Whatever was handed over while the stream was being set up plays now.
        for (TSoundSource* source : sources_)
            if (source->Pending()) {
                pa_operation_unref(pa_stream_cork(stream_, 0, nullptr, nullptr));
                pa_operation_unref(pa_stream_trigger(stream_, nullptr, nullptr));
                suspended_ = false;
                uncorks_.fetch_add(1);
                break;
            }
        break;
    }
    case PA_STREAM_FAILED:
    case PA_STREAM_TERMINATED:
        Fail();
        break;
    default:
        break;
    }
}

std::int64_t TPulseSoundOutput::HeardUsOfNextFrame()
{
    const std::int64_t now = GameClock().NowMicroseconds();
    pa_usec_t latency = 0;
    int negative = 0;
    std::int64_t estimate;
    if (pa_stream_get_latency(stream_, &latency, &negative) == 0) {
        const std::int64_t l = negative ? -std::int64_t(latency) : std::int64_t(latency);
        latencyUs_ = l;
        estimate = now + l;
    } else {
        estimate = now + latencyUs_.load();
    }
    return frameClock_.HeardUs(estimate, framesWritten_, SampleRate);
}

void TPulseSoundOutput::OnWrite(pa_stream*, std::size_t bytes, void* self) { static_cast<TPulseSoundOutput*>(self)->Write(bytes); }

void TPulseSoundOutput::Write(std::size_t bytes)
{
    if (!stream_ || bytes == 0)
        return;
    std::size_t frames = (bytes + FrameBytes - 1) / FrameBytes;
    frames = (frames + BlockFrames - 1) / BlockFrames * BlockFrames;
    mix_.assign(frames * 2, 0.0f);
    const std::int64_t heard = HeardUsOfNextFrame();
    bool audible = false;
    for (TSoundSource* source : sources_)
        audible = source->Mix(mix_.data(), int(frames), heard) || audible;
    pa_stream_write(stream_, mix_.data(), frames * FrameBytes, nullptr, 0, PA_SEEK_RELATIVE);
    framesWritten_ += frames;
    SuspendIfIdle(audible, int(frames));
}

void TPulseSoundOutput::SuspendIfIdle(bool audible, int frames)
{
    if (audible) {
        idleFrames_ = 0;
        return;
    }
    idleFrames_ += frames;
    if (idleFrames_ < std::int64_t(SampleRate) * IdleMs / 1000)
        return;
    // A source that is handed something right now either sees the cork coming and wakes the
    // stream, or has already put it where the check below finds it.
    suspended_ = true;
    for (TSoundSource* source : sources_)
        if (source->Pending()) {
            suspended_ = false;
            return;
        }
    pa_operation_unref(pa_stream_cork(stream_, 1, nullptr, nullptr));
    // What is still queued is silence; dropping it lets the next sound start at once.
    pa_operation_unref(pa_stream_flush(stream_, nullptr, nullptr));
    idleFrames_ = 0;
    corks_.fetch_add(1);
}

void TPulseSoundOutput::Wake()
{
    if (!suspended_.load() || !loop_)
        return;
    pa_threaded_mainloop_lock(loop_);
    if (suspended_ && stream_ && connected_) {
        pa_operation_unref(pa_stream_cork(stream_, 0, nullptr, nullptr));
        // What is queued may be less than the stream waits for before it plays.
        pa_operation_unref(pa_stream_trigger(stream_, nullptr, nullptr));
        suspended_ = false;
        frameClock_.Reanchor();
        uncorks_.fetch_add(1);
    }
    pa_threaded_mainloop_unlock(loop_);
}

void TPulseSoundOutput::Attach(TSoundSource* source)
{
    if (!loop_)
        Start(0);
    if (!loop_)
        return;
    pa_threaded_mainloop_lock(loop_);
    if (std::find(sources_.begin(), sources_.end(), source) == sources_.end()) {
        sources_.push_back(source);
        if (connected_)
            source->Restored();
        else
            source->Lost();
    }
    pa_threaded_mainloop_unlock(loop_);
}

void TPulseSoundOutput::Detach(TSoundSource* source)
{
    if (!loop_)
        return;
    pa_threaded_mainloop_lock(loop_);
    sources_.erase(std::remove(sources_.begin(), sources_.end(), source), sources_.end());
    pa_threaded_mainloop_unlock(loop_);
}
