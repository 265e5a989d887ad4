// Listing a library of 1000 songs (copies of the shipped ones in a folder of the benchmark's
// own): cold, with no cache, every file imported and given its beat map; warm, from the cache
// the cold listing left (goal under 0.5 s).
#include "core/SongList.h"

#include <benchmark/benchmark.h>

#include <QCoreApplication>
#include <QDir>
#include <QFile>
#include <QTemporaryDir>

namespace {

constexpr int Songs = 1000;

struct TLibrary {
    QTemporaryDir Dir;
    TSongListPlaces Places;
    TLibrary()
    {
        const QDir shipped(GRIP_BIN_DIR "songs");
        const QStringList tunes = shipped.entryList({"*.mid"}, QDir::Files, QDir::Name);
        // A few folders, as a player's music would be sorted.
        for (int i = 0; i < Songs && !tunes.isEmpty(); ++i) {
            const QString folder = Dir.filePath(QString("set%1").arg(i % 10));
            QDir().mkpath(folder);
            QFile::copy(shipped.filePath(tunes[i % tunes.size()]), QString("%1/%2-%3").arg(folder).arg(i).arg(tunes[i % tunes.size()]));
        }
        Places.Folders = {{Dir.path(), 2, {"*.mid"}}};
        Places.CachePath = Dir.filePath("cache/songs.json");
        Places.RecordPath = Dir.filePath("training.csv");
    }
};

TLibrary& Library()
{
    static TLibrary library;
    return library;
}

void Quiet(const QString&, const QString&) {}

void BM_ListCold(benchmark::State& state)
{
    TLibrary& library = Library();
    size_t listed = 0;
    for (auto _ : state) {
        QFile::remove(library.Places.CachePath);
        listed = ListSongs(library.Places, {}, Quiet).size();
    }
    state.counters["songs"] = double(listed);
}
BENCHMARK(BM_ListCold)->Unit(benchmark::kMillisecond)->Iterations(2)->UseRealTime();

void BM_ListWarm(benchmark::State& state)
{
    TLibrary& library = Library();
    ListSongs(library.Places, {}, Quiet);
    size_t listed = 0;
    for (auto _ : state)
        listed = ListSongs(library.Places, {}, Quiet).size();
    state.counters["songs"] = double(listed);
}
BENCHMARK(BM_ListWarm)->Unit(benchmark::kMillisecond)->Iterations(10)->UseRealTime();

} // namespace

int main(int argc, char** argv)
{
    QCoreApplication app(argc, argv);
    benchmark::Initialize(&argc, argv);
    benchmark::RunSpecifiedBenchmarks();
    benchmark::Shutdown();
    return 0;
}
