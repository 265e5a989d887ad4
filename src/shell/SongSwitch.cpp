#include "shell/SongSwitch.h"

#include "game/BeatMapMaker.h"
#include "game/GripGame.h"
#include "game/Synergy.h"
#include "midi/MidiData.h"
#include "midi/MidiPlayer.h"
#include "midi/SongImport.h"
#include "midi/TrackOutputs.h"
#include "platform/ControlEscapes.h"
#include "shell/Datas.h"
#include "training/Training.h"

#include <QFileInfo>

#include <memory>

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

std::string TSongSwitch::BeatMapBeside(const std::string& songPath)
{
    const QFileInfo song(QString::fromStdString(songPath));
    return (song.path() + "/" + song.completeBaseName() + ".txt").toStdString();
}

void TSongSwitch::Open(const std::string& path)
{
    TGripGame* game = form_.Game();
    if (!game)
        throw Exception("The game did not start, so no song can be opened");
    const TImportedSong imported = ImportSongFile(path);
    auto song = std::make_unique<TMidiData>();
    song->OpenBytes(imported.File, path);

    const std::string beside = BeatMapBeside(path);
    const bool haveBeside = QFileInfo(QString::fromStdString(beside)).isFile();
    TBeatMapOptions made;
    made.QuartersPerBeat = imported.QuartersPerBeat;
    const std::string beatMap = haveBeside ? LoadBeatMapBeside(beside) : MakeBeatMap(*song, made).Text;
    // The piano roll shows the melody, whoever wrote the beat map.
    int shownTrack = 0;
    try {
        shownTrack = FindMelody(*song, std::nullopt, imported.QuartersPerBeat).Track;
    } catch (const EMelody&) {
    }

    auto outputs = std::make_unique<TTrackOutputs>();
    outputs->DefaultOutputPort = form_.TrackOutputs->DefaultOutputPort;
    outputs->SetMidiData(song.get());
    outputs->SetActive(true);

    // Nothing below fails: the game under way goes into the training record, the old song
    // stops, and the new one is laid ready for Start.
    form_.Training->SetSong(QFileInfo(QString::fromStdString(path)).fileName());
    game->ChangeSong(beatMap, imported.Title);
    form_.MidiPlayer->SetTrackOutputs(outputs.get());
    form_.PianoRoll->SetMidiData(song.get());
    form_.PianoRoll->SetTrack(shownTrack);
    form_.TrackOutputs = std::move(outputs);
    form_.MidiData = std::move(song);
    form_.Memo1->clear();
    for (const std::string& warning : imported.Warnings)
        form_.Memo1->appendPlainText(QString::fromStdString(EscapeControls(warning)));
    form_.edtMidiName->setText(QFileInfo(QString::fromStdString(path)).fileName());
    path_ = path;
}
