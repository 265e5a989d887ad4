#pragma once

#include "MidiWriter.h"
#include "Tune.h"

#include <vector>

// General MIDI arrangement of a tune in its own metre and tempo: a first track named with the
// tune's title carrying the tempo, metre, key and a marker at each section, then the melody,
// a counter-line (where the form asks for one), chords, bass, held chords (where asked for)
// and drums on channel 10, each on its own named track and channel. The melody lies above the
// other parts and plays one note at a time, the part a listener hums. Throws std::runtime_error
// when the tune cannot be played so (melody notes overlapping, a pickup before the start).
std::vector<TMidiTrackWriter> ArrangeTune(const TTune& tune);
