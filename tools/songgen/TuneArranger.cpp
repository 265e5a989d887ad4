#include "TuneArranger.h"

#include "ArrangeKit.h"
#include "TunePatterns.h"

#include <algorithm>
#include <cmath>
#include <functional>
#include <optional>
#include <stdexcept>

namespace {

constexpr int kMelodyChannel = 0;
constexpr int kCounterChannel = 1;
constexpr int kChordsChannel = 2;
constexpr int kBassChannel = 3;
constexpr int kPadChannel = 4;
constexpr int kDrumChannel = 9;

enum EDrum { Crash = 49, Kick = 36, Snare = 38, HighTom = 50, MidTom = 47, LowTom = 45 };

struct TPlacedItem {
    std::uint32_t start, end;
    const TFormItem* form;
    int program;
};

struct TPlacedChord {
    std::uint32_t start, end;
    TChord chord;
    std::size_t item;
};

struct TPlacedNote {
    std::uint32_t start, length;
    int key;
    std::size_t item;
    std::uint32_t End() const { return start + length; }
};

std::string BarOf(std::uint32_t tick, std::uint32_t bar) { return "bar " + std::to_string(tick / bar + 1); }

void NoOverlaps(std::vector<TPlacedNote>& notes, std::uint32_t bar, const std::string& part)
{
    std::stable_sort(notes.begin(), notes.end(), [](const TPlacedNote& a, const TPlacedNote& b) { return a.start < b.start; });
    for (std::size_t i = 1; i < notes.size(); ++i)
        if (notes[i].start < notes[i - 1].End())
            throw std::runtime_error("the " + part + " plays two notes at once in " + BarOf(notes[i].start, bar));
}

// The form played out: where each item lies, its chords and the melody moved as it asks.
class TLayout {
public:
    explicit TLayout(const TTune& tune) : tune_(tune), bar_(tune.BarTicks())
    {
        std::uint32_t at = 0;
        for (const TFormItem& form : tune.form) {
            const TTuneSection& section = tune.Section(form.section);
            const std::size_t index = items_.size();
            items_.push_back({at, at + static_cast<std::uint32_t>(section.bars) * bar_, &form,
                              form.lead >= 0 ? form.lead : Program("melody")});
            for (TTuneChord chord : section.chords) {
                chord.chord.root = ((chord.chord.root + form.shift) % 12 + 12) % 12;
                chords_.push_back({at + chord.start, at + chord.end, chord.chord, index});
            }
            for (const TTuneNote& note : section.melody) {
                if (std::int64_t(at) + note.tick < 0)
                    throw std::runtime_error("the pickup of " + form.section + " comes before the song starts");
                const int key = note.key + form.shift + 12 * form.octave;
                if (key < 0 || key > 127)
                    throw std::runtime_error("a note of " + form.section + " leaves the keyboard");
                const TPlacedNote placed{static_cast<std::uint32_t>(std::int64_t(at) + note.tick), note.length, key, index};
                melody_.push_back(placed);
                if (form.round > 0)
                    round_.push_back({placed.start + static_cast<std::uint32_t>(form.round) * bar_, placed.length, key - 12, index});
            }
            at = items_.back().end;
        }
        end_ = at;
        NoOverlaps(melody_, bar_, "melody");
        for (const TPlacedNote& note : round_)
            if (note.End() > end_)
                throw std::runtime_error("the round runs past the song's end");
    }

    const TTune& Tune() const { return tune_; }
    std::uint32_t Bar() const { return bar_; }
    std::uint32_t End() const { return end_; }
    const std::vector<TPlacedItem>& Items() const { return items_; }
    const std::vector<TPlacedChord>& Chords() const { return chords_; }
    const std::vector<TPlacedNote>& Melody() const { return melody_; }
    const std::vector<TPlacedNote>& Round() const { return round_; }
    // The last chord: every part holds it to the end.
    std::uint32_t FinalStart() const { return chords_.back().start; }

