#pragma once

#include "MidiWriter.h"
#include "Score.h"

#include <cstdint>
#include <vector>

// The small craft every arrangement shares: how a part is set up, how a chord is voiced, where
// its bass lies and how a hit varies its loudness.

// A fixed small wobble so repeated hits do not sound like a machine gun; the same every run.
int Humanise(std::uint32_t tick, int key, int velocity);

// Program (none when negative), volume, pan and reverb of a part, at the song's start.
void Setup(TMidiTrackWriter& track, int channel, int program, int volume, int pan, int reverb);

// Close-position chord tones with the lowest at or above low, choosing the inversion whose
// middle lies nearest centre so the hands move little from chord to chord.
std::vector<int> Voice(const TChord& chord, int low, int centre, int tones);

// The chord's root, or the tone offset semitones above it, between A1 and G#2, where a finger
// bass is round but still clear.
int BassKey(const TChord& chord, int offset = 0);
