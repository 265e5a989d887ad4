#pragma once

#include <cstdint>
#include <string>
#include <vector>

// A RIFF WAVE file as the checks need it: the format fields and 16-bit samples, interleaved.
struct TWaveFile {
    int format = 0;
    int channels = 0;
    int sampleRate = 0;
    int bitsPerSample = 0;
    std::uint32_t riffSize = 0;
    std::uint64_t fileSize = 0;
    std::vector<std::int16_t> samples;

    double Seconds() const { return static_cast<double>(samples.size()) / channels / sampleRate; }
    // Root mean square of all channels over [from, from + length) seconds, in dB below full scale.
    double LevelDb(double from, double length) const;
};

// Throws std::runtime_error naming what is wrong.
TWaveFile ReadWaveFile(const std::string& path);
