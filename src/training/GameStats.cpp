#include "training/GameStats.h"

#include "game/Scoring.h"

#include <algorithm>
#include <cmath>

void TGameStats::Judged(const void* ball, std::int32_t ordinal, bool hit)
{
    met_.insert(ball);
    lastOrdinal_ = ordinal;
    if (!hit) {
        combo_ = 0;
        return;
    }
    hit_.insert(ball);
    ++hits_;
    longestCombo_ = std::max(longestCombo_, ++combo_);
}

void TGameStats::Force(std::uint8_t force, std::int32_t reading)
{
    peakForce_ = std::max<int>(peakForce_, force);
    if (reading <= 1) {
        if (!released_)
            gripPeaks_ += gripPeak_;
        released_ = true;
        return;
    }
    if (released_) {
        released_ = false;
        ++grips_;
        gripPeak_ = 0;
    }
    gripPeak_ = std::max<int>(gripPeak_, force);
}

int TGameStats::Score() const { return hits_ * TScoring::PointsPerHit; }

int TGameStats::Percent() const { return TScoring::Percent(hits_, lastOrdinal_); }

std::optional<double> TGameStats::MeanGripForce() const
{
    if (grips_ == 0)
        return std::nullopt;
    // A grip still held when the game ends counts with the force it reached.
    const std::int64_t total = gripPeaks_ + (released_ ? 0 : gripPeak_);
    return double(total) / grips_;
}

void TGameStats::Timed(double offsetMs)
{
    ++timed_;
    timingSum_ += offsetMs;
    timingSquares_ += offsetMs * offsetMs;
}

std::optional<double> TGameStats::TimingMeanMs() const
{
    if (timed_ == 0)
        return std::nullopt;
    return timingSum_ / timed_;
}

std::optional<double> TGameStats::TimingSpreadMs() const
{
    if (timed_ == 0)
        return std::nullopt;
    const double mean = timingSum_ / timed_;
    // Rounding may leave a hair below zero when every offset is the same.
    return std::sqrt(std::max(0.0, timingSquares_ / timed_ - mean * mean));
}
