#pragma once

#include "hid/HidBackend.h"
#include "hid/HidDevice.h"
#include "hid/HidEvent.h"
#include "platform/Exception.h"

#include <QObject>

#include <cstdint>
#include <memory>
#include <string>
#include <vector>

class EControllerError : public Exception {
public:
    using Exception::Exception;
};

using TJvHidEnumerateEvent = THidEvent<bool(TJvHidDevice* HidDev, int Idx)>;
using TNotifyEvent = THidEvent<void(QObject* Sender)>;

// Keeps the list of HID devices present on the machine, lends them to the application
// (check-out and check-in) and notices devices coming and going. One per process.
//
// A checked-out device belongs to whoever checked it out until it is checked in; every
// other listed device belongs to the controller.
class TJvHidDeviceController : public QObject, public THidDeviceOwner {
public:
    // Uses HidBackend() when no back end is given.
    explicit TJvHidDeviceController(QObject* owner = nullptr, std::shared_ptr<THidBackend> backend = nullptr);
    ~TJvHidDeviceController() override;

    int Enumerate();
    bool CheckOut(TJvHidDevice*& HidDev);
    bool CheckOutByIndex(TJvHidDevice*& HidDev, int index);
    bool CheckOutByID(TJvHidDevice*& HidDev, int vendorId, int productId);
    bool CheckOutByProductName(TJvHidDevice*& HidDev, const std::string& name);
    bool CheckOutByVendorName(TJvHidDevice*& HidDev, const std::string& name);
    bool CheckOutByClass(TJvHidDevice*& HidDev, const std::string& name);
    void CheckIn(TJvHidDevice*& HidDev);

    // Compares a fresh list of the bus with the listed devices: gone ones are unplugged,
    // new ones appended; OnDeviceChange hears of any change. The back end's change
    // notices call it; callers may too.
    void Rescan();
    // To be called once the owner has assigned the handlers: hands every listed device
    // the current unplug handler.
    void Loaded();

    int32_t NumCheckedInDevices() const { return FNumCheckedInDevices; }
    int32_t NumCheckedOutDevices() const { return FNumCheckedOutDevices; }
    int32_t NumUnpluggedDevices() const { return FNumUnpluggedDevices; }

    const TJvHidUnplugEvent& OnDeviceUnplug() const override { return FOnDeviceUnplug; }
    void SetOnDeviceUnplug(TJvHidUnplugEvent handler);
    const TJvHidEnumerateEvent& OnEnumerate() const { return FOnEnumerate; }
    void SetOnEnumerate(TJvHidEnumerateEvent handler) { FOnEnumerate = std::move(handler); }
    const TNotifyEvent& OnDeviceChange() const { return FOnDeviceChange; }
    void SetOnDeviceChange(TNotifyEvent handler);

    // The listed devices in list order (present ones, and unplugged ones still checked out).
    const std::vector<TJvHidDevice*>& Devices() const { return FList; }
    const std::shared_ptr<THidBackend>& Backend() const override { return FBackend; }

private:
    friend class TJvHidDevice;

    std::vector<TJvHidDevice*> BuildDeviceList();
    bool EnumerateOne(TJvHidDevice* device, int index);
    template <typename Match>
    bool CheckOutFirst(TJvHidDevice*& HidDev, Match match);
    void TakeOut(TJvHidDevice* device);
    // The device's slot is handed a fresh copy (present) or removed (unplugged).
    void DeviceDestroyed(TJvHidDevice* device) override;

    std::shared_ptr<THidBackend> FBackend;
    TNotifyEvent FOnDeviceChange;
    bool FDeviceChangeHandlerSet = false;
    TJvHidEnumerateEvent FOnEnumerate;
    TJvHidUnplugEvent FOnDeviceUnplug;
    std::vector<TJvHidDevice*> FList;
    int32_t FNumCheckedInDevices = 0;
    int32_t FNumCheckedOutDevices = 0;
    int32_t FNumUnpluggedDevices = 0;
    std::unique_ptr<THidWatch> FWatch;
};
