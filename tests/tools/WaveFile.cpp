#include "WaveFile.h"

#include <cmath>
#include <fstream>
#include <iterator>
#include <stdexcept>

namespace {

std::uint32_t Little(const std::string& data, std::size_t pos, int bytes)
{
    if (pos + static_cast<std::size_t>(bytes) > data.size())
        throw std::runtime_error("WAVE file ends inside a field");
    std::uint32_t value = 0;
    for (int i = bytes - 1; i >= 0; --i)
        value = value << 8 | static_cast<unsigned char>(data[pos + static_cast<std::size_t>(i)]);
    return value;
}

} // namespace

double TWaveFile::LevelDb(double from, double length) const
{
    const auto first = static_cast<std::size_t>(from * sampleRate) * static_cast<std::size_t>(channels);
    const auto count = static_cast<std::size_t>(length * sampleRate) * static_cast<std::size_t>(channels);
    if (first + count > samples.size() || count == 0)
        throw std::runtime_error("level window outside the sound");
    double sum = 0.0;
    for (std::size_t i = first; i < first + count; ++i)
        sum += static_cast<double>(samples[i]) * samples[i];
    const double rms = std::sqrt(sum / static_cast<double>(count)) / 32768.0;
    return 20.0 * std::log10(std::max(rms, 1e-9));
}

TWaveFile ReadWaveFile(const std::string& path)
{
    std::ifstream file(path, std::ios::binary);
    if (!file)
        throw std::runtime_error("cannot open " + path);
    const std::string data{std::istreambuf_iterator<char>(file), std::istreambuf_iterator<char>()};
    TWaveFile wave;
    wave.fileSize = data.size();
    if (data.size() < 12 || data.compare(0, 4, "RIFF") != 0 || data.compare(8, 4, "WAVE") != 0)
        throw std::runtime_error("not a RIFF WAVE file");
    wave.riffSize = Little(data, 4, 4);
    bool haveFormat = false;
    std::size_t pos = 12;
    while (pos + 8 <= data.size()) {
        const std::string id = data.substr(pos, 4);
        const std::uint32_t size = Little(data, pos + 4, 4);
        const std::size_t body = pos + 8;
        if (size > data.size() - body)
            throw std::runtime_error("chunk '" + id + "' runs past the end of the file");
        if (id == "fmt ") {
            if (size < 16)
                throw std::runtime_error("format chunk too short");
            wave.format = static_cast<int>(Little(data, body, 2));
            wave.channels = static_cast<int>(Little(data, body + 2, 2));
            wave.sampleRate = static_cast<int>(Little(data, body + 4, 4));
            wave.bitsPerSample = static_cast<int>(Little(data, body + 14, 2));
            haveFormat = true;
        } else if (id == "data") {
            if (!haveFormat || wave.bitsPerSample != 16 || wave.channels < 1 || wave.sampleRate < 1)
                throw std::runtime_error("data before a 16-bit format");
            for (std::size_t i = 0; i + 1 < size; i += 2)
                wave.samples.push_back(static_cast<std::int16_t>(Little(data, body + i, 2)));
            return wave;
        }
        pos = body + size + (size & 1);
    }
    throw std::runtime_error("no data chunk");
}
