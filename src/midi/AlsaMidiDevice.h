#pragma once

#include "midi/MidiDevice.h"

#include <atomic>
#include <string>
#include <vector>

struct _snd_seq;
struct snd_midi_event;

struct TAlsaOutputPort {
    int Client;
    int Port;
    std::string Name;  // "client name:port name"
};

// The sequencer's writable ports of other clients, in client and port order. Device number
// n (from 1) is entry n - 1. Empty when there is no sequencer.
std::vector<TAlsaOutputPort> EnumerateAlsaOutputPorts();

// An output device that forwards messages to one writable port of another sequencer client.
// Sending never blocks: when the receiver stops taking messages and the sequencer's queue to
// it is full, a message waits at most a millisecond for room and is then dropped, with one
// warning on stderr; while the receiver stays stalled, further messages are dropped at once.
class TAlsaMidiDevice final : public TMidiDevice {
public:
    explicit TAlsaMidiDevice(int deviceId) : deviceId_(deviceId) {}
    ~TAlsaMidiDevice() override;

    bool Open(TMidiDeviceCallback callback) override;
    void ShortMessage(std::uint32_t message) override;
    void Reset() override;
    void Close() override;

private:
    int deviceId_;
    _snd_seq* seq_ = nullptr;
    snd_midi_event* encoder_ = nullptr;
    int ownPort_ = -1;
    TMidiDeviceCallback callback_;
    std::atomic<bool> dropped_{false};
    std::atomic<bool> stalled_{false};

    bool WaitForRoom(int timeoutMs);
};
