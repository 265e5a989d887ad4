#include "midi/MidiOutput.h"

#include "sound/SoundOutput.h"

#include <QCoreApplication>
#include <QThread>

namespace {
std::vector<TPhysicalOutputPort*>* registry = nullptr;

void ProcessPendingMessages()
{
    auto* app = QCoreApplication::instance();
    if (app && QThread::currentThread() == app->thread())
        QCoreApplication::processEvents();
}

const std::vector<TPhysicalOutputPort*> emptyRegistry;

// At program end every device still open is closed. The synthesizer sounds through the
// process's sound output, which must still be there then: made before the closer, it is
// destroyed after it.
struct TRegistryCloser {
    TRegistryCloser() { SharedSoundOutput(); }
    ~TRegistryCloser() { CloseAllPhysicalPorts(); }
} registryCloser;
}

std::int32_t DefaultControllerValue(int controller)
{
    switch (controller) {
    case 7: return 90;    // channel volume
    case 10: return 64;   // pan
    case 11: return 127;  // expression
    case 91: return 40;   // reverb depth
    default: return 0;
    }
}

const std::vector<TPhysicalOutputPort*>& PhysicalPortRegistry() { return registry ? *registry : emptyRegistry; }

void CloseAllPhysicalPorts()
{
    while (registry) {
        TPhysicalOutputPort* open = nullptr;
        for (auto* p : *registry)
            if (p)
                open = p;
        if (!open)
            break;
        // Each logical port leaves; the last one closes the device and frees its slot.
        auto clients = open->Clients;
        for (auto* c : clients)
            if (c)
                c->SetActive(false);
    }
}

TPhysicalOutputPort::TPhysicalOutputPort(int deviceId, TMidiOutputPort* creator) : deviceId_(deviceId)
{
    if (!registry)
        registry = new std::vector<TPhysicalOutputPort*>;
    registryIndex_ = static_cast<int>(registry->size());
    registry->push_back(this);
    const int slot = Join(creator);
    for (int channel = 0; channel < 16; ++channel) {
        for (int c = 0; c < 128; ++c)
            Controllers[channel][c] = DefaultControllerValue(c);
        Programs[channel] = 0;
        Banks[channel] = 127;
    }
    const std::uint32_t datum = std::uint32_t(registryIndex_ & 0xFFFF) | (std::uint32_t(slot & 0xFFFF) << 16);
    device_ = CreateMidiDevice(deviceId);
    const bool opened = device_ && device_->Open([this, datum](EMidiDeviceNotice n, std::uintptr_t p1, std::uintptr_t p2) {
        Notice(datum, n, p1, p2);
    });
    if (!opened) {
        device_.reset();
        Unregister();
        throw EMidiOutputPort("Unable to open port");
    }
}

TPhysicalOutputPort::~TPhysicalOutputPort() { Unregister(); }

void TPhysicalOutputPort::Unregister()
{
    if (!registry)
        return;
    if (registryIndex_ < static_cast<int>(registry->size()) && (*registry)[std::size_t(registryIndex_)] == this)
        (*registry)[std::size_t(registryIndex_)] = nullptr;
    for (auto* p : *registry)
        if (p)
            return;
    delete registry;
    registry = nullptr;
}

void TPhysicalOutputPort::Notice(std::uint32_t datum, EMidiDeviceNotice notice, std::uintptr_t p1, std::uintptr_t p2)
{
    const std::size_t slot = datum >> 16;
    if (slot < Clients.size() && Clients[slot])
        Clients[slot]->DriverMessage(notice, p1, p2);
}

int TPhysicalOutputPort::Join(TMidiOutputPort* port)
{
    for (std::size_t i = 0; i < Clients.size(); ++i)
        if (!Clients[i]) {
            Clients[i] = port;
            return static_cast<int>(i);
        }
    Clients.push_back(port);
    return static_cast<int>(Clients.size() - 1);
}

bool TPhysicalOutputPort::HasOtherClients(const TMidiOutputPort* port) const
{
    for (auto* c : Clients)
        if (c && c != port)
            return true;
    return false;
}

