// What choosing a song costs beside starting the game: importing the largest song of Debian's
// openttd-openmsx set and making its beat map, the whole switch to it in the running game
// (import, beat map, outputs, title plate), and the game's own start-up (both forms, the song,
// the pictures, the synthesizer) for comparison. Then the worst a file can do: a 60 MB file
// refused, and the largest file the import takes, made of the events that cost most for their
// bytes, each measured in a child process for its time and the memory it adds at its peak.
#include "core/GameCore.h"
#include "game/BeatMapMaker.h"
#include "midi/MidiData.h"
#include "midi/SongFile.h"
#include "midi/SongImport.h"
#include "platform/ByteWriter.h"
#include "platform/DataPath.h"
#include "shell/Datas.h"
#include "shell/ScreenForm.h"

#include <QApplication>
#include <QDir>
#include <QFileInfo>
#include <QTemporaryDir>
#include <benchmark/benchmark.h>

#include <chrono>
#include <fstream>
#include <functional>
#include <sys/resource.h>
#include <sys/wait.h>
#include <unistd.h>

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
        const TImportedSong imported = ImportSong(bytes, path.toStdString(), ESongBytes::None);
        TBeatMapOptions options;
        options.QuartersPerBeat = imported.QuartersPerBeat;
        balls = MakeBeatMap(*imported.Song, options).Meets.size();
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

// Tracks of one repeated event after a note, each track as long as the game takes, as many as
// fit in bytes: program changes (2 bytes an event with running status) cost the most memory
// for their size; notes (3 bytes) the most beat-map work.
std::string CraftedSong(const std::string& name, std::size_t bytes, bool notes)
{
    static const QTemporaryDir dir;
    const std::string path = dir.filePath(QString::fromStdString(name)).toStdString();
    if (QFileInfo::exists(QString::fromStdString(path)))
        return path;
    TByteWriter track;
    track.Append(std::vector<std::uint8_t>{0, 0x90, 60, 64, 1, 0x80, 60, 0, 0, notes ? std::uint8_t(0x90) : std::uint8_t(0xC0)});
    track.Append(std::vector<std::uint8_t>{notes ? std::uint8_t(60) : std::uint8_t(1)});
    if (notes)
        track.U8(64);
    for (int i = 3; i < (notes ? 99'998 : 99'999); ++i)
        track.Append(notes ? std::vector<std::uint8_t>{1, 60, std::uint8_t(i % 2 ? 0 : 64)} : std::vector<std::uint8_t>{0, 1});
    if (notes)
        track.Append(std::vector<std::uint8_t>{1, 60, 0});
    track.Append(std::vector<std::uint8_t>{0, 0xFF, 0x2F, 0});
    TByteWriter chunk;
    chunk.Append(std::vector<std::uint8_t>{'M', 'T', 'r', 'k'});
    chunk.U32BigEndian(std::uint32_t(track.Bytes().size()));
    chunk.Append(track.Bytes());
    const std::size_t count = std::max<std::size_t>(1, (bytes - 14) / chunk.Bytes().size());
    TByteWriter file;
    file.Append(std::vector<std::uint8_t>{'M', 'T', 'h', 'd', 0, 0, 0, 6, 0, 1});
    file.U16BigEndian(std::uint16_t(std::min<std::size_t>(count, 0xFFFF)));
    file.U16BigEndian(96);
    std::ofstream out(path, std::ios::binary);
    out.write(reinterpret_cast<const char*>(file.Bytes().data()), std::streamsize(file.Bytes().size()));
    for (std::size_t i = 0; i < count; ++i)
        out.write(reinterpret_cast<const char*>(chunk.Bytes().data()), std::streamsize(chunk.Bytes().size()));
    return path;
}

