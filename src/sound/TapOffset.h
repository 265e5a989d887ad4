#pragma once

#include <cstdint>
#include <optional>
#include <vector>

// How much later than the game reckons the player hears its sound: a steady click is played,
// the player taps along, and the median of the taps' distances from the clicks is the offset.
// Times are on the game's clock; the clicks are given at the moments the game reckons them
// heard (their due times plus the latency the output admits to), so the offset is what the
// output does not admit to.
class TTapOffset {
public:
    static constexpr int Clicks = 16;
    static constexpr int MinimumTaps = 8;

    TTapOffset(std::int64_t firstHeardUs, std::int64_t beatUs, int clicks = Clicks);

    std::int64_t BeatUs() const { return beatUs_; }
    int ClickCount() const { return int(tapped_.size()); }
    // When click `index` is reckoned heard.
    std::int64_t ClickHeardUs(int index) const { return firstHeardUs_ + std::int64_t(index) * beatUs_; }
    // Once the clock is past this, no tap can count any more.
    std::int64_t EndUs() const { return ClickHeardUs(ClickCount() - 1) + beatUs_ / 2; }

    // A tap at that moment. It counts for the nearest click, if that is within half a beat and
    // has no tap yet (a second tap on one click is a bounce or a stray); returns whether it did.
    bool Tap(std::int64_t tapUs);
    int ValidTaps() const { return int(differences_.size()); }
    // The median distance from click to tap (positive: heard late), or none with too few taps.
    std::optional<std::int64_t> OffsetUs() const;

private:
    std::int64_t firstHeardUs_;
    std::int64_t beatUs_;
    std::vector<bool> tapped_;
    std::vector<std::int64_t> differences_;
};
