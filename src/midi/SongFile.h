#pragma once

#include "platform/Exception.h"

#include <cstdint>
#include <string>
#include <vector>

// Failures of the file layer under the song reader.
class EFOpenError : public Exception {
public:
    using Exception::Exception;
};
class EFCreateError : public Exception {
public:
    using Exception::Exception;
};

// The whole of a plain file, for the song reader to walk with a byte reader: "Cannot open
// file %s" when it cannot be opened or is not a regular file.
std::vector<std::uint8_t> ReadSongFile(const std::string& fileName);

// Reads from fd until count bytes are in or the file ends; the bytes read.
std::int64_t ReadFully(int fd, void* buffer, std::int64_t count);
