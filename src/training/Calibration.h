#pragma once

#include <cstdint>
#include <vector>

// Measuring a hand: the player squeezes the ball as hard as is comfortable, three times, and
// lets go in between. Each squeeze's peak force is taken; the middle one of the three is the
// calibrated peak, so that one slip of the hand does not set the scale.
class TCalibration {
public:
    static constexpr int Squeezes = 3;
    // A squeeze begins when the force passes GripForce and ends when it falls below
    // ReleaseForce; one whose peak stays under LeastPeak is too light to count.
    static constexpr std::uint8_t GripForce = 10;
    static constexpr std::uint8_t ReleaseForce = 5;

    // One force as the ball reports it.
    void Feed(std::uint8_t force);

    bool Done() const { return int(peaks_.size()) >= Squeezes; }
    // The squeezes counted so far.
    int Counted() const { return int(peaks_.size()); }
    const std::vector<std::uint8_t>& Peaks() const { return peaks_; }
    // The middle of the three peaks; 0 until Done.
    std::uint8_t Peak() const;
    // The last force felt, and the highest of the squeeze under way (0 while released).
    std::uint8_t Force() const { return force_; }
    std::uint8_t SqueezePeak() const { return squeezing_ ? squeezePeak_ : 0; }
    // The last squeeze ended below the least peak and did not count.
    bool LastTooLight() const { return tooLight_; }

private:
    std::vector<std::uint8_t> peaks_;
    std::uint8_t force_ = 0;
    std::uint8_t squeezePeak_ = 0;
    bool squeezing_ = false;
    bool tooLight_ = false;
};
