#include "midi/MidiStream.h"

#include <algorithm>
#include <cerrno>
#include <cstring>
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

void TMidiByteStream::ReadBuffer(void* buffer, std::int64_t count)
{
    if (count < 0 || count > Remaining() || Read(buffer, count) != count)
        throw EReadError("Stream read error");
}

std::uint32_t TMidiByteStream::ReadBigEndian32()
{
    std::uint8_t b[4];
    ReadBuffer(b, 4);
    return (std::uint32_t(b[0]) << 24) | (std::uint32_t(b[1]) << 16) | (std::uint32_t(b[2]) << 8) | b[3];
}

std::int64_t TMidiMemoryStream::Read(void* buffer, std::int64_t count)
{
    const std::int64_t n = std::clamp<std::int64_t>(size_ - position_, 0, std::max<std::int64_t>(count, 0));
    if (n > 0)
        std::memcpy(buffer, data_ + position_, static_cast<size_t>(n));
    position_ += n;
    return n;
}

TMidiFileStream::TMidiFileStream(const std::string& fileName)
{
    fd_ = ::open(fileName.c_str(), O_RDONLY | O_CLOEXEC);
    struct stat st {};
    if (fd_ >= 0 && (fstat(fd_, &st) != 0 || !S_ISREG(st.st_mode))) {
        ::close(fd_);
        fd_ = -1;
    }
    if (fd_ < 0)
        throw EFOpenError(Format("Cannot open file %s", fileName.c_str()));
}

TMidiFileStream::~TMidiFileStream()
{
    if (fd_ >= 0)
        ::close(fd_);
}

std::int64_t TMidiFileStream::Read(void* buffer, std::int64_t count)
{
    std::int64_t done = 0;
    auto* out = static_cast<std::uint8_t*>(buffer);
    while (done < count) {
        const ssize_t n = ::read(fd_, out + done, static_cast<size_t>(count - done));
        if (n < 0 && errno == EINTR)
            continue;
        if (n <= 0)
            break;
        done += n;
    }
    return done;
}

std::int64_t TMidiFileStream::Remaining() const
{
    struct stat st {};
    if (fstat(fd_, &st) != 0)
        return 0;
    const off_t at = lseek(fd_, 0, SEEK_CUR);
    return at < 0 ? 0 : std::max<std::int64_t>(st.st_size - at, 0);
}
