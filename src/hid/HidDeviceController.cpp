#include "hid/HidDeviceController.h"

#include "platform/Guard.h"

#include <atomic>
#include <exception>
#include <unordered_set>
#include <utility>

namespace {

std::atomic<int> ControllerCount{0};

using TAliveToken = std::weak_ptr<bool>;

bool IsAlive(const TAliveToken& token)
{
    const std::shared_ptr<bool> alive = token.lock();
    return alive && *alive;
}

}  // namespace

TJvHidDeviceController::TJvHidDeviceController(QObject* owner, std::shared_ptr<THidBackend> backend)
    : QObject(owner), FBackend(backend ? std::move(backend) : HidBackend())
{
    if (++ControllerCount > 1) {
        --ControllerCount;
        throw EControllerError("Only one TJvHidDeviceController allowed per program");
    }
    try {
        FList = BuildDeviceList();
        FNumCheckedInDevices = static_cast<int32_t>(FList.size());
        FWatch = FBackend->Watch([this] { Rescan(); });
    } catch (...) {
        for (TJvHidDevice* device : FList) {
            device->FController = nullptr;
            delete device;
        }
        --ControllerCount;
        throw;
    }
}

TJvHidDeviceController::~TJvHidDeviceController()
{
    --ControllerCount;
    FOnDeviceChange = nullptr;
    FOnEnumerate = nullptr;
    FOnDeviceUnplug = nullptr;
    FWatch.reset();

    // The unplug handlers called below may check devices in, which destroys unplugged
    // ones, so the walk goes over a snapshot and skips devices already gone.
    std::vector<std::pair<TJvHidDevice*, TAliveToken>> devices;
    for (TJvHidDevice* device : FList) {
        device->FController = nullptr;
        devices.emplace_back(device, device->FAlive);
    }
    FList.clear();
    for (auto& [device, alive] : devices) {
        if (!IsAlive(alive))
            continue;
        if (device->CheckedOut())
            Guarded([device = device] { device->HandleUnplug(); });  // nothing may leave a destructor
        else
            delete device;
    }
}

std::vector<TJvHidDevice*> TJvHidDeviceController::BuildDeviceList()
{
    std::vector<TJvHidDevice*> list;
    for (const THidInterfaceInfo& info : FBackend->ListInterfaces())
        list.push_back(
            new TJvHidDevice(info.Path, info.Identity, info.DeviceDescription, info.ClassDescription, this));
    return list;
}

int TJvHidDeviceController::Enumerate()
{
    int count = 0;
    // Handlers may check devices in or out, so the list is read afresh at every step.
    for (size_t i = 0; i < FList.size(); ++i) {
        TJvHidDevice* device = FList[i];
        if (!device->PluggedIn())
            continue;
        ++count;
        if (!EnumerateOne(device, static_cast<int>(i)))
            break;
    }
    return count;
}

bool TJvHidDeviceController::EnumerateOne(TJvHidDevice* device, int index)
{
    if (!FOnEnumerate)
        return false;
    const TJvHidEnumerateEvent handler = FOnEnumerate;
    struct TEnumerating {
        TJvHidDevice* Device;
        TAliveToken Alive;
        ~TEnumerating()
        {
            if (!IsAlive(Alive))
                return;
            Device->FEnumerating = false;
            if (!Device->CheckedOut())
                Device->CloseFile();
        }
    } guard{device, device->FAlive};
    device->FEnumerating = true;
    return handler(device, index);
}

template <typename Match>
bool TJvHidDeviceController::CheckOutFirst(TJvHidDevice*& HidDev, Match match)
{
    HidDev = nullptr;
    for (TJvHidDevice* device : FList) {
        if (!device->CheckedOut() && match(*device)) {
            TakeOut(device);
            HidDev = device;
            return true;
        }
    }
    return false;
}

void TJvHidDeviceController::TakeOut(TJvHidDevice* device)
{
    device->FCheckedOut = true;
    ++FNumCheckedOutDevices;
    --FNumCheckedInDevices;
}

bool TJvHidDeviceController::CheckOut(TJvHidDevice*& HidDev)
{
    return CheckOutFirst(HidDev, [](const TJvHidDevice&) { return true; });
}

bool TJvHidDeviceController::CheckOutByIndex(TJvHidDevice*& HidDev, int index)
{
    HidDev = nullptr;
    if (index < 0 || static_cast<size_t>(index) >= FList.size() || FList[index]->CheckedOut())
        return false;
    HidDev = FList[index];
    TakeOut(HidDev);
    return true;
}

bool TJvHidDeviceController::CheckOutByID(TJvHidDevice*& HidDev, int vendorId, int productId)
{
    return CheckOutFirst(HidDev, [&](const TJvHidDevice& device) {
        return device.Attributes().VendorID == vendorId &&
               (productId == -1 || device.Attributes().ProductID == productId);
    });
}

bool TJvHidDeviceController::CheckOutByProductName(TJvHidDevice*& HidDev, const std::string& name)
{
    HidDev = nullptr;
    return !name.empty() &&
           CheckOutFirst(HidDev, [&](const TJvHidDevice& device) { return device.ProductName() == name; });
}