    int Program(const std::string& part) const
    {
        const auto found = tune_.programs.find(part);
        if (found == tune_.programs.end())
            throw std::runtime_error("the parts line names no instrument for the " + part);
        return found->second;
    }

    const TPlacedChord& ChordAt(std::uint32_t tick) const
    {
        const auto found = std::upper_bound(chords_.begin(), chords_.end(), tick,
                                            [](std::uint32_t t, const TPlacedChord& c) { return t < c.start; });
        return *std::prev(found);
    }

    bool Uses(bool TFormItem::*flag) const
    {
        return std::any_of(tune_.form.begin(), tune_.form.end(), [flag](const TFormItem& f) { return f.*flag; });
    }

private:
    const TTune& tune_;
    std::uint32_t bar_;
    std::uint32_t end_ = 0;
    std::vector<TPlacedItem> items_;
    std::vector<TPlacedChord> chords_;
    std::vector<TPlacedNote> melody_, round_;
};

// Every tone of the chord, the seventh too.
int Tones(const TChord& chord) { return static_cast<int>(chord.intervals.size()); }

int Loudness(EStyle style, int soft, int normal, int full)
{
    return style == EStyle::Soft ? soft : style == EStyle::Full ? full : normal;
}

// Releases a little before the next note so repeated keys stay distinct.
std::uint32_t Sounding(std::uint32_t length) { return length - std::clamp<std::uint32_t>(length / 8, 12, 60); }

std::vector<std::uint8_t> KeySignature(const std::string& key, int shift)
{
    const TChord chord = ParseChord(key);
    const bool minor = chord.intervals[1] == 3;
    const int major = ((chord.root + shift + (minor ? 3 : 0)) % 12 + 12) % 12;
    int fifths = major * 7 % 12;
    if (fifths > 6)
        fifths -= 12;
    return {static_cast<std::uint8_t>(static_cast<std::int8_t>(fifths)), static_cast<std::uint8_t>(minor)};
}

TMidiTrackWriter Conductor(const TLayout& layout)
{
    const TTune& tune = layout.Tune();
    TMidiTrackWriter track(tune.title);
    if (!tune.composer.empty()) {
        const std::string notice = "Tune: " + tune.composer + ", in the public domain. Arrangement: Grip Rhythm";
        track.Meta(0, 0x02, std::vector<std::uint8_t>(notice.begin(), notice.end()));
    }
    const std::uint8_t power = tune.denominator == 2 ? 1 : tune.denominator == 4 ? 2 : 3;
    // A metronome click on the counted beat, in MIDI clocks of 24 a quarter note.
    const std::uint8_t clocks = static_cast<std::uint8_t>(24 * tune.BeatTicks() / kTuneDivision);
    track.Meta(0, 0x58, {static_cast<std::uint8_t>(tune.numerator), power, clocks, 8});
    std::uint32_t tempo = 0;
    std::optional<int> shift;
    auto setTempo = [&](std::uint32_t tick, double bpm) {
        const auto microseconds = static_cast<std::uint32_t>(std::lround(60e6 / bpm));
        if (microseconds != tempo)
            track.Tempo(tick, microseconds);
        tempo = microseconds;
    };
    setTempo(0, tune.tempo);
    for (const TPlacedItem& item : layout.Items()) {
        const TFormItem& form = *item.form;
        if (!shift || *shift != form.shift)
            track.Meta(item.start, 0x59, KeySignature(tune.key, form.shift));
        shift = form.shift;
        track.Meta(item.start, 0x06, std::vector<std::uint8_t>(form.section.begin(), form.section.end()));
        if (form.tempoFrom > 0) {
            const std::uint32_t bars = (item.end - item.start) / layout.Bar();
            for (std::uint32_t b = 0; b < bars; ++b)
                setTempo(item.start + b * layout.Bar(),
                         bars < 2 ? form.tempoFrom : form.tempoFrom + (form.tempoTo - form.tempoFrom) * b / (bars - 1));
        }
    }
    return track;
}

TMidiTrackWriter Melody(const TLayout& layout)
{
    TMidiTrackWriter track("Melody");
    Setup(track, kMelodyChannel, -1, 112, 64, 40);
    track.Controller(0, kMelodyChannel, 93, 16);
    int current = -1;
    for (const TPlacedNote& note : layout.Melody()) {
        const TPlacedItem& item = layout.Items()[note.item];
        // A pickup sounds before its item begins, in the new instrument already.
        if (item.program != current)
            track.Program(current < 0 ? 0 : note.start, kMelodyChannel, item.program);
        current = item.program;
        const bool downbeat = note.start % layout.Bar() == 0;
        const int velocity = Loudness(item.form->style, 84, 96, 108) + (downbeat ? 8 : 0);
        track.Note(note.start, Sounding(note.length), kMelodyChannel, note.key, Humanise(note.start, note.key, velocity));
    }
    return track;
}

// Below the melody, one chord tone a span (half a bar, a bar of three): the one nearest a major
// third under the lowest melody note of the span, so the line moves with the tune as a second
// voice; where the tune rests, the tone nearest the one before.
std::vector<TPlacedNote> CounterLine(const TLayout& layout)
{
    const TTune& tune = layout.Tune();
    const std::uint32_t span = tune.Compound() ? tune.BeatTicks() : tune.numerator % 2 == 0 ? 2 * tune.BeatTicks() : tune.BarTicks();
    std::vector<TPlacedNote> line;
    int previous = 60;
    for (std::size_t i = 0; i < layout.Items().size(); ++i) {
        const TPlacedItem& item = layout.Items()[i];
        if (!item.form->counter)
            continue;
        // A chord that changes inside a span starts the next one.
        for (std::uint32_t from = item.start, to = 0; from < std::min(item.end, layout.FinalStart()); from = to) {
            const TPlacedChord& chord = layout.ChordAt(from);
            to = std::min({from + span - (from - item.start) % span, chord.end, layout.FinalStart()});
            std::optional<int> lowest;
            for (const TPlacedNote& note : layout.Melody())
                if (note.start < to && note.End() > from)
                    lowest = std::min(lowest.value_or(127), note.key);
            const int low = lowest ? std::max(45, *lowest - 12) : 52, high = lowest ? *lowest - 3 : 67;
            const int target = lowest ? *lowest - 4 : previous;
            std::optional<int> best;
            for (int key = low; key <= high; ++key)
                for (int interval : chord.chord.intervals)
                    if ((chord.chord.root + interval) % 12 == key % 12 && (!best || std::abs(key - target) < std::abs(*best - target)))
                        best = key;
            if (best && !line.empty() && line.back().key == *best && line.back().End() == from)
                line.back().length += to - from;
            else if (best)
                line.push_back({from, to - from, *best, i});
            if (best)
                previous = *best;
        }
    }
    return line;
}

TMidiTrackWriter Counter(const TLayout& layout)
{
    TMidiTrackWriter track("Counter-line");
    Setup(track, kCounterChannel, layout.Program("counter"), 88, 40, 56);
    std::vector<TPlacedNote> notes = CounterLine(layout);
    notes.insert(notes.end(), layout.Round().begin(), layout.Round().end());
    NoOverlaps(notes, layout.Bar(), "counter-line");
    for (const TPlacedNote& note : notes) {
        const EStyle style = layout.Items()[note.item].form->style;
        track.Note(note.start, Sounding(note.length), kCounterChannel, note.key,
                   Humanise(note.start, note.key, Loudness(style, 64, 76, 88)));
    }
    return track;
}

// Runs the role's pattern over every bar before the final chord: strike(start, length, slot
// character, chord) for each note it plays. A chord that changes on a held slot is struck anew.
void RunPattern(const TLayout& layout, const std::string& role, char restrike,
                const std::function<void(std::uint32_t, std::uint32_t, char, const TPlacedChord&, EStyle)>& strike)
{
    for (const TPlacedItem& item : layout.Items()) {
        const std::string slots = Pattern(layout.Tune(), role, item.form->style);
        const std::uint32_t slot = layout.Bar() / static_cast<std::uint32_t>(slots.size());
        for (std::uint32_t bar = item.start; bar < item.end; bar += layout.Bar()) {
            std::uint32_t held = 0;
            char heldAs = 0; // 0 while nothing sounds
            const auto close = [&](std::uint32_t at) {
                if (heldAs)
                    strike(held, at - held, heldAs, layout.ChordAt(held), item.form->style);
                heldAs = 0;
            };
            for (std::size_t i = 0; i < slots.size(); ++i) {
                const std::uint32_t tick = bar + static_cast<std::uint32_t>(i) * slot;
                if (tick >= layout.FinalStart())
                    break;
                char c = slots[i];
                if (c == '.' && layout.ChordAt(tick).start == tick && heldAs)
                    c = restrike;
                if (c == '.')
                    continue;
                close(tick);
                if (c != '-') {
                    held = tick;
                    heldAs = c;
                }
            }
            close(std::min(bar + layout.Bar(), layout.FinalStart()));
        }
    }
}

TMidiTrackWriter Chords(const TLayout& layout)
{
    TMidiTrackWriter track("Chords");
    const int channel = kChordsChannel;
    Setup(track, channel, layout.Program("chords"), 92, 84, 48);
    RunPattern(layout, "chords", 'x', [&](std::uint32_t at, std::uint32_t length, char c, const TPlacedChord& chord, EStyle style) {
        const int velocity = Loudness(style, 52, 64, 76) + (c == 'X' ? 12 : 0);
        std::vector<int> keys = Voice(chord.chord, 55, 62, Tones(chord.chord));
        if (c >= '1' && c <= '4') {
            // A broken chord from the bass up: root, fifth, octave, the third above it.
            const int root = 48 + (chord.chord.root + 12 - 48 % 12) % 12;
            const int tones[] = {root, root + 7, root + 12, root + 12 + chord.chord.intervals[1]};
            keys = {tones[c - '1']};
        } else if (c != 'x' && c != 'X') {
            throw std::runtime_error(std::string("a chords pattern plays x, X and 1 to 4, not ") + c);
        }
        for (int key : keys)
            track.Note(at, Sounding(length), channel, key, Humanise(at, key, velocity));
    });
    for (int key : Voice(layout.ChordAt(layout.FinalStart()).chord, 55, 62, Tones(layout.ChordAt(layout.FinalStart()).chord)))
        track.Note(layout.FinalStart(), layout.End() - layout.FinalStart() - 10, channel, key, 84);
    return track;
}

TMidiTrackWriter Bass(const TLayout& layout)
{
    TMidiTrackWriter track("Bass");
    Setup(track, kBassChannel, layout.Program("bass"), 104, 64, 16);
    RunPattern(layout, "bass", 'R', [&](std::uint32_t at, std::uint32_t length, char c, const TPlacedChord& chord, EStyle style) {
        const int offsets[] = {0, 7, 12, chord.chord.intervals[1]};
        const std::size_t which = std::string("RFOT").find(c);
        if (which == std::string::npos)
            throw std::runtime_error(std::string("a bass pattern plays R, F, O and T, not ") + c);
        const int key = BassKey(chord.chord, offsets[which] % 12) + (c == 'O' ? 12 : 0);
        const int velocity = Loudness(style, 80, 92, 104) + (at % layout.Bar() == 0 ? 6 : 0);
        track.Note(at, Sounding(length), kBassChannel, key, Humanise(at, key, velocity));
    });
    const int root = BassKey(layout.ChordAt(layout.FinalStart()).chord);
    track.Note(layout.FinalStart(), layout.End() - layout.FinalStart() - 10, kBassChannel, root, 100);
    return track;
}

TMidiTrackWriter Pad(const TLayout& layout)
{
    TMidiTrackWriter track("Pad");
    Setup(track, kPadChannel, layout.Program("pad"), 64, 24, 80);
    const auto& chords = layout.Chords();
    for (std::size_t i = 0; i < chords.size(); ++i) {
        const TFormItem& form = *layout.Items()[chords[i].item].form;
        if (!form.pad)
            continue;
        const std::uint32_t start = chords[i].start;
        std::uint32_t end = chords[i].end;
        // The same chord held on within the item sounds as one.
        while (i + 1 < chords.size() && chords[i + 1].item == chords[i].item && chords[i + 1].chord.name == chords[i].chord.name)
            end = chords[++i].end;
        for (int key : Voice(chords[i].chord, 50, 57, Tones(chords[i].chord)))
            track.Note(start, end - start - 4, kPadChannel, key, Loudness(form.style, 52, 62, 72));
    }
    return track;
}

struct THit {
    std::uint32_t tick;
    int key;
    int velocity;
};

TMidiTrackWriter Drums(const TLayout& layout)
{
    TMidiTrackWriter track("Drums");
    Setup(track, kDrumChannel, -1, 100, 64, 32);
    const std::uint32_t beat = layout.Tune().BeatTicks();
    std::vector<THit> hits;
    const auto& items = layout.Items();
    for (std::size_t i = 0; i < items.size(); ++i) {
        const TPlacedItem& item = items[i];
        const EStyle style = item.form->style;
        for (const TDrumLane& lane : DrumPattern(layout.Tune(), style)) {
            const std::uint32_t slot = layout.Bar() / static_cast<std::uint32_t>(lane.slots.size());
            for (std::uint32_t bar = item.start; bar < item.end; bar += layout.Bar())
                for (std::size_t s = 0; s < lane.slots.size(); ++s)
                    if (const int velocity = DrumVelocity(lane.slots[s]))
                        hits.push_back({bar + static_cast<std::uint32_t>(s) * slot, lane.key, velocity});
        }
        if (style != EStyle::Soft)
            hits.push_back({item.start, Crash, style == EStyle::Full ? 112 : 96});
        // Into the next item: the last beat rolls down the toms.
        const std::uint32_t fill = item.end - beat;
        if (style == EStyle::Soft || i + 1 == items.size() || fill < item.start || item.end > layout.FinalStart())
            continue;
        std::erase_if(hits, [&](const THit& h) { return h.tick >= fill && h.tick < item.end; });
        const int kit[] = {Snare, Snare, HighTom, MidTom, LowTom, LowTom};
        const std::uint32_t strokes = layout.Tune().Compound() ? 3 : 4;
        for (std::uint32_t s = 0; s < strokes; ++s)
            hits.push_back({fill + s * beat / strokes, kit[s + (strokes == 3 ? 1 : 0)], 84 + 6 * static_cast<int>(s)});
    }
    std::erase_if(hits, [&](const THit& h) { return h.tick >= layout.FinalStart(); });
    hits.push_back({layout.FinalStart(), Crash, 112});
    hits.push_back({layout.FinalStart(), Kick, 112});
    // A drum struck twice at one tick (a crash over a pattern's crash) sounds once, the louder.
    std::stable_sort(hits.begin(), hits.end(), [](const THit& a, const THit& b) {
        return a.tick != b.tick ? a.tick < b.tick : a.key != b.key ? a.key < b.key : a.velocity > b.velocity;
    });
    hits.erase(std::unique(hits.begin(), hits.end(), [](const THit& a, const THit& b) { return a.tick == b.tick && a.key == b.key; }),
               hits.end());
    for (const THit& hit : hits)
        track.Note(hit.tick, 30, kDrumChannel, hit.key, Humanise(hit.tick, hit.key, hit.velocity));
    return track;
}

} // namespace

std::vector<TMidiTrackWriter> ArrangeTune(const TTune& tune)
{
    const TLayout layout(tune);
    std::vector<TMidiTrackWriter> tracks{Conductor(layout), Melody(layout)};
    if (layout.Uses(&TFormItem::counter) || !layout.Round().empty())
        tracks.push_back(Counter(layout));
    tracks.push_back(Chords(layout));
    tracks.push_back(Bass(layout));
    if (layout.Uses(&TFormItem::pad))
        tracks.push_back(Pad(layout));
    tracks.push_back(Drums(layout));
    return tracks;
}
