#include "game/BeatMapMaker.h"

#include "game/BallKind.h"
#include "midi/MidiData.h"

#include <algorithm>
#include <map>

namespace {

// A ball no sooner than a beat into the song: it comes into sight before it is due.
constexpr std::int32_t kFirstMeet = SongDivision;

std::string Line(std::int32_t mark, const char* kind = nullptr)
{
    return std::to_string(mark / SongTicksPerBar) + ":" + std::to_string(mark % SongTicksPerBar / SongDivision) + ":" +
           std::to_string(mark % SongDivision) + (kind ? std::string(":") + kind : std::string()) + "\n";
}

// The loudest velocity struck at each of the melody's onsets.
std::map<std::int32_t, int> Loudness(const TMidiData& song, const TMelody& melody)
{
    std::map<std::int32_t, int> loudness;
    if (melody.Track < 0 || melody.Track >= song.TrackCount())
        return loudness;
    const TMidiTrackStream* track = song.Tracks(melody.Track);
    for (std::int32_t i = 0; i < track->EventCount(); ++i) {
        const TMidiEvent& e = *track->Events(i);
        if (e.IsNoteOn() && (e.Status & 15) == melody.Channel) {
            int& v = loudness[std::int32_t{e.Tick}];
            v = std::max(v, int(e.Data[1]));
        }
    }
    return loudness;
}

// The velocity below which the given share of the notes lie.
int Percentile(std::vector<int> sorted, double share)
{
    if (sorted.empty())
        return 0;
    std::sort(sorted.begin(), sorted.end());
    return sorted[static_cast<std::size_t>(share * double(sorted.size() - 1))];
}

} // namespace

std::optional<EMapLevel> MapLevelNamed(const std::string& name)
{
    for (EMapLevel level : {EMapLevel::Easy, EMapLevel::Normal, EMapLevel::Hard})
        if (name == MapLevelName(level))
            return level;
    return std::nullopt;
}

const char* MapLevelName(EMapLevel level)
{
    switch (level) {
    case EMapLevel::Easy: return "easy";
    case EMapLevel::Hard: return "hard";
    default: return "normal";
    }
}

TMadeBeatMap MakeBeatMap(const TMidiData& song, const TBeatMapOptions& options)
{
    if (song.PPQN() != SongDivision)
        throw EMelody(Format("A beat map is made for a song of %d ticks to the beat, not %d", SongDivision, song.PPQN()));
    TMadeBeatMap map;
    map.Melody = FindMelody(song, options.Track, options.QuartersPerBeat);

    std::int32_t end = 0;
    for (int t = 0; t < song.TrackCount(); ++t) {
        const TMidiTrackStream* track = song.Tracks(t);
        if (track->EventCount() > 0)
            end = std::max(end, std::int32_t{track->Events(track->EventCount() - 1)->Tick});
    }
    const std::map<std::int32_t, int> loudness = Loudness(song, map.Melody);
    std::vector<int> velocities;
    for (const auto& [tick, v] : loudness)
        velocities.push_back(v);
    // Judged against the song's own range, so a quietly played song still has its hard grips.
    const int soft = Percentile(velocities, 0.2), middle = Percentile(velocities, 0.5),
              loud = Percentile(velocities, 0.8);
    const EMapLevel level = options.Level;
    const auto velocityAt = [&](std::int32_t start) {
        const auto found = loudness.find(start);
        return found == loudness.end() ? middle : found->second;
    };
    int blues = 0, yellows = 0;
    const auto kindOf = [&](std::int32_t start) {
        const int v = velocityAt(start);
        const bool downbeat = start % SongTicksPerBar < MarkGrid;
        // With one loudness throughout, only the metre tells the notes apart.
        const bool hard = (loud > soft && v >= loud) || (downbeat && v >= middle) ||
                          (level == EMapLevel::Hard && v >= middle && v > soft);
        if (hard)
            return level == EMapLevel::Easy ? kBlueKind : kRedKind;
        if (loud > soft && v <= soft && !downbeat)
            return level == EMapLevel::Hard && ++yellows % 6 == 0 ? kStoolKind : kYellowKind;
        return level == EMapLevel::Hard && ++blues % 8 == 0 ? kChainKind : kBlueKind;
    };
    // An easy map keeps a beat between balls and leaves out the weaker notes: those quieter than
    // the song's middle loudness that fall off the bar's first and third beats.
    const std::int32_t spacing = std::max(level == EMapLevel::Easy ? std::max(options.Spacing, SongDivision)
                                                                  : options.Spacing,
                                          MarkGrid);
    const auto strong = [&](std::int32_t start) {
        return velocityAt(start) >= middle || start % (SongTicksPerBar / 2) < MarkGrid;
    };
    std::int32_t last = INT32_MIN / 2;
    for (std::int32_t start : map.Melody.Onsets) {
        // The mark rounds down to a quarter beat, so the ball meets the mark at the note's start
        // rounded up: never before the note sounds.
        const std::int32_t meet = (start + MarkGrid - 1) / MarkGrid * MarkGrid;
        if (meet < kFirstMeet || meet > end - MarkGrid || meet - last < spacing)
            continue;
        if (level == EMapLevel::Easy && !strong(start))
            continue;
        map.Meets.push_back(meet);
        map.Kinds.push_back(kindOf(start));
        last = meet;
    }
    for (std::size_t i = 0; i < map.Meets.size(); ++i)
        map.Text += Line(map.Meets[i] + BallLead, BallKindName(map.Kinds[i]));
    // The highest mark never gets a ball: one more closes the map.
    map.Text += Line((map.Meets.empty() ? kFirstMeet : map.Meets.back()) + BallLead + MarkGrid);
    return map;
}
