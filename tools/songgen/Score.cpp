#include "Score.h"

#include <sstream>
#include <stdexcept>

namespace {

constexpr std::uint32_t kEighth = kTicksPerBeat / 2;

struct TSectionText {
    ESection section;
    const char* chords; // one symbol per bar
    const char* melody; // "key/eighths" or "-/eighths" tokens, bars split by "|"
};

// Bm G D A: the verse walks down from the relative minor and lifts at the dominant, once round
// its eight bars so that the song stays near three minutes at its unhurried tempo; the
// pre-chorus climbs Em F#m G A into the chorus, which opens on the tonic.
const TSectionText kSong[] = {
    {ESection::Intro, "Bm G D A", "-/8 | -/8 | -/8 | -/8"},
    {ESection::Verse, "Bm G D A Bm G D A",
     "F#5/2 F#5/1 E5/1 D5/2 B4/2 | D5/3 B4/1 G4/4 | A4/2 D5/2 F#5/2 E5/2 | E5/6 -/2 |"
     "F#5/2 F#5/1 G5/1 A5/2 F#5/2 | G5/2 F#5/1 E5/1 D5/2 B4/2 | A4/2 D5/1 E5/1 F#5/2 A5/2 | G5/3 F#5/1 E5/4"},
    {ESection::PreChorus, "Em F#m G A Em F#m G A",
     "E5/2 G5/2 B5/2 G5/2 | F#5/2 A5/2 C#6/2 A5/2 | B5/2 A5/2 G5/2 D5/2 | E5/2 C#5/2 E5/2 A5/2 |"
     "B5/3 A5/1 G5/2 E5/2 | C#6/3 B5/1 A5/2 F#5/2 | D6/2 B5/2 G5/2 B5/2 | A5/4 -/2 E5/1 F#5/1"},
    {ESection::Chorus, "D A Bm G D A G A D A Bm G Em A D D",
     "A5/3 F#5/1 D5/2 F#5/2 | E5/3 C#5/1 A4/2 E5/2 | F#5/2 D5/1 F#5/1 B5/2 A5/2 | G5/3 F#5/1 G5/2 B5/2 |"
     "A5/3 F#5/1 D5/2 F#5/2 | E5/3 C#5/1 E5/2 A5/2 | B5/2 A5/2 G5/2 F#5/2 | E5/4 -/2 E5/1 F#5/1 |"
     "A5/3 F#5/1 D5/2 F#5/2 | E5/3 C#5/1 A4/2 E5/2 | F#5/2 D5/1 F#5/1 B5/2 D6/2 | D6/3 B5/1 G5/2 B5/2 |"
     "B5/2 A5/2 G5/2 E5/2 | E5/2 A5/2 B5/2 C#6/2 | D6/8 | -/8"},
    {ESection::Bridge, "G A F#m Bm G A Bm A",
     "B4/3 D5/1 G5/4 | A5/3 G5/1 E5/4 | F#5/3 E5/1 C#5/4 | D5/3 C#5/1 B4/4 |"
     "B4/2 D5/2 G5/2 B5/2 | A5/3 G5/1 E5/2 C#5/2 | D5/2 F#5/2 B5/2 A5/2 | E5/4 -/2 E5/1 F#5/1"},
    {ESection::Chorus, "D A Bm G D A G A D A Bm G Em A D D",
     "A5/3 F#5/1 D5/2 F#5/2 | E5/3 C#5/1 A4/2 E5/2 | F#5/2 D5/1 F#5/1 B5/2 A5/2 | G5/3 F#5/1 G5/2 B5/2 |"
     "A5/3 F#5/1 D5/2 F#5/2 | E5/3 C#5/1 E5/2 A5/2 | B5/2 A5/2 G5/2 F#5/2 | E5/4 -/2 E5/1 F#5/1 |"
     "A5/3 F#5/1 D5/2 F#5/2 | E5/3 C#5/1 A4/2 E5/2 | F#5/2 D5/1 F#5/1 B5/2 D6/2 | D6/3 B5/1 G5/2 B5/2 |"
     "B5/2 A5/2 G5/2 E5/2 | E5/2 A5/2 B5/2 C#6/2 | D6/4 A5/2 F#5/2 | -/4 A5/2 B5/2"},
    {ESection::Outro, "G A D D", "D6/2 B5/2 G5/2 B5/2 | A5/4 E5/2 C#5/2 | D5/8 | -/8"},
};

int PitchClass(const std::string& text, std::size_t& pos)
{
    static const int kNatural[] = {9, 11, 0, 2, 4, 5, 7}; // A B C D E F G
    if (pos >= text.size() || text[pos] < 'A' || text[pos] > 'G')
        throw std::runtime_error("bad note name '" + text + "'");
    int pc = kNatural[text[pos++] - 'A'];
    if (pos < text.size() && (text[pos] == '#' || text[pos] == 'b'))
        pc += text[pos++] == '#' ? 1 : -1;
    return (pc + 12) % 12;
}

// Appends one bar of melody tokens; every bar must fill exactly eight eighths.
void AddMelodyBar(const std::string& text, std::uint32_t barStart, std::vector<TMelodyNote>& melody)
{
    std::uint32_t eighths = 0;
    for (const std::string& token : Words(text)) {
        const std::size_t slash = token.find('/');
        if (slash == std::string::npos)
            throw std::runtime_error("melody token without length: " + token);
        const int length = std::stoi(token.substr(slash + 1));
        if (length < 1)
            throw std::runtime_error("melody token with no length: " + token);
        const std::string pitch = token.substr(0, slash);
        if (pitch != "-") {
            const std::uint32_t ticks = static_cast<std::uint32_t>(length) * kEighth;
            // A little air between notes keeps repeated keys distinct.
            melody.push_back({barStart + eighths * kEighth, ticks - (ticks > kEighth ? 10 : 6), ParseKey(pitch)});
        }
        eighths += static_cast<std::uint32_t>(length);
    }
    if (eighths != 8)
        throw std::runtime_error("melody bar does not fill 4/4: " + text);
}

} // namespace

