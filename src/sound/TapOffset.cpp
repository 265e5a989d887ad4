#include "sound/TapOffset.h"

#include <algorithm>
#include <cmath>

TTapOffset::TTapOffset(std::int64_t firstHeardUs, std::int64_t beatUs, int clicks)
    : firstHeardUs_(firstHeardUs), beatUs_(std::max<std::int64_t>(1, beatUs)), tapped_(std::size_t(std::max(1, clicks)))
{
}

bool TTapOffset::Tap(std::int64_t tapUs)
{
    const double beats = double(tapUs - firstHeardUs_) / double(beatUs_);
    const std::int64_t index = std::llround(beats);
    if (index < 0 || index >= ClickCount())
        return false;
    const std::int64_t difference = tapUs - ClickHeardUs(int(index));
    if (2 * std::abs(difference) > beatUs_ || tapped_[std::size_t(index)])
        return false;
    tapped_[std::size_t(index)] = true;
    differences_.push_back(difference);
    return true;
}

std::optional<std::int64_t> TTapOffset::OffsetUs() const
{
    if (ValidTaps() < MinimumTaps)
        return std::nullopt;
    std::vector<std::int64_t> sorted = differences_;
    std::sort(sorted.begin(), sorted.end());
    const std::size_t middle = sorted.size() / 2;
    if (sorted.size() % 2)
        return sorted[middle];
    return (sorted[middle - 1] + sorted[middle]) / 2;
}
