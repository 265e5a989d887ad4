#include "game/Melody.h"

#include "midi/MidiData.h"

#include <QString>

#include <algorithm>
#include <array>
#include <cmath>
#include <map>
#include <set>

namespace {

constexpr int kDrumChannel = 9;
// A part needs this many notes to carry a song.
constexpr int kFewestNotes = 8;

struct TNote {
    std::int32_t Start;
    std::uint8_t Key;
    std::uint8_t Program;
};

struct TPart {
    int Track, Channel;
    std::vector<TNote> Notes;
};

// Programs by channel through the song, from every track: a program change holds from its tick.
class TPrograms {
public:
    explicit TPrograms(const TMidiData& song)
    {
        for (int t = 0; t < song.TrackCount(); ++t) {
            const TMidiTrackStream* track = song.Tracks(t);
            for (std::int32_t i = 0; i < track->EventCount(); ++i) {
                const TMidiEvent& e = *track->Events(i);
                if ((e.Status & 0xF0) == 0xC0)
                    changes_[e.Status & 15].push_back({std::int32_t{e.Tick}, e.Data[0]});
            }
        }
        // Of changes at one tick, the one met last holds.
        for (auto& changes : changes_)
            std::stable_sort(changes.begin(), changes.end(), [](const TChange& a, const TChange& b) { return a.Tick < b.Tick; });
    }
    std::uint8_t At(int channel, std::int32_t tick) const
    {
        const auto& changes = changes_[std::size_t(channel)];
        auto it = std::upper_bound(changes.begin(), changes.end(), tick,
                                   [](std::int32_t t, const TChange& c) { return t < c.Tick; });
        return it == changes.begin() ? 0 : std::prev(it)->Program;
    }

private:
    // A song may hold millions of them: kept in a sorted array, not a tree.
    struct TChange {
        std::int32_t Tick;
        std::uint8_t Program;
    };
    std::array<std::vector<TChange>, 16> changes_;
};

bool Mentions(const QString& name, std::initializer_list<const char*> words)
{
    for (const char* w : words)
        if (name.contains(QString::fromUtf8(w), Qt::CaseInsensitive))
            return true;
    return false;
}

// What a track's name says about it: a lead line, an accompaniment, or nothing.
double NameWeight(const std::string& trackName)
{
    const QString name = QString::fromStdString(trackName);
    if (Mentions(name, {"melod", "lead", "vocal", "voice", "solo", "sing", "tune", "theme", "main", "right hand",
                        "rh"}))
        return 2.0;
    if (Mentions(name, {"bass", "drum", "perc", "slagverk", "kit", "chord", "pad", "rhythm", "accomp", "backing",
                        "comp", "harmony", "left hand", "lh", "string"}))
        return 0.4;
    return 1.0;
}

// What a General MIDI instrument says: basses and pads seldom carry the tune, brass, reeds,
// pipes and synth leads often do.
double ProgramWeight(int program)
{
    if (program >= 32 && program <= 39)
        return 0.25;  // basses
    if (program == 43 || program == 47 || program == 55)
        return 0.3;   // contrabass, timpani, orchestra hit
    if (program >= 48 && program <= 54)
        return 0.75;  // ensembles and choirs
    if (program >= 88 && program <= 103)
        return 0.5;   // pads and effects
    if (program >= 120)
        return 0.2;   // sound effects
    if (program >= 56 && program <= 87)
        return 1.25;  // brass, reeds, pipes, synth leads
    return 1.0;
}

bool Percussive(int program) { return program >= 112 && program <= 119; }

double Score(const TPart& part, std::int32_t songStart, std::int32_t songEnd, int ppqn, const std::string& name,
             int program, std::vector<std::int32_t>& onsets)
{
    // Notes struck within a twelfth of a beat of each other are one onset; its pitch is the
    // highest of them, the line a listener follows.
    const std::int32_t together = std::max(1, ppqn / 12);
    int chords = 0;
    double pitch = 0;
    std::set<int> keys;
    std::size_t i = 0;
    const auto& notes = part.Notes;
    while (i < notes.size()) {
        const std::int32_t start = notes[i].Start;
        int top = notes[i].Key, count = 0;
        for (; i < notes.size() && notes[i].Start - start < together; ++i, ++count) {
            top = std::max<int>(top, notes[i].Key);
            keys.insert(notes[i].Key);
        }
        onsets.push_back(start);
        chords += count > 1;
        pitch += top;
    }
    const double n = double(onsets.size());
    pitch /= n;
    const std::int32_t bar = 4 * ppqn;
    std::set<std::int32_t> bars;
    for (std::int32_t s : onsets)
        bars.insert((s - songStart) / bar);
    const double songBars = std::max<double>(1, double(songEnd - songStart) / bar);
    const double coverage = std::min(1.0, double(bars.size()) / songBars);
    const double density = n / double(bars.size());

    double score = std::sqrt(coverage);
    score *= 1.0 - 0.7 * chords / n;
    score *= std::clamp((pitch - 40.0) / 30.0, 0.1, 1.0);
    score *= density < 2 ? std::max(0.2, density / 2) : density > 10 ? std::max(0.2, 10 / density) : 1.0;
    score *= NameWeight(name) * ProgramWeight(program);
    // A part that plays two or three keys only is a drum in all but name.
    if (keys.size() < 4)
        score *= 0.1;
    return score;
}

} // namespace

