#pragma once

#include <cstdint>
#include <span>
#include <string>
#include <vector>

// A number as MIDI files write lengths and delta times: 7 bits a byte, most significant first,
// every byte but the last with its top bit set.
inline void AppendVariableLength(std::vector<std::uint8_t>& out, std::uint32_t v)
{
    std::uint8_t groups[5];
    int n = 0;
    do {
        groups[n++] = v & 0x7F;
        v >>= 7;
    } while (v);
    while (n-- > 0)
        out.push_back(groups[n] | (n ? 0x80 : 0));
}

inline void AppendU32BigEndian(std::vector<std::uint8_t>& out, std::uint32_t v)
{
    for (int s = 24; s >= 0; s -= 8)
        out.push_back(std::uint8_t(v >> s));
}

// Little-endian appends, for the writers of the formats the byte reader reads (and the
// big-endian and variable-length numbers of MIDI files).
class TByteWriter {
public:
    std::vector<std::uint8_t>& Bytes() { return data_; }
    void U8(std::uint8_t v) { data_.push_back(v); }
    void U16(std::uint16_t v)
    {
        U8(std::uint8_t(v));
        U8(std::uint8_t(v >> 8));
    }
    void U32(std::uint32_t v)
    {
        U16(std::uint16_t(v));
        U16(std::uint16_t(v >> 16));
    }
    void I32(std::int32_t v) { U32(static_cast<std::uint32_t>(v)); }
    void U16BigEndian(std::uint16_t v)
    {
        U8(std::uint8_t(v >> 8));
        U8(std::uint8_t(v));
    }
    void U32BigEndian(std::uint32_t v) { AppendU32BigEndian(data_, v); }
    void VariableLength(std::uint32_t v) { AppendVariableLength(data_, v); }
    void Append(std::span<const std::uint8_t> b) { data_.insert(data_.end(), b.begin(), b.end()); }
    void Append(const std::string& s) { data_.insert(data_.end(), s.begin(), s.end()); }
    void ShortString(const std::string& s)
    {
        U8(static_cast<std::uint8_t>(s.size()));
        Append(s.substr(0, 255));
    }

private:
    std::vector<std::uint8_t> data_;
};
