#pragma once

#include <cstdint>
#include <optional>
#include <unordered_set>

// One player's figures over one game: every judgement that credited the player's results, and
// every force its grip took while the song played. Hits, score, percentage and combo follow the
// game's own rules (a ball credited on three frames is three hits), counted for this game alone.
class TGameStats {
public:
    // A judgement of ball (any object that stays the same ball for the whole game) with its
    // ordinal in its lane; hit when it was credited.
    void Judged(const void* ball, std::int32_t ordinal, bool hit);
    // A force as reported (0..255), with the reading the gate took from it: a reading of 0 or
    // 1 is a released ball, and a rise out of that is one grip.
    void Force(std::uint8_t force, std::int32_t reading);
    // A hit judged at the moment of the grip, offsetMs after the ball's moment (negative when
    // early).
    void Timed(double offsetMs);

    // Balls judged at least once, and those credited at least once.
    int Balls() const { return int(met_.size()); }
    int BallsHit() const { return int(hit_.size()); }
    int Hits() const { return hits_; }
    int Score() const;
    // As the game works it out: the hits against the last ordinal judged (but at least 100).
    int Percent() const;
    int LongestCombo() const { return longestCombo_; }
    int Grips() const { return grips_; }
    int PeakForce() const { return peakForce_; }
    // The mean of each grip's highest force; none without a grip.
    std::optional<double> MeanGripForce() const;
    // The mean and the standard deviation of the hits' offsets; none without a timed hit.
    std::optional<double> TimingMeanMs() const;
    std::optional<double> TimingSpreadMs() const;

private:
    std::unordered_set<const void*> met_, hit_;
    int hits_ = 0;
    std::int32_t lastOrdinal_ = 0;
    int combo_ = 0, longestCombo_ = 0;
    bool released_ = true;
    int grips_ = 0;
    int peakForce_ = 0;
    int gripPeak_ = 0;
    std::int64_t gripPeaks_ = 0;
    int timed_ = 0;
    double timingSum_ = 0, timingSquares_ = 0;
};
