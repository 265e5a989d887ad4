#include "midi/RiffStream.h"

#include "platform/ByteReader.h"

#include <algorithm>
#include <cerrno>
#include <fcntl.h>
#include <span>
#include <sys/stat.h>
#include <unistd.h>

namespace {
std::uint32_t FourCC(const std::string& id)
{
    return std::uint32_t(std::uint8_t(id[0])) | (std::uint32_t(std::uint8_t(id[1])) << 8) |
           (std::uint32_t(std::uint8_t(id[2])) << 16) | (std::uint32_t(std::uint8_t(id[3])) << 24);
}

const std::uint32_t RiffId = 0x46464952;  // "RIFF"
const std::uint32_t ListId = 0x5453494c;  // "LIST"
}

TRiffStream::TRiffStream(const std::string& fileName, ERiffOpenMode mode)
{
    int flags = O_CLOEXEC;
    switch (mode) {
    case ERiffOpenMode::Read: flags |= O_RDONLY; break;
    case ERiffOpenMode::Write: flags |= O_WRONLY; break;
    case ERiffOpenMode::ReadWrite: flags |= O_RDWR; break;
    case ERiffOpenMode::Create: flags |= O_RDWR | O_CREAT | O_TRUNC; break;
    }
    fd_ = ::open(fileName.c_str(), flags, 0644);
    if (fd_ < 0) {
        if (mode == ERiffOpenMode::Create)
            throw EFCreateError(Format("Unable to create %s", fileName.c_str()));
        throw EFOpenError(Format("Unable to open %s", fileName.c_str()));
    }
}

TRiffStream::~TRiffStream()
{
    if (fd_ >= 0)
        ::close(fd_);
}

std::int64_t TRiffStream::FileSize() const
{
    struct stat st {};
    return fstat(fd_, &st) == 0 ? st.st_size : 0;
}

void TRiffStream::Descend(const std::string& id, ERiffSearch search)
{
    if (!id.empty() && id.size() != 4)
        throw Exception("RIFF Chunk ID must be four characters long");
    auto info = std::make_unique<TRiffChunkInfo>();
    info->Id = id;
    const bool isForm = id == "LIST" || id == "RIFF";
    const bool byForm = search == ERiffSearch::FindRiff || search == ERiffSearch::FindList;
    if (!id.empty()) {
        if (isForm)
            info->Info.FormType = FourCC(id);
        else if (byForm)
            info->Info.FormType = FourCC(id);  // "RMID" names the form inside a RIFF chunk
        else
            info->Info.ChunkId = FourCC(id);
    }

    // A descent searches within the chunk last descended into, or the whole file.
    std::int64_t end = FileSize();
    if (!chunks_.empty()) {
        const TRiffChunkRecord& parent = chunks_.back()->Info;
        end = std::min<std::int64_t>(end, std::int64_t(parent.DataOffset) + parent.Size);
    }
    const std::uint32_t wantedChunk = search == ERiffSearch::FindRiff ? RiffId
                                    : search == ERiffSearch::FindList ? ListId
                                                                      : info->Info.ChunkId;
    const std::uint32_t wantedForm = info->Info.FormType;
    std::int64_t at = lseek(fd_, 0, SEEK_CUR);
    while (at >= 0 && at + 8 <= end) {
        // A chunk header: id and size, then the form type for "RIFF" and "LIST".
        std::uint8_t header[12];
        const std::int64_t available = std::min<std::int64_t>(12, end - at);
        const ssize_t got = pread(fd_, header, static_cast<size_t>(available), at);
        TByteReader in(std::span<const std::uint8_t>(header, got < 0 ? 0 : static_cast<std::size_t>(got)));
        if (in.Left() < 8)
            break;
        const std::uint32_t ckid = in.U32();
        const std::uint32_t size = in.U32();
        const bool hasForm = ckid == RiffId || ckid == ListId;
        std::uint32_t form = 0;
        if (hasForm) {
            if (in.Left() < 4)
                break;
            form = in.U32();
        }
        bool match;
        if (id.empty() && search == ERiffSearch::None)
            match = true;
        else if (byForm)
            match = ckid == wantedChunk && form == wantedForm;
        else
            match = ckid == wantedChunk;
        if (match) {
            info->Info.ChunkId = ckid;
            info->Info.Size = size;
            info->Info.FormType = form;
            info->Info.DataOffset = static_cast<std::uint32_t>(at + 8);
            lseek(fd_, at + 8 + (hasForm ? 4 : 0), SEEK_SET);
            chunks_.push_back(std::move(info));
            return;
        }
        if (search == ERiffSearch::None)
            break;
        at += 8 + std::int64_t(size) + (size & 1);  // chunks are padded to even length
    }
    throw Exception("Unable to descend into " + id);
}

std::int64_t TRiffStream::Read(void* buffer, std::int64_t count)
{
    if (count <= 0)
        return 0;
    ssize_t n;
    do
        n = ::read(fd_, buffer, static_cast<size_t>(count));
    while (n < 0 && errno == EINTR);
    return n < 0 ? 0 : n;
}

std::vector<std::uint8_t> TRiffStream::ReadToEnd()
{
    std::vector<std::uint8_t> bytes(static_cast<std::size_t>(Remaining()));
    bytes.resize(static_cast<std::size_t>(ReadFully(fd_, bytes.data(), std::int64_t(bytes.size()))));
    return bytes;
}

std::int64_t TRiffStream::Write(const void* buffer, std::int64_t count)
{
    if (count <= 0)
        return 0;
    const ssize_t n = ::write(fd_, buffer, static_cast<size_t>(count));
    return n < 0 ? 0 : n;
}

std::int64_t TRiffStream::Seek(std::int64_t offset, int origin)
{
    return lseek(fd_, offset, origin);
}

std::int64_t TRiffStream::Remaining() const
{
    const off_t at = lseek(fd_, 0, SEEK_CUR);
    return at < 0 ? 0 : std::max<std::int64_t>(FileSize() - at, 0);
}
