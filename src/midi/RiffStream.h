#pragma once

#include "midi/SongFile.h"

#include <cstdint>
#include <memory>
#include <string>
#include <vector>

// The chunk-information record of one chunk descended into.
struct TRiffChunkRecord {
    std::uint32_t ChunkId = 0;
    std::uint32_t Size = 0;
    std::uint32_t FormType = 0;
    std::uint32_t DataOffset = 0;
    std::uint32_t Flags = 0;
};

class TRiffChunkInfo {
public:
    std::string Id;
    TRiffChunkRecord Info;
};

enum class ERiffOpenMode { Read, Write, ReadWrite, Create };
enum class ERiffSearch { None, FindChunk, FindRiff, FindList };

// A RIFF file: descend into chunks by id, then read from where the descent left off.
class TRiffStream final {
public:
    TRiffStream(const std::string& fileName, ERiffOpenMode mode);
    ~TRiffStream();
    TRiffStream(const TRiffStream&) = delete;
    TRiffStream& operator=(const TRiffStream&) = delete;

    void Descend(const std::string& id, ERiffSearch search);
    std::int64_t Read(void* buffer, std::int64_t count);
    // Everything from the current position to the end of the file.
    std::vector<std::uint8_t> ReadToEnd();
    std::int64_t Write(const void* buffer, std::int64_t count);
    std::int64_t Seek(std::int64_t offset, int origin);  // origin: SEEK_SET, SEEK_CUR or SEEK_END
    std::int64_t Remaining() const;

    const std::vector<std::unique_ptr<TRiffChunkInfo>>& Chunks() const { return chunks_; }

private:
    int fd_ = -1;
    std::vector<std::unique_ptr<TRiffChunkInfo>> chunks_;

    std::int64_t FileSize() const;
};