TMelody FindMelody(const TMidiData& song, std::optional<int> onlyTrack, int quartersPerBeat)
{
    const TPrograms programs(song);
    std::map<std::pair<int, int>, TPart> parts;
    std::int32_t songStart = INT32_MAX, songEnd = 0;
    for (int t = 0; t < song.TrackCount(); ++t) {
        const TMidiTrackStream* track = song.Tracks(t);
        for (std::int32_t i = 0; i < track->EventCount(); ++i) {
            const TMidiEvent& e = *track->Events(i);
            if (!e.IsNoteOn())
                continue;
            const int channel = e.Status & 15;
            const TMidiEvent* off = track->Events(e.Partner);
            // A record's fields are packed: its ticks are copied, never bound to a reference.
            const std::int32_t start = e.Tick, end = off ? off->Tick : e.Tick;
            songStart = std::min(songStart, start);
            songEnd = std::max(songEnd, end);
            if (onlyTrack && t != *onlyTrack)
                continue;
            TPart& part = parts.try_emplace({t, channel}, TPart{t, channel, {}}).first->second;
            part.Notes.push_back({e.Tick, e.Data[0], programs.At(channel, e.Tick)});
        }
    }
    if (parts.empty()) {
        if (onlyTrack)
            throw EMelody(Format("Track %d has no notes", *onlyTrack));
        throw EMelody("The song has no notes");
    }

    // Ticks to the quarter note.
    const int ppqn = std::max(1, song.PPQN() / std::max(1, quartersPerBeat));
    TMelody best;
    double bestScore = -1;
    // Drums only when nothing else plays: a tune never loses to them.
    for (bool drums : {false, true}) {
        for (auto& [key, part] : parts) {
            std::stable_sort(part.Notes.begin(), part.Notes.end(),
                             [](const TNote& a, const TNote& b) { return a.Start < b.Start; });
            std::map<int, int> uses;
            for (const TNote& n : part.Notes)
                ++uses[n.Program];
            const int program = std::max_element(uses.begin(), uses.end(), [](auto& a, auto& b) {
                                    return a.second < b.second;
                                })->first;
            const bool drum = part.Channel == kDrumChannel || Percussive(program);
            if (drum != drums || (!drums && int(part.Notes.size()) < kFewestNotes && !onlyTrack))
                continue;
            const std::string name = song.Tracks(part.Track)->TrackName();
            TMelody candidate{part.Track, part.Channel, name, program, {}};
            double score = Score(part, songStart, songEnd, ppqn, name, program, candidate.Onsets);
            if (drums)
                score = double(candidate.Onsets.size());
            if (score > bestScore) {
                bestScore = score;
                best = std::move(candidate);
            }
        }
        if (bestScore >= 0)
            break;
    }
    // A song of only a few scattered notes: the busiest part, whatever it is.
    if (bestScore < 0) {
        for (auto& [key, part] : parts) {
            TMelody candidate{part.Track, part.Channel, song.Tracks(part.Track)->TrackName(), part.Notes.front().Program, {}};
            for (const TNote& n : part.Notes)
                if (candidate.Onsets.empty() || candidate.Onsets.back() != n.Start)
                    candidate.Onsets.push_back(n.Start);
            if (double(candidate.Onsets.size()) > bestScore) {
                bestScore = double(candidate.Onsets.size());
                best = std::move(candidate);
            }
        }
    }
    return best;
}
