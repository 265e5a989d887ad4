// Reading throughput over real songs nobody here wrote (Debian's openttd-openmsx set), beside
// midicsv reading the same files in the same run. midicsv runs as one process per file, so
// its figure includes starting a process; BM_ProcessStart measures that cost alone (for
// /bin/true) so it can be told apart.
#include "midi/MidiData.h"

#include <benchmark/benchmark.h>

#include <fcntl.h>
#include <spawn.h>
#include <sys/wait.h>

#include <algorithm>
#include <filesystem>
#include <string>
#include <vector>

extern char** environ;

namespace {

const char* const MusicSet = "/usr/share/games/openttd/baseset/openmsx";

struct TSongSet {
    std::vector<std::string> Files;
    std::int64_t Bytes = 0;
    int Refused = 0;
};

// The songs the reader loads; one it refuses (a note that never ends) is left out of both
// sides so they read the same bytes.
const TSongSet& Songs()
{
    static const TSongSet set = [] {
        TSongSet s;
        std::error_code error;
        for (const auto& entry : std::filesystem::directory_iterator(MusicSet, error))
            if (entry.path().extension() == ".mid")
                s.Files.push_back(entry.path().string());
        std::sort(s.Files.begin(), s.Files.end());
        std::vector<std::string> loadable;
        for (const auto& file : s.Files) {
            try {
                TMidiData song;
                song.SetFileName(file);
                song.SetActive(true);
                loadable.push_back(file);
                s.Bytes += std::int64_t(std::filesystem::file_size(file));
            } catch (const std::exception&) {
                ++s.Refused;
            }
        }
        s.Files = std::move(loadable);
        return s;
    }();
    return set;
}

void Report(benchmark::State& state, const TSongSet& set)
{
    state.SetBytesProcessed(std::int64_t(state.iterations()) * set.Bytes);
    state.counters["MB_per_s"] = benchmark::Counter(double(set.Bytes) * double(state.iterations()) / 1e6,
                                                    benchmark::Counter::kIsRate);
    state.counters["files"] = double(set.Files.size());
    state.counters["set_MB"] = double(set.Bytes) / 1e6;
    state.counters["refused"] = double(set.Refused);
}

bool Spawn(const std::vector<std::string>& args)
{
    std::vector<char*> argv;
    for (const auto& a : args)
        argv.push_back(const_cast<char*>(a.c_str()));
    argv.push_back(nullptr);
    posix_spawn_file_actions_t actions;
    posix_spawn_file_actions_init(&actions);
    posix_spawn_file_actions_addopen(&actions, 1, "/dev/null", O_WRONLY, 0);
    pid_t pid = 0;
    const int rc = posix_spawn(&pid, argv[0], &actions, nullptr, argv.data(), environ);
    posix_spawn_file_actions_destroy(&actions);
    if (rc != 0)
        return false;
    int status = 0;
    waitpid(pid, &status, 0);
    return WIFEXITED(status) && WEXITSTATUS(status) == 0;
}

void BM_SongReader(benchmark::State& state)
{
    const TSongSet& set = Songs();
    if (set.Files.empty()) {
        state.SkipWithError("no songs in the openttd-openmsx folder (scripts/deps installs them)");
        return;
    }
    for (auto _ : state) {
        std::int64_t events = 0;
        for (const auto& file : set.Files) {
            TMidiData song;
            song.SetFileName(file);
            song.SetActive(true);
            for (int i = 0; i < song.TrackCount(); ++i)
                events += song.Tracks(i)->EventCount();
        }
        benchmark::DoNotOptimize(events);
    }
    Report(state, set);
}
BENCHMARK(BM_SongReader)->Unit(benchmark::kMillisecond);

void BM_Midicsv(benchmark::State& state)
{
    const TSongSet& set = Songs();
    if (set.Files.empty() || !std::filesystem::exists("/usr/bin/midicsv")) {
        state.SkipWithError("midicsv or the openttd-openmsx songs are missing (scripts/deps installs them)");
        return;
    }
    for (auto _ : state)
        for (const auto& file : set.Files)
            if (!Spawn({"/usr/bin/midicsv", file, "/dev/null"})) {
                state.SkipWithError(("midicsv failed on " + file).c_str());
                return;
            }
    Report(state, set);
}
BENCHMARK(BM_Midicsv)->Unit(benchmark::kMillisecond)->UseRealTime();

void BM_ProcessStart(benchmark::State& state)
{
    const TSongSet& set = Songs();
    for (auto _ : state)
        for (size_t i = 0; i < set.Files.size(); ++i)
            Spawn({"/bin/true"});
    state.counters["processes"] = double(set.Files.size());
}
BENCHMARK(BM_ProcessStart)->Unit(benchmark::kMillisecond)->UseRealTime();

} // namespace

BENCHMARK_MAIN();