void TPhysicalOutputPort::CloseDevice()
{
    if (!device_)
        return;
    device_->Reset();
    ProcessPendingMessages();
    device_->Close();
    ProcessPendingMessages();
    device_.reset();
}

TMidiOutputPort::~TMidiOutputPort() { SetActive(false); }

void TMidiOutputPort::SetPortId(int id)
{
    if (id == portId_)
        return;
    const bool wasActive = Active();
    SetActive(false);
    portId_ = id;
    if (wasActive)
        SetActive(true);
}

void TMidiOutputPort::SetActive(bool active)
{
    if (active == Active())
        return;
    if (active) {
        if (registry)
            for (auto* p : *registry)
                if (p && p->DeviceId() == portId_) {
                    clientSlot_ = p->Join(this);
                    physical_ = p;
                    return;
                }
        // The new port registers itself; when the device refuses to open it is taken out again.
        auto created = std::make_unique<TPhysicalOutputPort>(portId_, this);
        clientSlot_ = 0;
        physical_ = created.release();
        return;
    }
    ReleaseNotes();
    ResetControllers();
    TPhysicalOutputPort* p = physical_;
    if (p->HasOtherClients(this)) {
        p->Clients[std::size_t(clientSlot_)] = nullptr;
    } else {
        // The device's notices name slot 0; the last client answers there while it closes.
        if (clientSlot_ != 0) {
            p->Clients[std::size_t(clientSlot_)] = nullptr;
            p->Clients[0] = this;
            clientSlot_ = 0;
        }
        p->CloseDevice();
        delete p;
    }
    physical_ = nullptr;
    noteCounts_ = {};
}

void TMidiOutputPort::Send(std::uint32_t message, std::optional<std::int64_t> dueMicroseconds)
{
    if (!physical_)
        return;
    const std::uint8_t status = message & 0xFF;
    if (status >= 0xF0)
        return;
    if (dueMicroseconds)
        physical_->Handle()->TimedShortMessage(message & 0xFFFFFF, *dueMicroseconds);
    else
        physical_->Handle()->ShortMessage(message & 0xFFFFFF);
    const int channel = status & 0x0F;
    const std::uint8_t n = (message >> 8) & 0x7F;
    const std::uint8_t value = (message >> 16) & 0x7F;
    switch (status & 0xF0) {
    case 0x90:
        if (value != 0) {
            ++noteCounts_[channel][n];
            break;
        }
        [[fallthrough]];
    case 0x80:
        if (noteCounts_[channel][n] > 0)
            --noteCounts_[channel][n];
        break;
    case 0xB0: physical_->Controllers[channel][n] = value; break;
    case 0xC0: physical_->Programs[channel] = n; break;
    default: break;
    }
}

void TMidiOutputPort::ReleaseNotes()
{
    if (!physical_)
        return;
    for (std::uint32_t channel = 0; channel < 16; ++channel)
        for (std::uint32_t note = 0; note < 128; ++note)
            while (noteCounts_[channel][note] > 0)
                Send(0x80 | channel | (note << 8));
    for (std::uint32_t channel = 0; channel < 16; ++channel) {
        const std::int32_t normal = DefaultControllerValue(64);
        if (physical_->Controllers[channel][64] != normal)
            Send(0xB0 | channel | (64u << 8) | (std::uint32_t(normal) << 16));
    }
}

void TMidiOutputPort::ResetControllers()
{
    if (!physical_)
        return;
    for (std::uint32_t channel = 0; channel < 16; ++channel)
        for (std::uint32_t c = 0; c < 128; ++c) {
            const std::int32_t normal = DefaultControllerValue(int(c));
            if (physical_->Controllers[channel][c] != normal) {
                physical_->Handle()->ShortMessage(0xB0 | channel | (c << 8) | (std::uint32_t(normal) << 16));
                physical_->Controllers[channel][c] = normal;
            }
        }
}

void TMidiOutputPort::SetPatch(std::uint8_t, std::uint8_t program, std::uint8_t channel)
{
    if (!physical_)
        return;
    channel &= 0x0F;
    program &= 0x7F;
    if (physical_->Programs[channel] == program)
        return;
    physical_->Handle()->ShortMessage(0xC0u | channel | (std::uint32_t(program) << 8));
    physical_->Programs[channel] = program;
}
