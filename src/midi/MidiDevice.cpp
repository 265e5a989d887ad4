#include "midi/MidiDevice.h"

#include "midi/AlsaMidiDevice.h"
#include "midi/FluidSynthDevice.h"

#include <map>
#include <mutex>

namespace {
std::mutex overridesMutex;
std::map<int, TMidiDeviceFactory>& Overrides()
{
    static std::map<int, TMidiDeviceFactory> overrides;
    return overrides;
}
}

std::unique_ptr<TMidiDevice> CreateMidiDevice(int deviceId)
{
    {
        std::lock_guard lock(overridesMutex);
        auto it = Overrides().find(deviceId);
        if (it != Overrides().end())
            return it->second(deviceId);
    }
    if (deviceId == 0)
        return std::make_unique<TFluidSynthDevice>(EFluidSynthAudio::Live);
    if (deviceId > 0)
        return std::make_unique<TAlsaMidiDevice>(deviceId);
    return nullptr;
}

TMidiDeviceFactory SetMidiDeviceOverride(int deviceId, TMidiDeviceFactory factory)
{
    std::lock_guard lock(overridesMutex);
    TMidiDeviceFactory previous;
    auto it = Overrides().find(deviceId);
    if (it != Overrides().end()) {
        previous = std::move(it->second);
        Overrides().erase(it);
    }
    if (factory)
        Overrides()[deviceId] = std::move(factory);
    return previous;
}
