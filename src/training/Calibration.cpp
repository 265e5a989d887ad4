#include "training/Calibration.h"

#include "training/ForceScale.h"

#include <algorithm>

void TCalibration::Feed(std::uint8_t force)
{
    force_ = force;
    if (Done())
        return;
    if (!squeezing_) {
        if (force > GripForce) {
            squeezing_ = true;
            squeezePeak_ = force;
        }
        return;
    }
    squeezePeak_ = std::max(squeezePeak_, force);
    if (force >= ReleaseForce)
        return;
    squeezing_ = false;
    tooLight_ = squeezePeak_ < TForceScale::LeastPeak;
    if (!tooLight_)
        peaks_.push_back(squeezePeak_);
}

std::uint8_t TCalibration::Peak() const
{
    if (!Done())
        return 0;
    std::vector<std::uint8_t> sorted(peaks_.begin(), peaks_.begin() + Squeezes);
    std::sort(sorted.begin(), sorted.end());
    return sorted[Squeezes / 2];
}
