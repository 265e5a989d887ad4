#pragma once

#include <cstdint>
#include <span>
#include <string>
#include <vector>

// Little-endian appends, for the writers of the formats the byte reader reads.
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
