// Feeds arbitrary bytes to the beat-map reader as a file, and every line of it to the line
// parser alone. A map must load or fail with one of the reader's fixed messages, and a loaded
// one holds marks only below the size it announces.
#include "game/Metronome.h"
#include "platform/TextFields.h"

#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <string>
#include <unistd.h>

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size)
{
    static const std::string directory = "/tmp/grip_fuzz_beat_" + std::to_string(getpid()) + "_";
    static const std::string name = "Fine.txt";
    const std::string text(reinterpret_cast<const char*>(data), size);

    // The line parser on its own, for lines the loader would never reach after a failure.
    for (const std::string& line : SplitTextLines(text)) {
        if (line.find('\r') != std::string::npos || line.find('\n') != std::string::npos)
            std::abort();
        try {
            ParseBeatLine(line);
        } catch (const EBeatMapError& error) {
            if (std::string(error.what()).empty())
                std::abort();
        }
    }

    std::FILE* f = std::fopen((directory + name).c_str(), "wb");
    if (!f)
        return 0;
    std::fwrite(data, 1, size, f);
    std::fclose(f);

    TMetronome metronome(directory);
    try {
        metronome.LoadBeatMap(name);
    } catch (const EBeatMapError& error) {
        const std::string message = error.what();
        if (message.empty())
            std::abort();
    }
    const TBits& marks = metronome.Marks();
    if (marks.Size() < 0 || marks.Count() > marks.Size())
        std::abort();
    if (!marks.SetBits().empty() && (*marks.SetBits().begin() < 0 || *marks.SetBits().rbegin() >= marks.Size()))
        std::abort();
    return 0;
}
