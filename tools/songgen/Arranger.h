#pragma once

#include "MidiWriter.h"
#include "Score.h"

#include <vector>

// General MIDI arrangement of the score: the conductor track (tempo, metre, key), then melody,
// bass, piano chords, strings and drums (channel 10), each on its own named track.
std::vector<TMidiTrackWriter> ArrangeScore(const TScore& score);
