#pragma once

#include "midi/MidiDevice.h"
#include "platform/Override.h"

#include <climits>
#include <cstdint>
#include <memory>
#include <mutex>
#include <vector>

struct TRecordedMidiMessage {
    std::int64_t Microseconds;  // on the recording's clock when the message arrived
    std::uint32_t Message;
    std::int64_t DueMicroseconds = Untimed;  // the time it came with, if any
    static constexpr std::int64_t Untimed = INT64_MIN;
};

// What a recording device saw. It outlives the device so that a test can look at the
// messages after the routing layer closed the device.
class TMidiRecording {
public:
    explicit TMidiRecording(const TClock* clock = nullptr) : clock_(clock) {}

    std::vector<TRecordedMidiMessage> Messages() const;
    std::vector<std::uint32_t> MessageWords() const;
    void Clear();
    int Opens() const;
    int Closes() const;
    int Resets() const;
    // The instrument lists the devices were asked to ready, one per request.
    std::vector<std::vector<TMidiInstrument>> Preloads() const;
    bool FailOpen = false;  // set before opening to simulate a device that cannot be opened
    // What the devices say lies between a message's time and its sound.
    std::int64_t OutputLatencyMicroseconds = 0;
    std::int64_t TappedOffsetMicroseconds = 0;

    void Add(std::uint32_t message, std::int64_t dueMicroseconds = TRecordedMidiMessage::Untimed);
    void CountOpen();
    void CountClose();
    void CountReset();
    void AddPreload(const std::vector<TMidiInstrument>& instruments);

private:
    const TClock* clock_;
    mutable std::mutex mutex_;
    std::vector<TRecordedMidiMessage> messages_;
    std::vector<std::vector<TMidiInstrument>> preloads_;
    int opens_ = 0;
    int closes_ = 0;
    int resets_ = 0;
};

class TRecordingMidiDevice final : public TMidiDevice {
public:
    explicit TRecordingMidiDevice(std::shared_ptr<TMidiRecording> recording) : recording_(std::move(recording)) {}
    bool Open(TMidiDeviceCallback callback) override;
    void ShortMessage(std::uint32_t message) override { recording_->Add(message); }
    void TimedShortMessage(std::uint32_t message, std::int64_t dueMicroseconds) override
    {
        recording_->Add(message, dueMicroseconds);
    }
    std::int64_t OutputLatencyMicroseconds() const override { return recording_->OutputLatencyMicroseconds; }
    std::int64_t TappedOffsetMicroseconds() const override { return recording_->TappedOffsetMicroseconds; }
    void Reset() override { recording_->CountReset(); }
    void Preload(const std::vector<TMidiInstrument>& instruments) override { recording_->AddPreload(instruments); }
    void Close() override;

private:
    std::shared_ptr<TMidiRecording> recording_;
    TMidiDeviceCallback callback_;
};

// Device number deviceId opens what factory makes until the guard goes.
TOverride OverrideMidiDevice(int deviceId, TMidiDeviceFactory factory);
// Device number deviceId opens recording devices that all write into recording until the
// guard goes.
TOverride OverrideMidiDeviceWithRecording(int deviceId, std::shared_ptr<TMidiRecording> recording);