std::vector<std::string> Split(const std::string& text, char separator)
{
    std::vector<std::string> parts;
    std::stringstream stream(text);
    std::string part;
    while (std::getline(stream, part, separator))
        parts.push_back(part);
    return parts;
}

std::vector<std::string> Words(const std::string& text)
{
    std::vector<std::string> words;
    std::stringstream stream(text);
    std::string word;
    while (stream >> word)
        words.push_back(word);
    return words;
}

int ParseKey(const std::string& name)
{
    std::size_t pos = 0;
    const int pc = PitchClass(name, pos);
    if (pos + 1 != name.size() || name[pos] < '0' || name[pos] > '9')
        throw std::runtime_error("bad note name '" + name + "'");
    // B#/Cb cross the octave line; the letter's octave is what the writer meant.
    const int letter = name[0] == 'C' && pc == 11 ? -1 : (name[0] == 'B' && pc == 0 ? 1 : 0);
    return (name[pos] - '0' + 1 + letter) * 12 + pc;
}

TChord ParseChord(const std::string& symbol)
{
    std::size_t pos = 0;
    TChord chord;
    chord.name = symbol;
    chord.root = PitchClass(symbol, pos);
    const std::string quality = symbol.substr(pos);
    if (quality.empty())
        chord.intervals = {0, 4, 7};
    else if (quality == "m")
        chord.intervals = {0, 3, 7};
    else if (quality == "sus4")
        chord.intervals = {0, 5, 7};
    else if (quality == "7")
        chord.intervals = {0, 4, 7, 10};
    else if (quality == "m7")
        chord.intervals = {0, 3, 7, 10};
    else if (quality == "maj7")
        chord.intervals = {0, 4, 7, 11};
    else if (quality == "dim7")
        chord.intervals = {0, 3, 6, 9};
    else
        throw std::runtime_error("unknown chord '" + symbol + "'");
    return chord;
}

TScore ComposeScore()
{
    TScore score;
    for (const TSectionText& section : kSong) {
        const std::vector<std::string> chords = Words(section.chords);
        const std::vector<std::string> bars = Split(section.melody, '|');
        if (chords.size() != bars.size())
            throw std::runtime_error("section chords and melody differ in length");
        for (std::size_t i = 0; i < chords.size(); ++i) {
            TBar bar;
            bar.section = section.section;
            bar.index = static_cast<int>(i);
            bar.sectionBars = static_cast<int>(chords.size());
            bar.chord = ParseChord(chords[i]);
            bar.start = score.EndTick();
            AddMelodyBar(bars[i], bar.start, score.melody);
            score.bars.push_back(bar);
        }
    }
    return score;
}
