#include "midi/SongFile.h"

#include <cerrno>
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

std::int64_t ReadFully(int fd, void* buffer, std::int64_t count)
{
    std::int64_t done = 0;
    auto* out = static_cast<std::uint8_t*>(buffer);
    while (done < count) {
        const ssize_t n = ::read(fd, out + done, static_cast<size_t>(count - done));
        if (n < 0 && errno == EINTR)
            continue;
        if (n <= 0)
            break;
        done += n;
    }
    return done;
}

std::vector<std::uint8_t> ReadSongFile(const std::string& fileName)
{
    const int fd = ::open(fileName.c_str(), O_RDONLY | O_CLOEXEC);
    struct stat st {};
    if (fd < 0 || fstat(fd, &st) != 0 || !S_ISREG(st.st_mode)) {
        if (fd >= 0)
            ::close(fd);
        throw EFOpenError(Format("Cannot open file %s", fileName.c_str()));
    }
    std::vector<std::uint8_t> bytes(static_cast<std::size_t>(st.st_size));
    bytes.resize(static_cast<std::size_t>(ReadFully(fd, bytes.data(), std::int64_t(bytes.size()))));
    ::close(fd);
    return bytes;
}
