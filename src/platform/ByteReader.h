#pragma once

#include "platform/Exception.h"

#include <cstddef>
#include <cstdint>
#include <span>
#include <string>

// Data that ends before the sizes it announces are satisfied.
class EStreamReadError : public Exception {
public:
    EStreamReadError() : Exception("Stream read error") {}
};

// Reads numbers and runs of bytes from bytes held in memory, for every reader of outside data
// (songs, RIFF chunks, picture collections, bitmaps). Each read checks what is left first, so
// no size taken from a file can move the position outside the bytes; a read that would fails
// with "Stream read error" and leaves the position as it was. Numbers are little-endian unless
// their name says otherwise.
class TByteReader {
public:
    explicit TByteReader(std::span<const std::uint8_t> data) : data_(data) {}

    std::size_t Position() const { return pos_; }
    std::size_t Left() const { return data_.size() - pos_; }
    bool AtEnd() const { return pos_ >= data_.size(); }

    std::uint8_t U8()
    {
        if (AtEnd())
            throw EStreamReadError();
        return data_[pos_++];
    }
    std::uint8_t Peek() const
    {
        if (AtEnd())
            throw EStreamReadError();
        return data_[pos_];
    }
    std::int8_t I8() { return static_cast<std::int8_t>(U8()); }
    std::uint16_t U16()
    {
        auto b = Take(2);
        return static_cast<std::uint16_t>(b[0] | (b[1] << 8));
    }
    std::int16_t I16() { return static_cast<std::int16_t>(U16()); }
    std::uint32_t U32()
    {
        auto b = Take(4);
        return std::uint32_t(b[0]) | (std::uint32_t(b[1]) << 8) | (std::uint32_t(b[2]) << 16) |
               (std::uint32_t(b[3]) << 24);
    }
    std::int32_t I32() { return static_cast<std::int32_t>(U32()); }
    std::uint32_t U32BigEndian()
    {
        auto b = Take(4);
        return (std::uint32_t(b[0]) << 24) | (std::uint32_t(b[1]) << 16) | (std::uint32_t(b[2]) << 8) | b[3];
    }

    // The next count bytes, which stay where they are.
    std::span<const std::uint8_t> Take(std::uint64_t count)
    {
        if (count > Left())
            throw EStreamReadError();
        auto part = data_.subspan(pos_, static_cast<std::size_t>(count));
        pos_ += static_cast<std::size_t>(count);
        return part;
    }
    // Up to count bytes: fewer when the data ends sooner.
    std::span<const std::uint8_t> TakeUpTo(std::uint64_t count) { return Take(count < Left() ? count : Left()); }
    std::span<const std::uint8_t> Rest() { return Take(Left()); }
    void Skip(std::uint64_t count) { Take(count); }

    // One length byte, then that many single-byte characters.
    std::string ShortString()
    {
        const std::size_t start = pos_;
        const std::uint8_t n = U8();
        if (n > Left()) {
            pos_ = start;
            throw EStreamReadError();
        }
        auto b = Take(n);
        return std::string(b.begin(), b.end());
    }

private:
    std::span<const std::uint8_t> data_;
    std::size_t pos_ = 0;
};
