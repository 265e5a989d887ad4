#pragma once

#include <cstdint>
#include <string>
#include <vector>

// The song as written: sections of bars, a chord per bar and the melody. The arranger turns it
// into the instrument tracks; the beat map follows the melody.

constexpr std::uint32_t kTicksPerBeat = 100;
constexpr std::uint32_t kTicksPerBar = 4 * kTicksPerBeat;
// 88 beats a minute: a ball moves one pixel per tick, so about 147 pixels a second, under 15 a
// frame, and even a frame that comes 120 ms late finds it inside the 19-pixel judging window.
constexpr std::uint32_t kMicrosecondsPerBeat = 681818;

enum class ESection { Intro, Verse, PreChorus, Chorus, Bridge, Outro };

struct TChord {
    int root = 0;                 // pitch class, C = 0
    std::vector<int> intervals;   // semitones above the root, root included as 0
    std::string name;
};

struct TBar {
    ESection section = ESection::Intro;
    int index = 0;                // bar within its section, from 0
    int sectionBars = 0;          // length of its section
    TChord chord;
    std::uint32_t start = 0;      // tick of the bar's first beat
};

struct TMelodyNote {
    std::uint32_t tick = 0;
    std::uint32_t length = 0;
    int key = 0;
};

struct TScore {
    std::vector<TBar> bars;
    std::vector<TMelodyNote> melody;
    std::uint32_t EndTick() const { return static_cast<std::uint32_t>(bars.size()) * kTicksPerBar; }
};

// The parts of text between separators, and its words between blanks.
std::vector<std::string> Split(const std::string& text, char separator);
std::vector<std::string> Words(const std::string& text);

// Parses "C#5" style note names (C4 = 60); throws on anything else.
int ParseKey(const std::string& name);
// Parses "Bm", "F#m", "G", "Asus4", "A7", "Em7", "Fmaj7", "C#dim7" style chord symbols; throws on
// anything else.
TChord ParseChord(const std::string& symbol);

TScore ComposeScore();
