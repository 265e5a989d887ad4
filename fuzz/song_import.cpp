// Feeds arbitrary bytes to the song import and, when it takes them, hands what it wrote to the
// game's own song reader and the beat-map maker, and the map made to the beat-map loader. Every
// input must either be refused with the import's message or come through all four: a song the
// import writes that the game cannot read or make a map for is a fault, and so is a map whose
// balls break the spacing or come before a beat or after the end.
#include "game/BeatMapMaker.h"
#include "game/Metronome.h"
#include "midi/MidiData.h"
#include "midi/SongImport.h"

#include <cstdint>

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size)
{
    TImportedSong imported;
    try {
        imported = ImportSong({data, size}, "/music/fuzzed.mid");
    } catch (const ESongImport&) {
        return 0;
    }
    TMidiData song;
    song.OpenBytes(imported.File, "fuzzed.mid");
    if (song.PPQN() != SongDivision || int(imported.SongTrackOf.size()) > song.TrackCount())
        __builtin_trap();
    TBeatMapOptions options;
    options.QuartersPerBeat = imported.QuartersPerBeat;
    const TMadeBeatMap map = MakeBeatMap(song, options);
    std::int32_t last = -options.Spacing;
    for (std::int32_t meet : map.Meets) {
        if (meet - last < options.Spacing || meet < SongDivision || meet % MarkGrid != 0)
            __builtin_trap();
        last = meet;
    }
    TMetronome metronome("/nowhere/");
    metronome.LoadBeatMapText(map.Text);
    if (metronome.Marks().Count() != std::int32_t(map.Meets.size()) + 1)
        __builtin_trap();
    return 0;
}