bool TJvHidDeviceController::CheckOutByVendorName(TJvHidDevice*& HidDev, const std::string& name)
{
    HidDev = nullptr;
    return !name.empty() &&
           CheckOutFirst(HidDev, [&](const TJvHidDevice& device) { return device.VendorName() == name; });
}

bool TJvHidDeviceController::CheckOutByClass(TJvHidDevice*& HidDev, const std::string& name)
{
    HidDev = nullptr;
    return !name.empty() &&
           CheckOutFirst(HidDev, [&](const TJvHidDevice& device) { return device.ClassDescription() == name; });
}

void TJvHidDeviceController::CheckIn(TJvHidDevice*& HidDev)
{
    TJvHidDevice* device = HidDev;
    HidDev = nullptr;
    if (!device)
        return;
    device->CloseFile();
    if (!device->PluggedIn()) {
        delete device;  // its slot leaves the list
    } else if (device->CheckedOut()) {
        // A device that was never checked out is left as it is, so the counts stay true.
        device->FCheckedOut = false;
        --FNumCheckedOutDevices;
        ++FNumCheckedInDevices;
    }
}

void TJvHidDeviceController::DeviceDestroyed(TJvHidDevice* device)
{
    for (size_t i = 0; i < FList.size(); ++i) {
        if (FList[i] != device)
            continue;
        if (device->PluggedIn()) {
            FList[i] = new TJvHidDevice(device->FDevicePath, device->FDeviceInstance, device->FDeviceDescription,
                                        device->FClassDescription, this);
            if (device->CheckedOut()) {
                --FNumCheckedOutDevices;
                ++FNumCheckedInDevices;
            }
        } else {
            FList.erase(FList.begin() + static_cast<std::ptrdiff_t>(i));
            --FNumUnpluggedDevices;
        }
        return;
    }
}

void TJvHidDeviceController::Rescan()
{
    bool changed = false;
    std::vector<TJvHidDevice*> fresh = BuildDeviceList();
    std::unordered_set<uint64_t> freshIds;
    for (TJvHidDevice* device : fresh)
        freshIds.insert(device->DeviceInstance());

    // Gone devices. Unplug handlers may check devices in (destroying unplugged ones), so
    // the walk goes over a snapshot and skips devices already gone.
    std::vector<std::pair<TJvHidDevice*, TAliveToken>> listed;
    for (TJvHidDevice* device : FList)
        listed.emplace_back(device, device->FAlive);
    // A failing handler must not leave the list half updated: the rescan completes and
    // the first failure is raised at its end.
    std::exception_ptr failure;
    for (auto& [device, alive] : listed) {
        if (!IsAlive(alive) || (device->PluggedIn() && freshIds.count(device->DeviceInstance())))
            continue;
        try {
            device->HandleUnplug();
        } catch (...) {
            if (!failure)
                failure = std::current_exception();
        }
        changed = true;
        if (IsAlive(alive) && !device->CheckedOut())
            delete device;
    }

    // Devices already listed keep their objects; the rest are new.
    std::unordered_set<uint64_t> presentIds;
    for (TJvHidDevice* device : FList)
        if (device->PluggedIn())
            presentIds.insert(device->DeviceInstance());
    for (TJvHidDevice* device : fresh) {
        if (presentIds.count(device->DeviceInstance())) {
            device->FController = nullptr;
            delete device;
        } else {
            FList.push_back(device);
            changed = true;
        }
    }

    FNumCheckedInDevices = 0;
    FNumUnpluggedDevices = 0;
    int32_t checkedOut = 0;
    for (TJvHidDevice* device : FList) {
        if (device->CheckedOut())
            ++checkedOut;
        else
            ++FNumCheckedInDevices;
        if (!device->PluggedIn())
            ++FNumUnpluggedDevices;
    }
    FNumCheckedOutDevices = checkedOut - FNumUnpluggedDevices;

    if (changed && FOnDeviceChange) {
        const TNotifyEvent handler = FOnDeviceChange;
        try {
            handler(this);
        } catch (...) {
            if (!failure)
                failure = std::current_exception();
        }
    }
    if (failure)
        std::rethrow_exception(failure);
}

void TJvHidDeviceController::Loaded()
{
    for (TJvHidDevice* device : FList)
        device->SetOnUnplug(FOnDeviceUnplug);
}

void TJvHidDeviceController::SetOnDeviceUnplug(TJvHidUnplugEvent handler)
{
    if (handler == FOnDeviceUnplug)
        return;
    for (TJvHidDevice* device : FList)
        if (device->OnUnplug() == FOnDeviceUnplug)
            device->SetOnUnplug(handler);
    FOnDeviceUnplug = std::move(handler);
}

void TJvHidDeviceController::SetOnDeviceChange(TNotifyEvent handler)
{
    if (handler == FOnDeviceChange)
        return;
    FOnDeviceChange = std::move(handler);
    const bool first = !FDeviceChangeHandlerSet;
    FDeviceChangeHandlerSet = true;
    if (first && FOnDeviceChange) {
        const TNotifyEvent call = FOnDeviceChange;
        call(this);
    }
}
