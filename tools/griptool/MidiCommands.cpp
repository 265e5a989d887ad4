#include "MidiCommands.h"

#include "midi/AlsaMidiDevice.h"
#include "midi/MidiData.h"
#include "midi/MidiIterator.h"
#include "midi/MidiPlayer.h"
#include "midi/TrackOutputs.h"
#include "platform/Exception.h"

#include <atomic>
#include <charconv>
#include <csignal>
#include <chrono>
#include <cstdio>
#include <cstring>
#include <memory>
#include <thread>

namespace {

class EMidiCommand : public Exception {
public:
    using Exception::Exception;
};

std::unique_ptr<TMidiData> Load(const std::string& file)
{
    auto data = std::make_unique<TMidiData>();
    data->SetFileName(file);
    data->SetActive(true);
    return data;
}

void Hex(std::ostream& out, const std::uint8_t* p, std::size_t n)
{
    if (n == 0) {
        out << '-';
        return;
    }
    static const char digits[] = "0123456789abcdef";
    std::string s(2 * n, '0');
    for (std::size_t i = 0; i < n; ++i) {
        s[2 * i] = digits[p[i] >> 4];
        s[2 * i + 1] = digits[p[i] & 15];
    }
    out << s;
}

// The header keeps its words in file byte order.
unsigned Number(std::uint16_t fileWord)
{
    std::uint8_t b[2];
    std::memcpy(b, &fileWord, 2);
    return unsigned(b[0]) << 8 | b[1];
}

std::atomic<bool> interrupted{false};

void Interrupt(int)
{
    interrupted = true;
}

void Byte(std::ostream& out, std::uint8_t b)
{
    Hex(out, &b, 1);
}

} // namespace

namespace TMidiCommands {

void Dump(const std::string& file, std::ostream& out)
{
    const auto data = Load(file);
    out << "format " << Number(data->FormatWord()) << " tracks " << Number(data->TrackCountWord()) << " division "
        << Number(data->DivisionWord()) << '\n';
    for (int t = 0; t < data->TrackCount(); ++t) {
        const TMidiTrackStream* track = data->Tracks(t);
        for (std::int32_t i = 0; i < track->EventCount(); ++i) {
            const TMidiEvent& e = *track->Events(i);
            out << t << ' ' << e.Tick << ' ';
            Byte(out, e.Status);
            if (e.Status < 0xF0) {
                out << ' ';
                Byte(out, e.Data[0]);
                out << ' ';
                Byte(out, e.Data[1]);  // stays 0 for one-data-byte messages
            } else if (e.Status == 0xFF) {
                // The block holds the meta type, then the data.
                const std::uint8_t* block = track->EventData(e);
                const bool whole = block && e.DataLength > 0;
                out << ' ';
                Byte(out, whole ? block[0] : 0);
                out << ' ';
                Hex(out, whole ? block + 1 : nullptr, whole ? e.DataLength - 1u : 0);
            } else if (e.HasBlock()) {
                out << ' ';
                const std::uint8_t* block = track->EventData(e);
                Hex(out, block, block ? e.DataLength : 0);
            }
            out << '\n';
        }
    }
}

void Where(const std::string& file, const std::string& tickText, std::ostream& out)
{
    std::int32_t tick = 0;
    const char* end = tickText.data() + tickText.size();
    const auto [ptr, ec] = std::from_chars(tickText.data(), end, tick);
    if (ec != std::errc() || ptr != end || tick < 0)
        throw EMidiCommand(Format("'%s' is not a valid tick", tickText.c_str()));
    const auto data = Load(file);
    TMidiPosition position;
    position.SetMidiData(data.get());
    position.Reset();
    position.SeekTick(tick);
    out << "bar " << position.Bar << " beat " << position.Beat << " tick " << position.BeatTick << " time "
        << position.Time << '\n';
}

void Play(const std::string& file, int device, int tempoPercent, std::ostream& out)
{
    const auto data = Load(file);
    TTrackOutputs outputs;
    outputs.DefaultOutputPort = device;
    outputs.SetMidiData(data.get());
    outputs.SetActive(true);
    TMidiPlayer player;
    player.SetTimerPeriod(1);
    player.SetTimerResolution(4);
    player.SetTrackOutputs(&outputs);
    player.SetTempoPercent(tempoPercent);
    // Ctrl+C stops the player rather than the process, so an outside device is not left with
    // notes sounding.
    interrupted = false;
    auto* const previousInt = std::signal(SIGINT, Interrupt);
    auto* const previousTerm = std::signal(SIGTERM, Interrupt);
    player.SetPlay(true);
    std::int32_t shownBar = -1;
    for (;;) {
        if (interrupted)
            player.SetPlay(false);
        const bool playing = player.State() != TMidiPlayer::StateStopped;
        std::int32_t bar = 0, beat = 0, tick = 0;
        player.GetBarBeatTick(bar, beat, tick);
        if (bar != shownBar) {
            shownBar = bar;
            out << "bar " << bar << " time " << player.Time() << std::endl;
        }
        if (!playing)
            break;
        std::this_thread::sleep_for(std::chrono::milliseconds(10));
    }
    std::signal(SIGINT, previousInt);
    std::signal(SIGTERM, previousTerm);
    player.SetTrackOutputs(nullptr);
    outputs.SetActive(false);
}

void Devices(std::ostream& out)
{
    out << "0 built-in synthesizer\n";
    int n = 1;
    for (const TAlsaOutputPort& port : EnumerateAlsaOutputPorts())
        out << n++ << ' ' << port.Name << '\n';
}

} // namespace TMidiCommands
