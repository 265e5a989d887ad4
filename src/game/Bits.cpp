#include "game/Bits.h"

#include "game/BeatMapError.h"

void TBits::SetSize(std::int32_t size)
{
    if (size < 0)
        throw EBeatMapError(IndexError);
    set_.erase(set_.lower_bound(size), set_.end());
    size_ = size;
}

bool TBits::Bit(std::int32_t index) const
{
    if (index < 0 || index >= size_)
        throw EBeatMapError(IndexError);
    return set_.count(index) != 0;
}

void TBits::SetBit(std::int32_t index, bool value)
{
    if (index < 0 || index > MaxIndex)
        throw EBeatMapError(IndexError);
    if (index >= size_)
        size_ = index + 1;
    if (value)
        set_.insert(index);
    else
        set_.erase(index);
}
