// songgen OUTPUT_DIR: writes the game's song "invincible.mid" and its beat map "Fine.txt".
// songgen --tunes OUTPUT_DIR TUNE.txt...: writes each tune as OUTPUT_DIR/TUNE.mid.
#include "Arranger.h"
#include "BeatMapWriter.h"
#include "MidiWriter.h"
#include "Score.h"
#include "Tune.h"
#include "TuneArranger.h"

#include <cstdio>
#include <exception>
#include <filesystem>
#include <fstream>
#include <sstream>
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

void WriteSong(const std::string& path, const std::vector<TMidiTrackWriter>& tracks, std::uint16_t division)
{
    const std::vector<std::uint8_t> song = EncodeMidiFile(division, tracks);
    WriteFile(path, reinterpret_cast<const char*>(song.data()), song.size());
}

// Each tune's song is named after its file: lower case, words joined by underscores.
int WriteTunes(const std::filesystem::path& dir, char** tunes, int count)
{
    for (int i = 0; i < count; ++i) {
        const std::filesystem::path file = tunes[i];
        try {
            const std::string name = file.stem().string();
            if (name.empty() || name.find_first_not_of("abcdefghijklmnopqrstuvwxyz0123456789_") != std::string::npos)
                throw std::runtime_error("a tune's file name is lower case with underscores");
            std::ifstream in(file, std::ios::binary);
            std::stringstream text;
            text << in.rdbuf();
            if (!in)
                throw std::runtime_error("cannot read it");
            WriteSong((dir / (name + ".mid")).string(), ArrangeTune(ParseTune(text.str())), kTuneDivision);
        } catch (const std::exception& e) {
            std::fprintf(stderr, "songgen: %s: %s\n", file.string().c_str(), e.what());
            return 1;
        }
    }
    return 0;
}

} // namespace

int main(int argc, char** argv)
{
    if (argc >= 3 && std::string(argv[1]) == "--tunes")
        return WriteTunes(argv[2], argv + 3, argc - 3);
    if (argc != 2) {
        std::fprintf(stderr, "usage: songgen OUTPUT_DIR\n       songgen --tunes OUTPUT_DIR TUNE.txt...\n");
        return 2;
    }
    try {
        std::string dir = argv[1];
        if (!dir.empty() && dir.back() != '/')
            dir += '/';
        const TScore score = ComposeScore();
        std::vector<std::uint32_t> starts;
        for (const TMelodyNote& note : score.melody)
            starts.push_back(note.tick);
        const std::string beatMap = WriteBeatMap(starts);
        WriteSong(dir + "invincible.mid", ArrangeScore(score), kTicksPerBeat);
        WriteFile(dir + "Fine.txt", beatMap.data(), beatMap.size());
    } catch (const std::exception& e) {
        std::fprintf(stderr, "songgen: %s\n", e.what());
        return 1;
    }
    return 0;
}
