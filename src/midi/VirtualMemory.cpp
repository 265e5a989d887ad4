#include "midi/VirtualMemory.h"

#include <algorithm>
#include <cstring>
#include <sys/mman.h>
#include <unistd.h>

namespace {
std::int64_t PageSize()
{
    static const std::int64_t page = sysconf(_SC_PAGESIZE);
    return page;
}

std::int64_t RoundUpToPage(std::int64_t bytes)
{
    const std::int64_t page = PageSize();
    return (bytes + page - 1) / page * page;
}
}

TVirtualMemoryStream::TVirtualMemoryStream(std::int64_t capacity, std::int64_t initialSize)
    : capacity_(std::max<std::int64_t>(capacity, 0))
{
    reserved_ = RoundUpToPage(capacity_);
    if (reserved_ > 0) {
        void* p = mmap(nullptr, static_cast<size_t>(reserved_), PROT_NONE,
                       MAP_PRIVATE | MAP_ANONYMOUS | MAP_NORESERVE, -1, 0);
        if (p == MAP_FAILED)
            throw EVirtualMemory("Unable to reserve memory");
        base_ = static_cast<std::uint8_t*>(p);
    }
    SetSize(initialSize);
}

TVirtualMemoryStream::~TVirtualMemoryStream()
{
    if (base_)
        munmap(base_, static_cast<size_t>(reserved_));
}

void TVirtualMemoryStream::CommitUpTo(std::int64_t end)
{
    const std::int64_t target = std::min(RoundUpToPage(end), reserved_);
    if (target <= committed_)
        return;
    if (mprotect(base_ + committed_, static_cast<size_t>(target - committed_), PROT_READ | PROT_WRITE) != 0)
        throw EVirtualMemory("Unable to commit memory");
    committed_ = target;
}

void TVirtualMemoryStream::SetSize(std::int64_t size)
{
    if (size == size_)
        return;
    if (size > capacity_)
        throw EVirtualMemory("Size exceeds capacity");
    if (size < 0)
        size = 0;
    if (size > size_) {
        // Grow in generous steps so that appending record by record does not commit page by page.
        const std::int64_t grow = std::min(std::max(size - size_, GrowthStep), capacity_ - size_);
        CommitUpTo(size_ + grow);
        size_ += grow;
        return;
    }
    // Shrinking hands whole pages past the new end back to the system; the partial page
    // holding the new end stays committed, with its tail zeroed as a fresh commit would be.
    const std::int64_t keep = RoundUpToPage(size);
    if (keep < committed_) {
        madvise(base_ + keep, static_cast<size_t>(committed_ - keep), MADV_DONTNEED);
        mprotect(base_ + keep, static_cast<size_t>(committed_ - keep), PROT_NONE);
        committed_ = keep;
    }
    std::memset(base_ + size, 0, static_cast<size_t>(std::min(size_, keep) - size));
    size_ = size;
    position_ = std::min(position_, size_);
}

std::int64_t TVirtualMemoryStream::Read(void* buffer, std::int64_t count)
{
    const std::int64_t n = std::clamp<std::int64_t>(size_ - position_, 0, std::max<std::int64_t>(count, 0));
    if (n > 0)
        std::memcpy(buffer, base_ + position_, static_cast<size_t>(n));
    position_ += n;
    return n;
}

std::int64_t TVirtualMemoryStream::Write(const void* buffer, std::int64_t count)
{
    if (count <= 0)
        return 0;
    if (position_ + count > size_)
        SetSize(position_ + count);
    std::memcpy(base_ + position_, buffer, static_cast<size_t>(count));
    position_ += count;
    return count;
}
