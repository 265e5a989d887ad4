#pragma once

// What the sound benchmarks hear: the default sink's monitor recorded on the monotonic clock,
// and the onsets of the sounds in it.
#include "platform/Clock.h"
#include "sound/SoundOutput.h"

#include <pulse/simple.h>

#include <algorithm>
#include <atomic>
#include <cmath>
#include <cstdint>
#include <thread>
#include <utility>
#include <vector>

namespace bench {
constexpr int Rate = TSoundOutput::SampleRate;

inline std::int64_t NowUs() { return TMonotonicClock().NowMicroseconds(); }

// Records the default sink's monitor, and notes for each read when its next frame was
// captured, so that any frame can be put on the monotonic clock.
class TMonitorRecorder {
public:
    bool Start()
    {
        const pa_sample_spec format{PA_SAMPLE_FLOAT32LE, Rate, 1};
        pa_buffer_attr attr{};
        attr.maxlength = std::uint32_t(-1);
        attr.fragsize = ChunkFrames * sizeof(float);
        int error = 0;
        stream_ = pa_simple_new(nullptr, "Grip Rhythm bench", PA_STREAM_RECORD, "@DEFAULT_MONITOR@", "monitor", &format,
                                nullptr, &attr, &error);
        if (!stream_)
            return false;
        thread_ = std::thread([this] { Run(); });
        return true;
    }
    void Stop()
    {
        stop_ = true;
        if (thread_.joinable())
            thread_.join();
        if (stream_)
            pa_simple_free(stream_);
        stream_ = nullptr;
    }
    ~TMonitorRecorder() { Stop(); }

    const std::vector<float>& Samples() const { return samples_; }
    // When frame f was captured: the median of what the reads of the second around it said
    // (the server's clock may run a little apart from ours).
    double CapturedUs(double frame) const
    {
        std::vector<double> offsets;
        for (const auto& [f, us] : marks_)
            if (std::fabs(double(f) - frame) < Rate / 2.0)
                offsets.push_back(double(us) - double(f) * 1e6 / Rate);
        std::sort(offsets.begin(), offsets.end());
        return offsets.empty() ? 0 : offsets[offsets.size() / 2] + frame * 1e6 / Rate;
    }

private:
    static constexpr int ChunkFrames = 128;
    pa_simple* stream_ = nullptr;
    std::thread thread_;
    std::atomic<bool> stop_{false};
    std::vector<float> samples_;
    std::vector<std::pair<std::size_t, std::int64_t>> marks_;

    void Run()
    {
        float chunk[ChunkFrames];
        int error = 0;
        while (!stop_) {
            if (pa_simple_read(stream_, chunk, sizeof chunk, &error) < 0)
                return;
            samples_.insert(samples_.end(), chunk, chunk + ChunkFrames);
            const pa_usec_t latency = pa_simple_get_latency(stream_, &error);
            // The next frame to be read was captured `latency` ago.
            marks_.emplace_back(samples_.size(), NowUs() - std::int64_t(latency));
        }
    }
};

// Frames where the sound rises above a tenth of its peak after at least `quietMs` below half that.
inline std::vector<std::size_t> Onsets(const std::vector<float>& s, int quietMs)
{
    float peak = 0;
    for (float v : s)
        peak = std::max(peak, std::fabs(v));
    const float threshold = peak / 10;
    const std::size_t quiet = std::size_t(Rate) * std::size_t(quietMs) / 1000;
    std::vector<std::size_t> onsets;
    std::size_t quietRun = 0;
    bool armed = true;
    for (std::size_t i = 0; i < s.size(); ++i) {
        const float a = std::fabs(s[i]);
        if (armed && a >= threshold) {
            onsets.push_back(i);
            armed = false;
        }
        quietRun = a < threshold / 2 ? quietRun + 1 : 0;
        armed = armed || quietRun > quiet;
    }
    return onsets;
}

inline double At(std::vector<double> v, double q)
{
    if (v.empty())
        return 0;
    std::sort(v.begin(), v.end());
    return v[std::size_t(q * double(v.size() - 1))];
}

} // namespace bench
