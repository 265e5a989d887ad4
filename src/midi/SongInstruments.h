#pragma once

#include "midi/MidiDevice.h"

#include <vector>

class TMidiData;

// Every instrument a note of the song sounds on, in order and each once: the program and bank
// its channel holds when the note starts, with the first program of each track sent as playing
// starts, and channel 10 playing drum kits.
std::vector<TMidiInstrument> SongInstruments(const TMidiData& song);
