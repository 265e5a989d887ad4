#pragma once

#include "game/SoundEffect.h"
#include "platform/Listeners.h"

#include <cstdint>
#include <functional>

class TCombo;
class TExplode;
class TGameOutput;
class TMarker;
class TOk;
class TPercentag;
class TPrize;

// One player's results as the judging credits them: score and hits (the marker), the combo,
// the percentage, the two hit effects, the hit sound and the memo line. A rule mark is given
// the scoring it credits; the displays and effects belong to their screens and the game.
class TScoring {
public:
    // Player 0 or 1: the effects are placed for that player.
    TScoring(int player, TMarker& marker, TCombo& combo, TPercentag& percentage);
    TScoring(const TScoring&) = delete;
    TScoring& operator=(const TScoring&) = delete;

    static constexpr std::int32_t PointsPerHit = 50;

    // Both effects are made after the game; until then a hit shows none.
    void SetEffects(TExplode* explode, TOk* ok);
    // Where the memo lines go; none means nowhere.
    void SetOutput(TGameOutput* output) { output_ = output; }

    // A hit: the explosion, 50 points and a hit, the OK, the combo one up and the hit sound,
    // in that order.
    void Credit();
    // What ends every judgement of the ball, hit or not: the percentage of the hits against the
    // ball's ordinal is shown and logged, and a judgement without a hit breaks the combo.
    void Record(const TPrize& ball, bool hit);

    // The percentage hits make against a ball's ordinal (but at least 100), halves rounded to
    // the even neighbour.
    static std::int32_t Percent(std::int32_t hits, std::int32_t ordinal);

    TMarker& Marker() const { return marker_; }
    TCombo& Combo() const { return combo_; }
    TPercentag& Percentage() const { return percentage_; }
    TExplode* Explode() const { return explode_; }
    TOk* Ok() const { return ok_; }

    // What a hit plays; by default the game's own hit sound.
    THitSound HitSound = PlayHitSound;
    // Told of every judgement once it is recorded: the ball and whether it was credited.
    TListeners<void(const TPrize& ball, bool hit)> OnJudged;
    // Told of a hit judged at the moment of the grip: how many milliseconds after the ball's
    // moment at the mark it came (negative when early).
    TListeners<void(double offsetMs)> OnTiming;

private:
    int player_;
    TMarker& marker_;
    TCombo& combo_;
    TPercentag& percentage_;
    TExplode* explode_ = nullptr;
    TOk* ok_ = nullptr;
    TGameOutput* output_ = nullptr;
};
