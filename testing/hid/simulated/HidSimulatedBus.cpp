#include "hid/simulated/HidSimulatedBus.h"

#include <QString>

#include <algorithm>
#include <cstring>

namespace {

constexpr size_t MaxReportBytes = 16384;

bool ReadString(const std::optional<std::string>& value, std::u16string& text)
{
    if (!value)
        return false;
    text = QString::fromStdString(*value).toStdU16String();
    return true;
}

}  // namespace

THidSimulatedDevice::THidSimulatedDevice(THidSimulatedDeviceConfig config, std::string path, uint64_t identity)
    : FConfig(std::move(config)), FPath(std::move(path)), FIdentity(identity)
{
}

void THidSimulatedDevice::QueueInput(std::vector<uint8_t> report)
{
    FInput.push_back(std::move(report));
}

void THidSimulatedDevice::SetForce(uint8_t force)
{
    std::vector<uint8_t> report(std::max<size_t>(FConfig.InputReportByteLength, 2), 0);
    report[1] = force;
    FContinuous = std::move(report);
}

void THidSimulatedDevice::StopReporting()
{
    FContinuous.reset();
}

class THidSimulatedHandle : public THidHandle {
public:
    THidSimulatedHandle(std::shared_ptr<THidSimulatedDevice> device, THidAccess access)
        : FDevice(std::move(device)), FAccess(access)
    {
        ++FDevice->FOpenHandles;
    }
    ~THidSimulatedHandle() override { --FDevice->FOpenHandles; }

    bool GetAttributes(THidAttributes& attributes) override
    {
        if (!FDevice->FPlugged)
            return false;
        attributes.VendorID = FDevice->FConfig.VendorID;
        attributes.ProductID = FDevice->FConfig.ProductID;
        attributes.VersionNumber = FDevice->FConfig.VersionNumber;
        return true;
    }
    bool GetCaps(THidCaps& caps) override
    {
        if (!FDevice->FPlugged)
            return false;
        caps = {};
        caps.UsagePage = FDevice->FConfig.UsagePage;
        caps.Usage = FDevice->FConfig.Usage;
        caps.InputReportByteLength = FDevice->FConfig.InputReportByteLength;
        caps.OutputReportByteLength = FDevice->FConfig.OutputReportByteLength;
        caps.FeatureReportByteLength = FDevice->FConfig.FeatureReportByteLength;
        caps.NumberLinkCollectionNodes = 1;
        return true;
    }
    bool GetLinkCollectionNodes(std::vector<THidLinkCollectionNode>& nodes) override
    {
        THidLinkCollectionNode node;
        node.LinkUsagePage = FDevice->FConfig.UsagePage;
        node.LinkUsage = FDevice->FConfig.Usage;
        node.CollectionType = 1;
        nodes = {node};
        return FDevice->FPlugged;
    }
    bool GetConfiguration(THidConfiguration&) override { return false; }
    std::optional<std::vector<uint16_t>> GetLanguageIds() override { return FDevice->FConfig.LanguageIds; }
    bool GetManufacturerString(std::u16string& text) override
    {
        return FDevice->FPlugged && ReadString(FDevice->FConfig.Manufacturer, text);
    }
    bool GetProductString(std::u16string& text) override
    {
        return FDevice->FPlugged && ReadString(FDevice->FConfig.Product, text);
    }
    bool GetSerialNumberString(std::u16string& text) override
    {
        return FDevice->FPlugged && ReadString(FDevice->FConfig.SerialNumber, text);
    }
    bool GetPhysicalDescriptor(std::u16string& text) override
    {
        return FDevice->FPlugged && ReadString(FDevice->FConfig.PhysicalDescriptor, text);
    }
    bool GetNumInputBuffers(uint32_t& count) override
    {
        count = 64;
        return Usable();
    }

