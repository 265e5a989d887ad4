// hitsoundgen OUTPUT_FILE: writes the game's hit sound "good.wav".
#include "HitSound.h"

#include <cstdio>
#include <fstream>

int main(int argc, char** argv)
{
    if (argc != 2) {
        std::fprintf(stderr, "usage: hitsoundgen OUTPUT_FILE\n");
        return 2;
    }
    const std::string wave = EncodeWave(SynthesiseHitSound(), kHitSampleRate);
    std::ofstream file(argv[1], std::ios::binary | std::ios::trunc);
    file.write(wave.data(), static_cast<std::streamsize>(wave.size()));
    file.close();
    if (!file) {
        std::fprintf(stderr, "hitsoundgen: cannot write %s\n", argv[1]);
        return 1;
    }
    return 0;
}
