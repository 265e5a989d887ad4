#pragma once

#include <compare>
#include <cstdint>
#include <functional>
#include <memory>
#include <vector>

class TClock;

// One instrument a song plays: a bank and a program, bank 128 standing for the percussion
// channel's drum kits.
struct TMidiInstrument {
    static constexpr std::uint8_t DrumBank = 128;
    std::uint8_t Bank = 0;
    std::uint8_t Program = 0;
    auto operator<=>(const TMidiInstrument&) const = default;
};

enum class EMidiDeviceNotice { Opened, Closed, Done };
using TMidiDeviceCallback = std::function<void(EMidiDeviceNotice notice, std::uintptr_t param1, std::uintptr_t param2)>;

// One MIDI output device as the routing layer sees it. A device is opened once, receives
// short messages (status in the low byte, then two data bytes), can be told to silence
// everything, and is closed before it is destroyed.
class TMidiDevice {
public:
    virtual ~TMidiDevice() = default;
    virtual bool Open(TMidiDeviceCallback callback) = 0;
    virtual void ShortMessage(std::uint32_t message) = 0;
    // A message whose time on the game clock is dueMicroseconds (usually a little in the
    // past). A device that can place messages in time has it heard OutputLatencyMicroseconds
    // after that; any other sends it at once.
    virtual void TimedShortMessage(std::uint32_t message, std::int64_t dueMicroseconds)
    {
        (void)dueMicroseconds;
        ShortMessage(message);
    }
    // From a message's time to its sound; 0 for a device that cannot tell.
    virtual std::int64_t OutputLatencyMicroseconds() const { return 0; }
    // The instruments of the song about to play, told as it is loaded: a device that fetches
    // its sounds lazily readies these now so the first note is not late, and may let go of
    // the previous song's. Nothing to do by default.
    virtual void Preload(const std::vector<TMidiInstrument>& instruments) { (void)instruments; }
    // What the player found by tapping along lies beyond that on the way to their ears
    // (negative when the device says too much); 0 while nothing was found.
    virtual std::int64_t TappedOffsetMicroseconds() const { return 0; }
    virtual void Reset() = 0;
    virtual void Close() = 0;
};

using TMidiDeviceFactory = std::function<std::unique_ptr<TMidiDevice>(int deviceId)>;

// Device numbers: 0 is the built-in synthesizer, 1..n the writable sequencer ports of other
// clients. A test can make any number resolve to a device of its own; an empty factory puts
// the real device back. The factory it replaces (empty for the real device) is returned.
std::unique_ptr<TMidiDevice> CreateMidiDevice(int deviceId);
TMidiDeviceFactory SetMidiDeviceOverride(int deviceId, TMidiDeviceFactory factory);
