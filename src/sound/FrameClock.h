#pragma once

#include <cstdint>

// When the next frame written to a stream is heard, from the server's estimate of each write.
// Small corrections are spread out, so that the estimate's wobble of a fraction of a
// millisecond does not move the sound; a large one (after an underrun or a restart, or the
// first after Reanchor) is taken at once.
class TFrameClock {
public:
    static constexpr std::int64_t SlewDivisor = 32;
    static constexpr std::int64_t JumpUs = 8000;

    // The next estimate is taken as it is.
    void Reanchor() { reanchor_ = true; }
    // estimateUs: when the server says the next frame is heard; framesWritten: the frames
    // written before it. Returns when it is heard, on the clock of the estimates.
    std::int64_t HeardUs(std::int64_t estimateUs, std::uint64_t framesWritten, int sampleRate);

private:
    std::int64_t anchorUs_ = 0;  // when frame anchorFrame_ is heard
    std::uint64_t anchorFrame_ = 0;
    bool reanchor_ = true;
};
