#include "SongCommands.h"

#include "game/BeatMapMaker.h"
#include "midi/MidiData.h"
#include "midi/MidiFileWriter.h"
#include "midi/SongImport.h"
#include "platform/ControlEscapes.h"
#include "platform/Exception.h"

#include <QSaveFile>

#include <algorithm>

namespace {

TImportedSong Import(const std::string& in, std::ostream& report)
{
    TImportedSong song = ImportSongFile(in, ESongBytes::None);
    for (const std::string& warning : song.Warnings)
        report << warning << '\n';
    return song;
}

} // namespace

namespace TSongCommands {

void Canon(const std::string& in, const std::string& out, std::ostream& report)
{
    const std::vector<std::uint8_t> bytes = MidiFileBytes(*Import(in, report).Song);
    QSaveFile file(QString::fromStdString(out));
    if (!file.open(QIODevice::WriteOnly) ||
        file.write(reinterpret_cast<const char*>(bytes.data()), qint64(bytes.size())) != qint64(bytes.size()) ||
        !file.commit())
        throw Exception(Format("Unable to create %s", out.c_str()));
}

void MakeBeatMap(const std::string& in, std::optional<int> track, int spacing, std::ostream& out,
                 std::ostream& report, EMapLevel level)
{
    const TImportedSong imported = Import(in, report);
    const TMidiData& song = *imported.Song;
    TBeatMapOptions options;
    options.Spacing = spacing;
    options.QuartersPerBeat = imported.QuartersPerBeat;
    options.Level = level;
    if (track) {
        if (*track >= int(imported.SongTrackOf.size()))
            throw Exception(Format("%s has %d tracks, counted from 0; there is no track %d", in.c_str(),
                                   int(imported.SongTrackOf.size()), *track));
        options.Track = imported.SongTrackOf[std::size_t(*track)];
    }
    TMadeBeatMap map;
    try {
        map = ::MakeBeatMap(song, options);
    } catch (const EMelody&) {
        if (!track)
            throw;
        throw Exception(Format("Track %d of %s has no notes", *track, in.c_str()));
    }
    out << map.Text;
    // The melody's track as the file counts it.
    const auto it = std::find(imported.SongTrackOf.begin(), imported.SongTrackOf.end(), map.Melody.Track);
    QString name = QString::fromUtf8(map.Melody.Name);
    if (name.contains(QChar::ReplacementCharacter))
        name = QString::fromLatin1(map.Melody.Name);
    report << "melody: track " << (it - imported.SongTrackOf.begin()) << " \"" << EscapeControls(name.toStdString()) << "\" channel "
           << map.Melody.Channel + 1 << " program " << map.Melody.Program << ", " << map.Meets.size() << " balls\n";
}

} // namespace TSongCommands
