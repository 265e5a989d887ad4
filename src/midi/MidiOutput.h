#pragma once

#include "midi/MidiDevice.h"
#include "platform/Exception.h"

#include <array>
#include <cstdint>
#include <memory>
#include <optional>
#include <vector>

class EMidiOutputPort : public Exception {
public:
    using Exception::Exception;
};

class TMidiOutputPort;

// The controller values a channel starts with and returns to on a controller reset.
std::int32_t DefaultControllerValue(int controller);

// One open output device, shared by every logical port with the same device number. It
// remembers programs and controllers per channel so that resets and patches send only
// what differs.
class TPhysicalOutputPort {
public:
    TPhysicalOutputPort(int deviceId, TMidiOutputPort* creator);
    ~TPhysicalOutputPort();
    TPhysicalOutputPort(const TPhysicalOutputPort&) = delete;
    TPhysicalOutputPort& operator=(const TPhysicalOutputPort&) = delete;

    TMidiDevice* Handle() const { return device_.get(); }
    int DeviceId() const { return deviceId_; }
    int RegistryIndex() const { return registryIndex_; }
    std::vector<TMidiOutputPort*> Clients;
    std::array<std::uint8_t, 16> Banks;
    std::array<std::uint8_t, 16> Programs;
    std::array<std::array<std::int32_t, 128>, 16> Controllers;

    int Join(TMidiOutputPort* port);
    bool HasOtherClients(const TMidiOutputPort* port) const;
    void CloseDevice();

private:
    int deviceId_;
    int registryIndex_;
    std::unique_ptr<TMidiDevice> device_;

    void Unregister();
    void Notice(std::uint32_t datum, EMidiDeviceNotice notice, std::uintptr_t p1, std::uintptr_t p2);
};

// The open physical ports, by registry slot (empty slots stay until the last port closes).
const std::vector<TPhysicalOutputPort*>& PhysicalPortRegistry();
// Closes every remaining physical port; the program does this as it ends.
void CloseAllPhysicalPorts();

// A logical port on one output device. It counts the notes it started so that it can
// release exactly those.
class TMidiOutputPort {
public:
    TMidiOutputPort() = default;
    virtual ~TMidiOutputPort();
    TMidiOutputPort(const TMidiOutputPort&) = delete;
    TMidiOutputPort& operator=(const TMidiOutputPort&) = delete;

    int PortId() const { return portId_; }
    void SetPortId(int id);
    bool Active() const { return physical_ != nullptr; }
    void SetActive(bool active);

    // With a due time (on the game clock) the device may place the message in time.
    void Send(std::uint32_t message, std::optional<std::int64_t> dueMicroseconds = std::nullopt);
    void ReleaseNotes();
    void ResetControllers();
    void SetPatch(std::uint8_t bank, std::uint8_t program, std::uint8_t channel);
    TMidiDevice* DeviceHandle() const { return physical_ ? physical_->Handle() : nullptr; }
    TPhysicalOutputPort* Physical() const { return physical_; }
    int ClientSlot() const { return clientSlot_; }
    std::int32_t NoteCount(int channel, int note) const { return noteCounts_[channel & 15][note & 127]; }

    // Notifications of the device (opened, closed, done); nothing to do by default.
    virtual void DriverMessage(EMidiDeviceNotice, std::uintptr_t, std::uintptr_t) {}

    friend class TPhysicalOutputPort;

private:
    int portId_ = 0;
    TPhysicalOutputPort* physical_ = nullptr;
    int clientSlot_ = 0;
    std::array<std::array<std::int32_t, 128>, 16> noteCounts_{};
};