// Runs work in a child process: its wall time, and how far its peak resident size rose above
// what it started with, so that the benchmark's own earlier peaks hide nothing.
struct TChildCost {
    double Seconds = 0;
    double PeakMegabytes = 0;
    bool Refused = false;
};
TChildCost InChild(const std::function<void()>& work)
{
    int pipes[2];
    if (pipe(pipes) != 0)
        return {};
    const pid_t child = fork();
    if (child == 0) {
        rusage before{}, after{};
        getrusage(RUSAGE_SELF, &before);
        TChildCost cost;
        const auto start = std::chrono::steady_clock::now();
        try {
            work();
        } catch (const ESongImport&) {
            cost.Refused = true;
        }
        cost.Seconds = std::chrono::duration<double>(std::chrono::steady_clock::now() - start).count();
        getrusage(RUSAGE_SELF, &after);
        cost.PeakMegabytes = double(after.ru_maxrss - before.ru_maxrss) / 1024;
        const bool written = write(pipes[1], &cost, sizeof cost) == sizeof cost;
        _exit(written ? 0 : 1);
    }
    close(pipes[1]);
    TChildCost cost;
    const bool read = ::read(pipes[0], &cost, sizeof cost) == sizeof cost;
    close(pipes[0]);
    int status = 0;
    waitpid(child, &status, 0);
    return read ? cost : TChildCost{};
}

void ReportChildCost(benchmark::State& state, const std::string& path, const std::function<void()>& work)
{
    TChildCost worst;
    for (auto _ : state) {
        const TChildCost cost = InChild(work);
        state.SetIterationTime(cost.Seconds);
        worst.PeakMegabytes = std::max(worst.PeakMegabytes, cost.PeakMegabytes);
        worst.Refused = cost.Refused;
    }
    state.counters["peak_MB"] = worst.PeakMegabytes;
    state.SetLabel(QFileInfo(QString::fromStdString(path)).fileName().toStdString() + ", " +
                   std::to_string(QFileInfo(QString::fromStdString(path)).size()) + " bytes, " +
                   (worst.Refused ? "refused" : "taken"));
}

void BM_RefuseSixtyMegabytes(benchmark::State& state)
{
    const std::string path = CraftedSong("sixty.mid", 60u << 20, true);
    ReportChildCost(state, path, [&] { ImportSongFile(path, ESongBytes::None); });
}
BENCHMARK(BM_RefuseSixtyMegabytes)->Unit(benchmark::kMillisecond)->UseManualTime()->Iterations(5);

// The largest file taken, imported (as `griptool song canon` does), and then read by the game's
// reader with its beat map made (as opening it in the game does, but for the outputs and the
// title plate).
void BM_ImportLargestTaken(benchmark::State& state)
{
    const bool notes = state.range(0) != 0;
    const std::string path = CraftedSong(notes ? "notes.mid" : "programs.mid", LargestSongFile, notes);
    ReportChildCost(state, path, [&] { ImportSongFile(path, ESongBytes::None); });
}
BENCHMARK(BM_ImportLargestTaken)->Arg(0)->Arg(1)->Unit(benchmark::kMillisecond)->UseManualTime()->Iterations(3);

void BM_ImportReadAndMapLargestTaken(benchmark::State& state)
{
    const bool notes = state.range(0) != 0;
    const std::string path = CraftedSong(notes ? "notes.mid" : "programs.mid", LargestSongFile, notes);
    ReportChildCost(state, path, [&] {
        const TImportedSong imported = ImportSongFile(path, ESongBytes::None);
        TBeatMapOptions options;
        options.QuartersPerBeat = imported.QuartersPerBeat;
        benchmark::DoNotOptimize(MakeBeatMap(*imported.Song, options).Meets.size());
    });
}
BENCHMARK(BM_ImportReadAndMapLargestTaken)->Arg(0)->Arg(1)->Unit(benchmark::kMillisecond)->UseManualTime()->Iterations(3);

// The whole switch in the running game, on the window thread: how long the window stands still.
void BM_SwitchToTheLargestTaken(benchmark::State& state)
{
    const std::string path = CraftedSong("programs.mid", LargestSongFile, false);
    TScreenForm screen;
    TGameCore core(screen.DXDraw, screen.Settings());
    TDatas datas(core);
    screen.show();
    for (auto _ : state)
        core.ChooseSong(path);
}
BENCHMARK(BM_SwitchToTheLargestTaken)->Unit(benchmark::kMillisecond)->Iterations(3);

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
