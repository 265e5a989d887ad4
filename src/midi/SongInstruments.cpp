#include "midi/SongInstruments.h"

#include "midi/MidiData.h"
#include "midi/MidiTrackStream.h"

#include <algorithm>
#include <array>
#include <set>
#include <tuple>

namespace {
constexpr int PercussionChannel = 9;

struct TChannelEvent {
    std::int32_t Tick;
    int Track;
    std::int32_t Index;
    const TMidiEvent* Event;
};
}

std::vector<TMidiInstrument> SongInstruments(const TMidiData& song)
{
    // A program change on a channel in one track holds for that channel's notes in every track,
    // so the tracks are walked together in time.
    std::vector<TChannelEvent> events;
    std::array<std::uint8_t, 16> programs{}, banks{};
    for (int t = 0; t < song.TrackCount(); ++t) {
        const TMidiTrackStream* track = song.Tracks(t);
        programs[track->FirstChannel() & 15] = track->FirstProgram() & 0x7F;
        for (std::int32_t i = 0; i < track->EventCount(); ++i) {
            const TMidiEvent* e = track->Events(i);
            const std::uint8_t kind = e->Status & 0xF0;
            if (e->IsNoteOn() || kind == 0xC0 || (kind == 0xB0 && e->Data[0] == 0))
                events.push_back({e->Tick, t, i, e});
        }
    }
    std::sort(events.begin(), events.end(), [](const TChannelEvent& a, const TChannelEvent& b) {
        return std::tie(a.Tick, a.Track, a.Index) < std::tie(b.Tick, b.Track, b.Index);
    });
    std::vector<TMidiInstrument> instruments;
    std::set<TMidiInstrument> seen;
    for (const TChannelEvent& c : events) {
        const int channel = c.Event->Status & 0x0F;
        switch (c.Event->Status & 0xF0) {
        case 0xC0: programs[channel] = c.Event->Data[0] & 0x7F; break;
        case 0xB0: banks[channel] = c.Event->Data[1] & 0x7F; break;
        default: {
            const TMidiInstrument used{channel == PercussionChannel ? TMidiInstrument::DrumBank : banks[channel],
                                       programs[channel]};
            if (seen.insert(used).second)
                instruments.push_back(used);
        }
        }
    }
    return instruments;
}
