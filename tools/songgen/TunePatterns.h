#pragma once

#include "Tune.h"

#include <string>
#include <vector>

// The rhythms the accompaniment plays, a bar at a time, for each metre and style. A pattern is
// a row of slots sharing the bar evenly; "." holds what sounds, "-" silences it, other
// characters strike (what they strike is the part's own: bass R F O T, chords x X 1 2 3 4).
// A tune's own "pattern ROLE.STYLE SLOTS" line takes the place of the metre's.

// The slots of "bass" or "chords" in the style; throws when neither tune nor metre has one.
std::string Pattern(const TTune& tune, const std::string& role, EStyle style);

// One drum of the kit and its slots: X loud, x medium, o soft, "." nothing.
struct TDrumLane {
    int key = 0;
    std::string slots;
};

// "drums" patterns are lanes "K:X...x..." of kick K, snare S, side stick C, closed hat H,
// pedal hat P, open hat O, ride R, ride bell B, tambourine T, crash Y.
std::vector<TDrumLane> DrumPattern(const TTune& tune, EStyle style);

// The velocity of a drum slot, 0 for none.
int DrumVelocity(char slot);
