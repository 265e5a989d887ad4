#pragma once

#include "game/BallKind.h"
#include "game/BeatMapError.h"
#include "game/Bits.h"
#include "game/Synergy.h"

#include <cstdint>
#include <optional>
#include <string>
#include <vector>

// One line of the beat map: bar, beat within the bar and tick within the beat.
struct TBeatLine {
    std::int32_t bar = 0;
    std::int32_t beat = 0;
    std::int32_t tick = 0;
    // The ball's kind when a fourth field names one.
    std::optional<int> kind;
};

// Reads bar, beat and tick from a beat-map line; ":" and "," separate fields alike. A fourth
// field that names a ball's kind is kept; anything else after the third field is ignored.
TBeatLine ParseBeatLine(const std::string& line);

// Loads the beat map into a bit set of song positions quantised to quarter beats.
class TMetronome : public TSynergy {
public:
    // Loads from the game's data directory as it stands at each load.
    TMetronome() = default;
    // Loads from the given folder instead; it is prefixed, unchanged, to every file name.
    explicit TMetronome(std::string dataDirectory);

    // Reads dataDirectory + fileName. The bit set is resized, not cleared, so marks of an
    // earlier load below the new size stay; a failure leaves the bits set so far.
    void LoadBeatMap(const std::string& fileName);
    // Reads beat-map text that is already at hand, as LoadBeatMap reads a file's, with the same
    // failures.
    void LoadBeatMapText(const std::string& text);

    const TBits& Marks() const { return marks_; }
    const std::vector<std::string>& Lines() const { return lines_; }
    // The kinds the last map loaded gives; when two lines share a quarter beat the first counts.
    const TBallKinds& Kinds() const { return kinds_; }

private:
    std::optional<std::string> dataDirectory_;
    std::vector<std::string> lines_;
    TBits marks_;
    TBallKinds kinds_;
};
