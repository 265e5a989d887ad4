#include "HitSound.h"

#include <algorithm>
#include <cmath>

namespace {

constexpr double kPi = 3.14159265358979323846;
constexpr double kSeconds = 0.15;
constexpr double kPeak = 0.7;

struct TPartial {
    double frequency;
    double amplitude;
    double decaySeconds;
};

// A6 with its fifth and octave above and an octave below: a bell-like major colour that sits
// above the song's instruments.
const TPartial kPartials[] = {
    {1760.0, 1.00, 0.045},
    {2637.0, 0.45, 0.030},
    {3520.0, 0.25, 0.020},
    {880.0, 0.35, 0.060},
};

void PutLittle(std::string& out, std::uint32_t value, int bytes)
{
    for (int i = 0; i < bytes; ++i)
        out += static_cast<char>((value >> (8 * i)) & 0xFF);
}

} // namespace

std::vector<std::int16_t> SynthesiseHitSound()
{
    const int count = static_cast<int>(kSeconds * kHitSampleRate);
    std::vector<double> wave(static_cast<std::size_t>(count));
    std::uint32_t noiseState = 0x1234567u;
    double lastNoise = 0.0;
    for (int i = 0; i < count; ++i) {
        const double t = static_cast<double>(i) / kHitSampleRate;
        double value = 0.0;
        for (const TPartial& p : kPartials)
            value += p.amplitude * std::exp(-t / p.decaySeconds) * std::sin(2.0 * kPi * p.frequency * t);
        // The click: high-passed white noise that dies within a few milliseconds.
        noiseState = noiseState * 1664525u + 1013904223u;
        const double noise = static_cast<double>(noiseState >> 8) / (1u << 24) * 2.0 - 1.0;
        value += 0.3 * std::exp(-t / 0.003) * (noise - lastNoise) * 0.5;
        lastNoise = noise;
        // 1.5 ms attack against a click at the start, 10 ms fade so the end is silent.
        const double attack = std::min(1.0, t / 0.0015);
        const double remaining = kSeconds - t;
        const double release = remaining < 0.010 ? 0.5 - 0.5 * std::cos(kPi * remaining / 0.010) : 1.0;
        wave[static_cast<std::size_t>(i)] = value * attack * release;
    }
    double peak = 0.0;
    for (double v : wave)
        peak = std::max(peak, std::abs(v));
    std::vector<std::int16_t> samples;
    samples.reserve(wave.size());
    for (double v : wave)
        samples.push_back(static_cast<std::int16_t>(std::lround(v / peak * kPeak * 32767.0)));
    return samples;
}

std::string EncodeWave(const std::vector<std::int16_t>& samples, int sampleRate)
{
    const std::uint32_t dataBytes = static_cast<std::uint32_t>(samples.size() * 2);
    std::string out = "RIFF";
    PutLittle(out, 36 + dataBytes, 4);
    out += "WAVEfmt ";
    PutLittle(out, 16, 4);
    PutLittle(out, 1, 2); // PCM
    PutLittle(out, 1, 2); // mono
    PutLittle(out, static_cast<std::uint32_t>(sampleRate), 4);
    PutLittle(out, static_cast<std::uint32_t>(sampleRate) * 2, 4);
    PutLittle(out, 2, 2);
    PutLittle(out, 16, 2);
    out += "data";
    PutLittle(out, dataBytes, 4);
    for (std::int16_t s : samples)
        PutLittle(out, static_cast<std::uint16_t>(s), 2);
    return out;
}
