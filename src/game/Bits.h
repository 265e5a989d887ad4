#pragma once

#include <cstdint>
#include <limits>
#include <set>

// A growable set of bits with an explicit size. Only the set bits are stored, so a beat map
// whose last line names a far-off bar costs no memory for the empty stretch before it.
class TBits {
public:
    static constexpr std::int64_t MaxIndex = std::numeric_limits<std::int32_t>::max() - 1;
    // What an index out of range raises (EBeatMapError).
    static constexpr const char* IndexError = "Bits index out of range";

    std::int32_t Size() const { return size_; }
    // Keeps every bit below the new size as it was; bits at or above it are dropped.
    void SetSize(std::int32_t size);
    bool Bit(std::int32_t index) const;
    // Setting a bit at or beyond the size enlarges the set to index + 1.
    void SetBit(std::int32_t index, bool value);
    // Number of set bits, all of which lie below Size().
    std::int32_t Count() const { return static_cast<std::int32_t>(set_.size()); }
    // The set bits in increasing order.
    const std::set<std::int32_t>& SetBits() const { return set_; }

private:
    std::int32_t size_ = 0;
    std::set<std::int32_t> set_;
};