    bool ReadReport(uint8_t* buffer, size_t size, size_t& bytesRead, int) override
    {
        bytesRead = 0;
        if (!Usable() || FDevice->FFailReads)
            return false;
        ++FDevice->FReads;
        std::vector<uint8_t> report;
        if (!FDevice->FInput.empty()) {
            report = std::move(FDevice->FInput.front());
            FDevice->FInput.pop_front();
        } else if (FDevice->FContinuous) {
            report = *FDevice->FContinuous;
        } else {
            // Nothing to read: a real device would keep the caller waiting until the
            // timeout; simulated time does not pass, so the timeout comes at once.
            ++FDevice->FEmptyReads;
            return true;
        }
        bytesRead = std::min(size, report.size());
        std::copy_n(report.begin(), bytesRead, buffer);
        return true;
    }
    bool WriteReport(const uint8_t* buffer, size_t size, size_t& bytesWritten) override
    {
        bytesWritten = 0;
        if (!Usable() || FDevice->FFailWrites || size == 0 || size > MaxReportBytes)
            return false;
        FDevice->FWritten.emplace_back(buffer, buffer + size);
        bytesWritten = size;
        return true;
    }
    bool GetFeature(uint8_t* buffer, size_t size) override
    {
        if (!Usable() || size == 0)
            return false;
        const auto it = FDevice->FFeatures.find(buffer[0]);
        if (it == FDevice->FFeatures.end())
            return false;
        std::memset(buffer, 0, size);
        std::copy_n(it->second.begin(), std::min(size, it->second.size()), buffer);
        return true;
    }
    bool SetFeature(const uint8_t* buffer, size_t size) override
    {
        if (!Usable() || size == 0 || size > MaxReportBytes)
            return false;
        FDevice->FFeatures[buffer[0]].assign(buffer, buffer + size);
        return true;
    }
    bool FlushQueue() override
    {
        if (!Usable())
            return false;
        FDevice->FInput.clear();
        return true;
    }
    bool IoControl(uint32_t, const void*, size_t, void*, size_t, size_t& returned) override
    {
        returned = 0;
        return false;  // the simulated driver knows no control codes
    }

private:
    bool Usable() const { return FDevice->FPlugged && FAccess == THidAccess::ReadWrite; }

    std::shared_ptr<THidSimulatedDevice> FDevice;
    THidAccess FAccess;
};

struct THidSimulatedBus::TWatchers {
    std::map<int, std::function<void()>> Callbacks;
    int NextId = 0;
};

namespace {

class THidSimulatedWatch : public THidWatch {
public:
    explicit THidSimulatedWatch(std::function<void()> remove) : FRemove(std::move(remove)) {}
    ~THidSimulatedWatch() override { FRemove(); }

private:
    std::function<void()> FRemove;
};

}  // namespace

THidSimulatedBus::THidSimulatedBus() : FWatchers(std::make_shared<TWatchers>()) {}

THidSimulatedBus::~THidSimulatedBus() = default;

std::shared_ptr<THidSimulatedDevice> THidSimulatedBus::Plug(THidSimulatedDeviceConfig config)
{
    const uint64_t identity = FNextIdentity++;
    auto device = std::make_shared<THidSimulatedDevice>(std::move(config),
                                                        "/sim/hidraw" + std::to_string(identity), identity);
    FDevices.push_back(device);
    if (FAnnounce)
        Announce();
    return device;
}

std::shared_ptr<THidSimulatedDevice> THidSimulatedBus::PlugGripBall()
{
    THidSimulatedDeviceConfig config;
    config.Manufacturer = "Grip Toys";
    config.Product = "Kneadle Bal";
    config.InputReportByteLength = 9;
    config.OutputReportByteLength = 2;
    return Plug(std::move(config));
}

void THidSimulatedBus::Unplug(const std::shared_ptr<THidSimulatedDevice>& device)
{
    const auto it = std::find(FDevices.begin(), FDevices.end(), device);
    if (it == FDevices.end())
        return;
    device->FPlugged = false;
    FDevices.erase(it);
    if (FAnnounce)
        Announce();
}

void THidSimulatedBus::Announce()
{
    std::vector<std::function<void()>> callbacks;
    for (const auto& entry : FWatchers->Callbacks)
        callbacks.push_back(entry.second);
    for (const auto& callback : callbacks)
        callback();
}

std::vector<THidInterfaceInfo> THidSimulatedBus::ListInterfaces()
{
    ++FListings;
    std::vector<THidInterfaceInfo> list;
    list.reserve(FDevices.size());
    for (const auto& device : FDevices)
        list.push_back({device->FPath, device->FIdentity, device->FConfig.DeviceDescription,
                        device->FConfig.ClassDescription});
    return list;
}

std::unique_ptr<THidHandle> THidSimulatedBus::Open(const std::string& path, THidAccess access)
{
    FLastOpenError = ENOENT;
    for (const auto& device : FDevices) {
        if (device->FPath != path)
            continue;
        if (device->FConfig.FailQuery || (access == THidAccess::ReadWrite && device->FConfig.FailOpen)) {
            FLastOpenError = device->FConfig.OpenErrno;
            return nullptr;
        }
        FLastOpenError = 0;
        return std::make_unique<THidSimulatedHandle>(device, access);
    }
    return nullptr;
}

std::unique_ptr<THidWatch> THidSimulatedBus::Watch(std::function<void()> onChange)
{
    const int id = FWatchers->NextId++;
    FWatchers->Callbacks[id] = std::move(onChange);
    std::weak_ptr<TWatchers> watchers = FWatchers;
    return std::make_unique<THidSimulatedWatch>([watchers, id] {
        if (auto alive = watchers.lock())
            alive->Callbacks.erase(id);
    });
}
