#include "game/BeatMapMaker.h"

#include "midi/MidiData.h"

#include <algorithm>

namespace {

// A ball no sooner than a beat into the song: it comes into sight before it is due.
constexpr std::int32_t kFirstMeet = SongDivision;

std::string Line(std::int32_t mark)
{
    return std::to_string(mark / SongTicksPerBar) + ":" + std::to_string(mark % SongTicksPerBar / SongDivision) + ":" +
           std::to_string(mark % SongDivision) + "\n";
}

} // namespace

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
    const std::int32_t spacing = std::max(options.Spacing, MarkGrid);
    std::int32_t last = INT32_MIN / 2;
    for (std::int32_t start : map.Melody.Onsets) {
        // The mark rounds down to a quarter beat, so the ball meets the mark at the note's start
        // rounded up: never before the note sounds.
        const std::int32_t meet = (start + MarkGrid - 1) / MarkGrid * MarkGrid;
        if (meet < kFirstMeet || meet > end - MarkGrid || meet - last < spacing)
            continue;
        map.Meets.push_back(meet);
        last = meet;
    }
    for (std::int32_t meet : map.Meets)
        map.Text += Line(meet + BallLead);
    // The highest mark never gets a ball: one more closes the map.
    map.Text += Line((map.Meets.empty() ? kFirstMeet : map.Meets.back()) + BallLead + MarkGrid);
    return map;
}
