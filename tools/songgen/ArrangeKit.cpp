#include "ArrangeKit.h"

#include <algorithm>
#include <cstdlib>

int Humanise(std::uint32_t tick, int key, int velocity)
{
    std::uint32_t h = tick * 2654435761u ^ static_cast<std::uint32_t>(key) * 40503u;
    h ^= h >> 13;
    const int wobble = static_cast<int>(h % 9) - 4;
    return std::clamp(velocity + wobble, 1, 127);
}

void Setup(TMidiTrackWriter& track, int channel, int program, int volume, int pan, int reverb)
{
    if (program >= 0)
        track.Program(0, channel, program);
    track.Controller(0, channel, 7, volume);
    track.Controller(0, channel, 10, pan);
    track.Controller(0, channel, 91, reverb);
}

std::vector<int> Voice(const TChord& chord, int low, int centre, int tones)
{
    std::vector<int> best;
    int bestDistance = 1000;
    const int count = static_cast<int>(chord.intervals.size());
    for (int inversion = 0; inversion < count; ++inversion) {
        std::vector<int> keys;
        int key = low + ((chord.root + chord.intervals[inversion] - low) % 12 + 12) % 12;
        for (int i = 0; i < tones; ++i) {
            const int pc = (chord.root + chord.intervals[(inversion + i) % count]) % 12;
            if (i > 0)
                key += ((pc - key) % 12 + 12) % 12 == 0 ? 12 : ((pc - key) % 12 + 12) % 12;
            keys.push_back(key);
        }
        const int middle = (keys.front() + keys.back()) / 2;
        if (std::abs(middle - centre) < bestDistance) {
            bestDistance = std::abs(middle - centre);
            best = keys;
        }
    }
    return best;
}

int BassKey(const TChord& chord, int offset)
{
    return 33 + ((chord.root + offset - 9) % 12 + 12) % 12;
}
