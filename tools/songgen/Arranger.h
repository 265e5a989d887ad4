#pragma once

#include "MidiWriter.h"
#include "Score.h"

#include <vector>

// General MIDI arrangement of the score: the melody first, carrying the conductor's tempo, metre,
// key and section markers, then bass, piano chords, strings and drums (channel 10), each on its
// own named track.
std::vector<TMidiTrackWriter> ArrangeScore(const TScore& score);
