#pragma once

#include "Score.h"

#include <cstdint>
#include <map>
#include <string>
#include <vector>

// A tune as its text file writes it: the metre, tempo and instruments, its sections (bars of
// chords and a one-voice melody) and the form, the order in which the sections are played and
// how each time. The tune arranger turns it into the parts of a song.

// Ticks to the quarter note of every song written from a tune.
constexpr std::uint32_t kTuneDivision = 480;

enum class EStyle { Soft, Normal, Full };

struct TTuneChord {
    std::uint32_t start = 0; // ticks from the section's start
    std::uint32_t end = 0;
    TChord chord;
};

struct TTuneNote {
    std::int32_t tick = 0; // from the section's start; a pickup lies before it
    std::uint32_t length = 0;
    int key = 0;
};

struct TTuneSection {
    std::string name;
    int bars = 0;
    std::vector<TTuneChord> chords;
    std::vector<TTuneNote> melody;
};

// One playing of a section.
struct TFormItem {
    std::string section;
    EStyle style = EStyle::Normal;
    int lead = -1;          // the melody's program this time; the tune's own when negative
    int octave = 0;         // the melody moved by whole octaves
    int shift = 0;          // everything moved by semitones
    bool counter = false;   // a counter-line below the melody
    bool pad = false;       // held chords
    int round = 0;          // the counter part plays the melody again, this many bars later
    double tempoFrom = 0;   // quarter notes a minute from the first bar, 0: as before
    double tempoTo = 0;     // ... moving evenly to this at the last bar
};

struct TTune {
    std::string title;
    std::string composer;
    int numerator = 4;
    int denominator = 4;
    double tempo = 0;
    std::string key;        // "G", "Em": the key signature
    std::map<std::string, int> programs; // part name -> General MIDI program, from 0
    std::map<std::string, std::string> patterns; // "bass.full" -> slots, over the metre's own
    std::vector<TTuneSection> sections;
    std::vector<TFormItem> form;

    std::uint32_t BarTicks() const { return static_cast<std::uint32_t>(numerator) * 4 * kTuneDivision / static_cast<std::uint32_t>(denominator); }
    // 6/8, 9/8, 12/8: beats of three eighths.
    bool Compound() const { return denominator == 8 && numerator % 3 == 0; }
    // The beat a listener counts: a dotted quarter in a compound metre, else the denominator's note.
    std::uint32_t BeatTicks() const
    {
        return Compound() ? 3 * kTuneDivision / 2 : 4 * kTuneDivision / static_cast<std::uint32_t>(denominator);
    }
    const TTuneSection& Section(const std::string& name) const;
};

// Reads a tune file; throws std::runtime_error naming the line for anything it cannot use.
TTune ParseTune(const std::string& text);
