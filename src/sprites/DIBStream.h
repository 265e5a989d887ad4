#pragma once

#include "platform/Exception.h"

#include <cstddef>
#include <cstdint>
#include <span>
#include <string>
#include <vector>

// Data that ends before the sizes it announces are satisfied.
class EStreamReadError : public Exception {
public:
    EStreamReadError() : Exception("Stream read error") {}
};

// Little-endian reads over a byte span. Every read checks what is left first, so no size
// taken from a file can move the position outside the span.
class TDIBStreamReader {
public:
    explicit TDIBStreamReader(std::span<const uint8_t> data) : FData(data) {}

    size_t Position() const { return FPos; }
    size_t Left() const { return FData.size() - FPos; }
    bool AtEnd() const { return FPos >= FData.size(); }

    uint8_t U8() { return Take(1)[0]; }
    uint8_t Peek() const
    {
        if (AtEnd())
            throw EStreamReadError();
        return FData[FPos];
    }
    int8_t I8() { return static_cast<int8_t>(U8()); }
    uint16_t U16()
    {
        auto b = Take(2);
        return static_cast<uint16_t>(b[0] | (b[1] << 8));
    }
    int16_t I16() { return static_cast<int16_t>(U16()); }
    uint32_t U32()
    {
        auto b = Take(4);
        return uint32_t(b[0]) | (uint32_t(b[1]) << 8) | (uint32_t(b[2]) << 16) | (uint32_t(b[3]) << 24);
    }
    int32_t I32() { return static_cast<int32_t>(U32()); }

    std::span<const uint8_t> Take(uint64_t count)
    {
        if (count > Left())
            throw EStreamReadError();
        auto part = FData.subspan(FPos, static_cast<size_t>(count));
        FPos += static_cast<size_t>(count);
        return part;
    }
    std::span<const uint8_t> Rest() { return Take(Left()); }
    void Skip(uint64_t count) { Take(count); }

    // One length byte, then that many single-byte characters.
    std::string ShortString()
    {
        uint8_t n = U8();
        auto b = Take(n);
        return std::string(b.begin(), b.end());
    }

private:
    std::span<const uint8_t> FData;
    size_t FPos = 0;
};

// Little-endian appends for the writers.
class TDIBStreamWriter {
public:
    std::vector<uint8_t>& Bytes() { return FData; }
    void U8(uint8_t v) { FData.push_back(v); }
    void U16(uint16_t v)
    {
        U8(uint8_t(v));
        U8(uint8_t(v >> 8));
    }
    void U32(uint32_t v)
    {
        U16(uint16_t(v));
        U16(uint16_t(v >> 16));
    }
    void I32(int32_t v) { U32(static_cast<uint32_t>(v)); }
    void Append(std::span<const uint8_t> b) { FData.insert(FData.end(), b.begin(), b.end()); }
    void Append(const std::string& s) { FData.insert(FData.end(), s.begin(), s.end()); }
    void ShortString(const std::string& s)
    {
        U8(static_cast<uint8_t>(s.size()));
        Append(s.substr(0, 255));
    }

private:
    std::vector<uint8_t> FData;
};
