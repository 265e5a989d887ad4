// songgen OUTPUT_DIR: writes the game's song "invincible.mid" and its beat map "Fine.txt".
#include "Arranger.h"
#include "BeatMapWriter.h"
#include "MidiWriter.h"
#include "Score.h"

#include <cstdio>
#include <exception>
#include <fstream>
#include <string>
#include <vector>

namespace {

void WriteFile(const std::string& path, const char* data, std::size_t size)
{
    std::ofstream file(path, std::ios::binary | std::ios::trunc);
    file.write(data, static_cast<std::streamsize>(size));
    file.close();
    if (!file)
        throw std::runtime_error("cannot write " + path);
}

} // namespace

int main(int argc, char** argv)
{
    if (argc != 2) {
        std::fprintf(stderr, "usage: songgen OUTPUT_DIR\n");
        return 2;
    }
    try {
        std::string dir = argv[1];
        if (!dir.empty() && dir.back() != '/')
            dir += '/';
        const TScore score = ComposeScore();
        const std::vector<std::uint8_t> song = EncodeMidiFile(kTicksPerBeat, ArrangeScore(score));
        std::vector<std::uint32_t> starts;
        for (const TMelodyNote& note : score.melody)
            starts.push_back(note.tick);
        const std::string beatMap = WriteBeatMap(starts);
        WriteFile(dir + "invincible.mid", reinterpret_cast<const char*>(song.data()), song.size());
        WriteFile(dir + "Fine.txt", beatMap.data(), beatMap.size());
    } catch (const std::exception& e) {
        std::fprintf(stderr, "songgen: %s\n", e.what());
        return 1;
    }
    return 0;
}
