#pragma once

#include "game/BeatMapMaker.h"

#include <QString>

// What "Adapt to me" moves between one player's games: the level a made map is made at, the
// melody's speed, and for a calibrated ball the share of the peak that gives level 6.
struct TAdaptSettings {
    EMapLevel Level = EMapLevel::Normal;
    int Speed = 100;
    int Share = 70;

    bool operator==(const TAdaptSettings&) const = default;
};

// The hit rates (per cent) a player is kept between.
struct TAdaptBand {
    int Low = 70;
    int High = 85;
};

// The step after one game: the settings for the next, and what the player is told of it.
struct TAdaptStep {
    TAdaptSettings Next;
    QString Reason;
};

// The rule. The hit rate is the balls hit of the balls met, in whole per cents. Above the band
// the next game is one step harder: the speed first, up to full speed, then the level, then the
// share of the peak. Below the band one step easier, in the reverse order: the share, the
// level, the speed. Within the band, or with no ball met, nothing changes. A step that cannot be
// taken (the song's map is its own, the ball is not calibrated, or the setting is at its bound)
// gives way to the next in the order; when none can be taken, nothing changes.
class TAdapting {
public:
    static constexpr int SpeedStep = 10, LeastSpeed = 30, MostSpeed = 100;
    static constexpr int ShareStep = 5, LeastShare = 10, MostShare = 100;

    explicit TAdapting(TAdaptBand band = {}) : band_(band) {}

    // The band in griprhythm.conf (adapt/band_low, adapt/band_high), or 70 to 85 per cent
    // where those are missing or make no band (with a warning).
    static TAdaptBand ConfiguredBand();
    // Speeds and shares brought within their bounds.
    static TAdaptSettings Bounded(TAdaptSettings settings);

    TAdaptStep Next(const TAdaptSettings& now, int balls, int ballsHit, bool levelMoves, bool shareMoves) const;

private:
    TAdaptBand band_;
};
