#pragma once

#include "platform/Exception.h"

#include <cstddef>
#include <cstdint>

class EVirtualMemory : public Exception {
public:
    using Exception::Exception;
};

// A memory stream whose address space is reserved once at creation and committed as it
// grows, so references into it stay valid for the stream's whole life.
class TVirtualMemoryStream {
public:
    static constexpr std::int64_t GrowthStep = 1024;

    TVirtualMemoryStream(std::int64_t capacity, std::int64_t initialSize);
    virtual ~TVirtualMemoryStream();
    TVirtualMemoryStream(const TVirtualMemoryStream&) = delete;
    TVirtualMemoryStream& operator=(const TVirtualMemoryStream&) = delete;

    std::int64_t Capacity() const { return capacity_; }
    std::int64_t Size() const { return size_; }
    void SetSize(std::int64_t size);
    std::int64_t Position() const { return position_; }
    void SetPosition(std::int64_t position) { position_ = position < 0 ? 0 : position; }

    std::int64_t Read(void* buffer, std::int64_t count);
    std::int64_t Write(const void* buffer, std::int64_t count);

    std::uint8_t* Memory() { return base_; }
    const std::uint8_t* Memory() const { return base_; }

private:
    std::uint8_t* base_ = nullptr;
    std::int64_t capacity_ = 0;
    std::int64_t reserved_ = 0;   // capacity rounded up to whole pages
    std::int64_t committed_ = 0;  // bytes from base_ that are readable and writable
    std::int64_t size_ = 0;
    std::int64_t position_ = 0;

    void CommitUpTo(std::int64_t end);
};
