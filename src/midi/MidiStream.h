#pragma once

#include "platform/Exception.h"

#include <cstdint>
#include <string>

// Failures of the file layer under the song reader.
class EStreamError : public Exception {
public:
    using Exception::Exception;
};
class EReadError : public EStreamError {
public:
    using EStreamError::EStreamError;
};
class EFOpenError : public EStreamError {
public:
    using EStreamError::EStreamError;
};
class EFCreateError : public EStreamError {
public:
    using EStreamError::EStreamError;
};

// The little a song reader needs from a source of bytes. Remaining() lets readers check a
// declared size against what is really there before trusting it.
class TMidiByteStream {
public:
    virtual ~TMidiByteStream() = default;
    virtual std::int64_t Read(void* buffer, std::int64_t count) = 0;
    virtual std::int64_t Remaining() const = 0;

    // Reads exactly count bytes or fails with "Stream read error".
    void ReadBuffer(void* buffer, std::int64_t count);
    std::uint32_t ReadBigEndian32();
};

// A read-only view of bytes held elsewhere.
class TMidiMemoryStream final : public TMidiByteStream {
public:
    TMidiMemoryStream(const void* data, std::int64_t size)
        : data_(static_cast<const std::uint8_t*>(data)), size_(size < 0 ? 0 : size) {}
    std::int64_t Read(void* buffer, std::int64_t count) override;
    std::int64_t Remaining() const override { return size_ - position_; }
    std::int64_t Position() const { return position_; }

private:
    const std::uint8_t* data_;
    std::int64_t size_;
    std::int64_t position_ = 0;
};

// A plain file opened for reading: "Cannot open file %s" when it cannot be opened.
class TMidiFileStream final : public TMidiByteStream {
public:
    explicit TMidiFileStream(const std::string& fileName);
    ~TMidiFileStream() override;
    TMidiFileStream(const TMidiFileStream&) = delete;
    TMidiFileStream& operator=(const TMidiFileStream&) = delete;
    std::int64_t Read(void* buffer, std::int64_t count) override;
    std::int64_t Remaining() const override;

private:
    int fd_ = -1;
};
