// Feeds arbitrary bytes to the song reader, as a plain song or (first byte odd) as a RIFF song,
// and walks what it read. Every input must either load or fail with one of the reader's errors.
#include "midi/MidiData.h"

#include <cstdint>
#include <cstdio>
#include <string>
#include <unistd.h>

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size)
{
    if (size == 0)
        return 0;
    static const std::string base = "/tmp/grip_fuzz_song_" + std::to_string(getpid());
    const std::string path = base + ((data[0] & 1) ? ".rmi" : ".mid");
    std::FILE* f = std::fopen(path.c_str(), "wb");
    if (!f)
        return 0;
    std::fwrite(data + 1, 1, size - 1, f);
    std::fclose(f);
    TMidiData song;
    song.SetFileName(path);
    try {
        song.SetActive(true);
    } catch (const Exception&) {
        if (song.Active() || song.TrackCount() != 0)
            __builtin_trap();
        return 0;
    }
    std::uint64_t sum = 0;
    for (int t = 0; t < song.TrackCount(); ++t) {
        const TMidiTrackStream* track = song.Tracks(t);
        for (int i = 0; i < track->EventCount(); ++i) {
            const TMidiEvent* e = track->Events(i);
            sum += e->ShortMessage();
            if (const std::uint8_t* block = track->EventData(*e))
                for (int k = 0; k < e->DataLength; ++k)
                    sum += block[k];
            if (e->Partner >= 0 && track->Events(e->Partner)->Partner != i)
                __builtin_trap();
        }
        sum += track->TrackName().size();
        sum += std::uint64_t(track->FindEvent(int(sum & 0xFFFF), int(sum % 3)) + 1);
    }
    return int(sum & 0);
}
