#pragma once

#include "platform/ByteWriter.h"

#include <cstdint>
#include <filesystem>
#include <fstream>
#include <string>
#include <unistd.h>
#include <vector>

// Builds Standard MIDI File byte images for tests.
namespace smf {

using Bytes = std::vector<std::uint8_t>;

inline void PutVarLen(Bytes& out, std::uint32_t v) { AppendVariableLength(out, v); }
inline void Put32(Bytes& out, std::uint32_t v) { AppendU32BigEndian(out, v); }

// Events of one track, written with delta times.
class Track {
public:
    Track& Raw(std::uint32_t delta, std::initializer_list<std::uint8_t> bytes)
    {
        PutVarLen(data, delta);
        data.insert(data.end(), bytes);
        return *this;
    }
    Track& Meta(std::uint32_t delta, std::uint8_t type, const Bytes& payload = {})
    {
        PutVarLen(data, delta);
        data.push_back(0xFF);
        data.push_back(type);
        PutVarLen(data, std::uint32_t(payload.size()));
        data.insert(data.end(), payload.begin(), payload.end());
        return *this;
    }
    Track& Sysex(std::uint32_t delta, std::uint8_t status, const Bytes& payload)
    {
        PutVarLen(data, delta);
        data.push_back(status);
        PutVarLen(data, std::uint32_t(payload.size()));
        data.insert(data.end(), payload.begin(), payload.end());
        return *this;
    }
    Track& Tempo(std::uint32_t delta, std::uint32_t microsPerQuarter)
    {
        return Meta(delta, 0x51, {std::uint8_t(microsPerQuarter >> 16), std::uint8_t(microsPerQuarter >> 8),
                                  std::uint8_t(microsPerQuarter)});
    }
    Track& TimeSignature(std::uint32_t delta, std::uint8_t numerator, std::uint8_t denominatorPower)
    {
        return Meta(delta, 0x58, {numerator, denominatorPower, 24, 8});
    }
    Track& Name(std::uint32_t delta, const std::string& name) { return Meta(delta, 0x03, Bytes(name.begin(), name.end())); }
    Track& End(std::uint32_t delta = 0) { return Meta(delta, 0x2F); }

    Bytes Chunk() const
    {
        Bytes out{'M', 'T', 'r', 'k'};
        Put32(out, std::uint32_t(data.size()));
        out.insert(out.end(), data.begin(), data.end());
        return out;
    }
    Bytes data;
};

inline Bytes Header(std::uint16_t format, std::uint16_t tracks, std::uint16_t division, std::uint32_t length = 6)
{
    Bytes out{'M', 'T', 'h', 'd'};
    Put32(out, length);
    for (std::uint16_t w : {format, tracks, division}) {
        out.push_back(std::uint8_t(w >> 8));
        out.push_back(std::uint8_t(w));
    }
    for (std::uint32_t i = 6; i < length; ++i)
        out.push_back(std::uint8_t(0xA0 + i));
    return out;
}

inline Bytes File(std::uint16_t division, const std::vector<Track>& tracks, std::uint16_t format = 1)
{
    Bytes out = Header(format, std::uint16_t(tracks.size()), division);
    for (const auto& t : tracks) {
        Bytes c = t.Chunk();
        out.insert(out.end(), c.begin(), c.end());
    }
    return out;
}

inline Bytes Riff(const Bytes& midi)
{
    auto le32 = [](Bytes& out, std::uint32_t v) {
        for (int s = 0; s < 32; s += 8)
            out.push_back(std::uint8_t(v >> s));
    };
    Bytes out{'R', 'I', 'F', 'F'};
    Bytes body{'R', 'M', 'I', 'D', 'L', 'I', 'S', 'T'};
    le32(body, 4);
    body.insert(body.end(), {'I', 'N', 'F', 'O'});
    body.insert(body.end(), {'d', 'a', 't', 'a'});
    le32(body, std::uint32_t(midi.size()));
    body.insert(body.end(), midi.begin(), midi.end());
    if (midi.size() & 1)
        body.push_back(0);
    le32(out, std::uint32_t(body.size()));
    out.insert(out.end(), body.begin(), body.end());
    return out;
}

// A scratch directory removed with the object.
class TempDir {
public:
    TempDir()
    {
        char pattern[] = "/tmp/grip_midi_XXXXXX";
        path = mkdtemp(pattern);
    }
    ~TempDir() { std::filesystem::remove_all(path); }
    std::string Write(const std::string& name, const Bytes& bytes) const
    {
        const std::string file = path + "/" + name;
        std::ofstream(file, std::ios::binary).write(reinterpret_cast<const char*>(bytes.data()), std::streamsize(bytes.size()));
        return file;
    }
    std::string path;
};

}  // namespace smf
