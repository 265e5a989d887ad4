#include "core/SongSwitch.h"

#include "game/BeatMapMaker.h"
#include "game/Metronome.h"
#include "midi/MidiData.h"
#include "midi/SongImport.h"
#include "midi/SongLibrary.h"
#include "midi/TrackOutputs.h"

#include <QFileInfo>

namespace {

// The beat map beside the song, checked by the loader itself so that its own messages are the
// ones shown; the lines are kept for every Start of the song.
std::string LoadBeatMapBeside(const std::string& file)
{
    const QFileInfo info(QString::fromStdString(file));
    TMetronome check(info.absolutePath().toStdString() + "/");
    check.LoadBeatMap(info.fileName().toStdString());
    std::string text;
    for (const std::string& line : check.Lines())
        text += line + "\n";
    return text;
}

} // namespace

TChosenSong::TChosenSong() = default;
TChosenSong::~TChosenSong() = default;
TChosenSong::TChosenSong(TChosenSong&&) noexcept = default;

std::string BeatMapBeside(const std::string& songPath)
{
    return BeatMapBesideSong(QString::fromStdString(songPath)).toStdString();
}

TChosenSong ReadChosenSong(const std::string& path, int outputPort, EMapLevel level)
{
    TChosenSong chosen;
    chosen.Path = path;
    TImportedSong imported = ImportSongFile(path, ESongBytes::None);
    chosen.Title = imported.Title;
    chosen.Warnings = imported.Warnings;
    chosen.Song = std::move(imported.Song);

    const std::string beside = BeatMapBeside(path);
    const bool haveBeside = QFileInfo(QString::fromStdString(beside)).isFile();
    TBeatMapOptions made;
    made.QuartersPerBeat = imported.QuartersPerBeat;
    chosen.QuartersPerBeat = imported.QuartersPerBeat;
    made.Level = level;
    chosen.Level = haveBeside ? "map" : MapLevelName(level);
    chosen.BeatMap = haveBeside ? LoadBeatMapBeside(beside) : MakeBeatMap(*chosen.Song, made).Text;
    try {
        chosen.MelodyTrack = FindMelody(*chosen.Song, std::nullopt, imported.QuartersPerBeat).Track;
    } catch (const EMelody&) {
    }

    chosen.Outputs = std::make_unique<TTrackOutputs>();
    chosen.Outputs->DefaultOutputPort = outputPort;
    chosen.Outputs->SetMidiData(chosen.Song.get());
    chosen.Outputs->SetActive(true);
    return chosen;
}
