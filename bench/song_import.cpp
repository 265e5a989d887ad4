// What choosing a song costs beside starting the game: importing the largest song of Debian's
// openttd-openmsx set and making its beat map, the whole switch to it in the running game
// (import, beat map, outputs, title plate), and the game's own start-up (both forms, the song,
// the pictures, the synthesizer) for comparison.
#include "core/GameCore.h"
#include "game/BeatMapMaker.h"
#include "midi/MidiData.h"
#include "midi/SongFile.h"
#include "midi/SongImport.h"
#include "platform/DataPath.h"
#include "shell/Datas.h"
#include "shell/ScreenForm.h"

#include <QApplication>
#include <QDir>
#include <QFileInfo>
#include <benchmark/benchmark.h>

namespace {

const QString MusicSet = QStringLiteral("/usr/share/games/openttd/baseset/openmsx");

QString LargestSong()
{
    const QFileInfoList files = QDir(MusicSet).entryInfoList({"*.mid"}, QDir::Files, QDir::Size);
    return files.isEmpty() ? QString() : files.front().filePath();
}

void BM_ImportAndMakeBeatMap(benchmark::State& state)
{
    const QString path = LargestSong();
    if (path.isEmpty()) {
        state.SkipWithError("no songs in the openttd-openmsx folder (scripts/deps installs them)");
        return;
    }
    const std::vector<std::uint8_t> bytes = ReadSongFile(path.toStdString());
    std::size_t balls = 0;
    for (auto _ : state) {
        const TImportedSong imported = ImportSong(bytes, path.toStdString());
        TMidiData song;
        song.OpenBytes(imported.File, path.toStdString());
        TBeatMapOptions options;
        options.QuartersPerBeat = imported.QuartersPerBeat;
        balls = MakeBeatMap(song, options).Meets.size();
        benchmark::DoNotOptimize(balls);
    }
    state.SetLabel(QFileInfo(path).fileName().toStdString() + ", " + std::to_string(bytes.size()) + " bytes, " +
                   std::to_string(balls) + " balls");
}
BENCHMARK(BM_ImportAndMakeBeatMap)->Unit(benchmark::kMillisecond);

void BM_SwitchToTheSongInTheGame(benchmark::State& state)
{
    const QString path = LargestSong();
    if (path.isEmpty()) {
        state.SkipWithError("no songs in the openttd-openmsx folder (scripts/deps installs them)");
        return;
    }
    TScreenForm screen;
    TGameCore core(screen.DXDraw, screen.Settings());
    TDatas datas(core);
    screen.show();
    for (auto _ : state)
        core.ChooseSong(path.toStdString());
}
BENCHMARK(BM_SwitchToTheSongInTheGame)->Unit(benchmark::kMillisecond);

void BM_GameStartUp(benchmark::State& state)
{
    for (auto _ : state) {
        TScreenForm screen;
        TGameCore core(screen.DXDraw, screen.Settings());
        TDatas datas(core);
        screen.show();
        QCoreApplication::processEvents();
        benchmark::DoNotOptimize(core.StartUpComplete());
    }
}
BENCHMARK(BM_GameStartUp)->Unit(benchmark::kMillisecond)->Iterations(5);

} // namespace

int main(int argc, char** argv)
{
    if (qEnvironmentVariableIsEmpty("DISPLAY") && qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM"))
        qputenv("QT_QPA_PLATFORM", "offscreen");
    QApplication app(argc, argv);
    // The whole game, on the data the build put beside the game.
    SetDataDirectory(ProgramDirectory() + "../bin/");
    benchmark::Initialize(&argc, argv);
    benchmark::RunSpecifiedBenchmarks();
    benchmark::Shutdown();
    return 0;
}
