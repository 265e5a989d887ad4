// Reading throughput of the song reader on a large generated song.
#include "midi/MidiData.h"
#include "platform/ByteWriter.h"

#include <benchmark/benchmark.h>

#include <cstdio>
#include <fstream>
#include <string>
#include <unistd.h>
#include <vector>

namespace {

// tracks × notes note pairs with running status, controllers, a name and a tempo.
std::string WriteSong(int tracks, int notesPerTrack)
{
    std::vector<std::uint8_t> file{'M', 'T', 'h', 'd', 0, 0, 0, 6, 0, 1};
    file.push_back(std::uint8_t(tracks >> 8));
    file.push_back(std::uint8_t(tracks));
    file.push_back(0);
    file.push_back(96);
    for (int t = 0; t < tracks; ++t) {
        std::vector<std::uint8_t> d;
        const char name[] = {0, char(0xFF), 0x03, 5, 'T', 'r', 'a', 'c', 'k'};
        d.insert(d.end(), name, name + sizeof name);
        const std::uint8_t tempo[] = {0, 0xFF, 0x51, 3, 0x07, 0xA1, 0x20};
        d.insert(d.end(), tempo, tempo + sizeof tempo);
        const std::uint8_t channel = std::uint8_t(t & 15);
        for (int i = 0; i < notesPerTrack; ++i) {
            const std::uint8_t note = std::uint8_t(36 + i % 48);
            AppendVariableLength(d, i % 7 == 0 ? 200 : 12);
            d.insert(d.end(), {std::uint8_t(0x90 | channel), note, 100});
            AppendVariableLength(d, 48);
            d.insert(d.end(), {note, 0});  // running status note-off
            if (i % 16 == 0) {
                AppendVariableLength(d, 0);
                d.insert(d.end(), {std::uint8_t(0xB0 | channel), 7, std::uint8_t(i & 0x7F)});
            }
        }
        d.insert(d.end(), {0, 0xFF, 0x2F, 0});
        file.insert(file.end(), {'M', 'T', 'r', 'k'});
        AppendU32BigEndian(file, std::uint32_t(d.size()));
        file.insert(file.end(), d.begin(), d.end());
    }
    char path[] = "/tmp/grip_bench_song_XXXXXX.mid";
    const int fd = mkstemps(path, 4);
    ::close(fd);
    std::ofstream(path, std::ios::binary).write(reinterpret_cast<const char*>(file.data()), std::streamsize(file.size()));
    return path;
}

void BM_ReadLargeSong(benchmark::State& state)
{
    const std::string path = WriteSong(int(state.range(0)), 45000);
    std::FILE* f = std::fopen(path.c_str(), "rb");
    std::fseek(f, 0, SEEK_END);
    const long size = std::ftell(f);
    std::fclose(f);
    std::int64_t events = 0;
    for (auto _ : state) {
        TMidiData song;
        song.SetFileName(path);
        song.SetActive(true);
        events = 0;
        for (int i = 0; i < song.TrackCount(); ++i)
            events += song.Tracks(i)->EventCount();
        benchmark::DoNotOptimize(events);
    }
    state.SetBytesProcessed(std::int64_t(state.iterations()) * size);
    state.counters["file_MB"] = double(size) / 1e6;
    state.counters["events"] = double(events);
    state.counters["events/s"] = benchmark::Counter(double(events) * double(state.iterations()), benchmark::Counter::kIsRate);
    std::remove(path.c_str());
}
BENCHMARK(BM_ReadLargeSong)->Arg(1)->Arg(16)->Unit(benchmark::kMillisecond);
}

BENCHMARK_MAIN();
