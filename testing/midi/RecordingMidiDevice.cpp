#include "midi/RecordingMidiDevice.h"

#include "platform/Clock.h"

std::vector<TRecordedMidiMessage> TMidiRecording::Messages() const
{
    std::lock_guard lock(mutex_);
    return messages_;
}

std::vector<std::uint32_t> TMidiRecording::MessageWords() const
{
    std::lock_guard lock(mutex_);
    std::vector<std::uint32_t> words;
    words.reserve(messages_.size());
    for (const auto& m : messages_)
        words.push_back(m.Message);
    return words;
}

void TMidiRecording::Clear()
{
    std::lock_guard lock(mutex_);
    messages_.clear();
}

int TMidiRecording::Opens() const
{
    std::lock_guard lock(mutex_);
    return opens_;
}

int TMidiRecording::Closes() const
{
    std::lock_guard lock(mutex_);
    return closes_;
}

int TMidiRecording::Resets() const
{
    std::lock_guard lock(mutex_);
    return resets_;
}

void TMidiRecording::Add(std::uint32_t message, std::int64_t dueMicroseconds)
{
    const std::int64_t now = (clock_ ? *clock_ : GameClock()).NowMicroseconds();
    std::lock_guard lock(mutex_);
    messages_.push_back({now, message, dueMicroseconds});
}

std::vector<std::vector<TMidiInstrument>> TMidiRecording::Preloads() const
{
    std::lock_guard lock(mutex_);
    return preloads_;
}

void TMidiRecording::AddPreload(const std::vector<TMidiInstrument>& instruments)
{
    std::lock_guard lock(mutex_);
    preloads_.push_back(instruments);
}

void TMidiRecording::CountOpen()
{
    std::lock_guard lock(mutex_);
    ++opens_;
}

void TMidiRecording::CountClose()
{
    std::lock_guard lock(mutex_);
    ++closes_;
}

void TMidiRecording::CountReset()
{
    std::lock_guard lock(mutex_);
    ++resets_;
}

bool TRecordingMidiDevice::Open(TMidiDeviceCallback callback)
{
    if (recording_->FailOpen)
        return false;
    callback_ = std::move(callback);
    recording_->CountOpen();
    if (callback_)
        callback_(EMidiDeviceNotice::Opened, 0, 0);
    return true;
}

void TRecordingMidiDevice::Close()
{
    recording_->CountClose();
    if (callback_)
        callback_(EMidiDeviceNotice::Closed, 0, 0);
    callback_ = nullptr;
}

TOverride OverrideMidiDevice(int deviceId, TMidiDeviceFactory factory)
{
    TMidiDeviceFactory previous = SetMidiDeviceOverride(deviceId, std::move(factory));
    return TOverride([deviceId, previous] { SetMidiDeviceOverride(deviceId, previous); });
}

TOverride OverrideMidiDeviceWithRecording(int deviceId, std::shared_ptr<TMidiRecording> recording)
{
    return OverrideMidiDevice(deviceId,
                              [recording](int) { return std::make_unique<TRecordingMidiDevice>(recording); });
}
