#include "sound/FrameClock.h"

std::int64_t TFrameClock::HeardUs(std::int64_t estimateUs, std::uint64_t framesWritten, int sampleRate)
{
    const std::int64_t mapped = anchorUs_ + std::int64_t((framesWritten - anchorFrame_) * 1000000 / std::uint64_t(sampleRate));
    const std::int64_t error = estimateUs - mapped;
    if (reanchor_ || error > JumpUs || error < -JumpUs) {
        anchorUs_ = estimateUs;
        reanchor_ = false;
    } else {
        anchorUs_ = mapped + error / SlewDivisor;
    }
    anchorFrame_ = framesWritten;
    return anchorUs_;
}
