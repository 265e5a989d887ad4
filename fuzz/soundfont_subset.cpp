// Feeds arbitrary bytes to the SoundFont reader as a file: the check and the copy must refuse
// them with a message or take them without reading out of bounds, and a copy made must itself
// pass the check, since the synthesizer loads it without a second look.
#include "midi/SoundFontSubset.h"

#include <QBuffer>
#include <QFile>

#include <cstdint>
#include <cstdlib>
#include <string>
#include <unistd.h>

namespace {

// The reader works on files; one of this process's own is written over for each input.
std::string Scratch(const char* name)
{
    return "/tmp/grip-fuzz-" + std::to_string(getpid()) + "-" + name + ".sf2";
}

bool WriteFile(const std::string& path, const char* data, std::size_t size)
{
    QFile file(QString::fromStdString(path));
    return file.open(QIODevice::WriteOnly | QIODevice::Truncate) && file.write(data, qint64(size)) == qint64(size);
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size)
{
    static const std::string input = Scratch("in"), copy = Scratch("copy");
    static const bool cleaned = std::atexit([] {
        std::remove(input.c_str());
        std::remove(copy.c_str());
    }) == 0;
    (void)cleaned;
    if (!WriteFile(input, reinterpret_cast<const char*>(data), size))
        return 0;
    // The check looks at every preset and the copy only at those asked for, so either may
    // refuse what the other takes; what must hold is that a copy made passes the check.
    (void)CheckSoundFontForSubset(input);
    QBuffer out;
    out.open(QIODevice::WriteOnly);
    const std::string error = WriteSoundFontSubset(input, {{0, 0}, {0, 40}, {128, 0}}, out);
    if (!error.empty())
        return 0;
    if (!WriteFile(copy, out.data().constData(), std::size_t(out.data().size())) ||
        !CheckSoundFontForSubset(copy).empty())
        __builtin_trap();
    return 0;
}
