#pragma once

#include "hid/HidBackend.h"
#include "hid/HidEvent.h"
#include "platform/Exception.h"

#include <memory>
#include <string>
#include <vector>

class TJvHidDevice;

class EHidClientError : public Exception {
public:
    using Exception::Exception;
};

// Raises EHidClientError when a device operation reported failure.
void HidCheck(bool result);

using TJvHidUnplugEvent = THidEvent<void(TJvHidDevice* HidDev)>;

// What a device needs of the controller whose list it is in: the back end it was found on,
// the unplug handler it starts with, and word when it is destroyed. The controller
// (TJvHidDeviceController) is the one implementation.
class THidDeviceOwner {
public:
    virtual const std::shared_ptr<THidBackend>& Backend() const = 0;
    virtual const TJvHidUnplugEvent& OnDeviceUnplug() const = 0;

protected:
    ~THidDeviceOwner() = default;

private:
    friend class TJvHidDevice;
    // Told as a device is destroyed; an owner that keeps no list of its devices has nothing to
    // do.
    virtual void DeviceDestroyed(TJvHidDevice* device);
};

// One HID interface present on the machine. The controller creates it, reads its identity
// once, and lends it to the application; it can do I/O only while it is lent out or being
// enumerated.
class TJvHidDevice {
public:
    TJvHidDevice(const std::string& devicePath, uint64_t deviceInstance, const std::string& deviceDescription,
                 const std::string& classDescription, THidDeviceOwner* controller);
    // A destroyed device that is still plugged in leaves a fresh, checked-in copy in its
    // controller's list; an unplugged one leaves the list.
    virtual ~TJvHidDevice();

    TJvHidDevice(const TJvHidDevice&) = delete;
    TJvHidDevice& operator=(const TJvHidDevice&) = delete;

    bool Accessible() const { return PluggedIn() && (CheckedOut() || Enumerating()); }

    bool OpenFile();
    void CloseFile();
    // One whole input report, byte 0 the report ID. Waits at most ReadTimeout() for it;
    // a report that does not come in time is a failure, as is a gone device.
    bool ReadFile(void* buffer, int bytesToRead, uint32_t& bytesRead);
    // The next report already queued, without waiting: true with bytesRead 0 when none is.
    bool ReadQueuedReport(void* buffer, int bytesToRead, uint32_t& bytesRead);
    bool WriteFile(const void* buffer, int bytesToWrite, uint32_t& bytesWritten);
    bool FlushQueue();
    bool GetFeature(void* buffer, int length);
    bool SetFeature(const void* buffer, int length);
    bool DeviceIoControl(uint32_t controlCode, const void* inBuffer, uint32_t inSize, void* outBuffer,
                         uint32_t outSize, uint32_t& bytesReturned);

    // Called by the controller when the device has gone: closes it and tells OnUnplug once.
    void HandleUnplug();

    int ReadTimeout() const { return FReadTimeout; }
    void SetReadTimeout(int milliseconds) { FReadTimeout = milliseconds; }

    THidDeviceOwner* Controller() const { return FController; }
    bool PluggedIn() const { return FPluggedIn; }
    bool CheckedOut() const { return FCheckedOut; }
    bool Enumerating() const { return FEnumerating; }
    bool IsOpen() const { return FHandle != nullptr; }
    // Why the last OpenFile failed, as an errno value (0 when it did not fail, or the back end
    // could not tell): EACCES for a node the user may not open, EBUSY for one held elsewhere.
    int OpenError() const { return FOpenError; }
    uint64_t DeviceInstance() const { return FDeviceInstance; }
    const std::string& DevicePath() const { return FDevicePath; }
    const std::string& DeviceDescription() const { return FDeviceDescription; }
    const std::string& ClassDescription() const { return FClassDescription; }
    const std::string& VendorName() const { return FVendorName; }
    const std::string& ProductName() const { return FProductName; }
    const std::string& PhysicalDescriptor() const { return FPhysicalDescriptor; }
    const std::string& SerialNumber() const { return FSerialNumber; }
    const std::vector<std::string>& LanguageStrings() const { return FLanguageStrings; }
    const THidAttributes& Attributes() const { return FAttributes; }
    const THidCaps& Caps() const { return FCaps; }
    const THidConfiguration& Configuration() const { return FConfiguration; }
    uint32_t NumInputBuffers() const { return FNumInputBuffers; }
    const std::vector<THidLinkCollectionNode>& LinkCollectionNodes() const { return FLinkCollectionNodes; }

    const TJvHidUnplugEvent& OnUnplug() const { return FOnUnplug; }
    void SetOnUnplug(TJvHidUnplugEvent handler) { FOnUnplug = std::move(handler); }

    // Language name of a USB language identifier, or "unknown Locale ID $xxxx".
    static std::string LanguageName(uint16_t languageId);

private:
    friend class TJvHidDeviceController;

    void ReadIdentity(THidHandle& handle);
    bool ReadReport(void* buffer, int bytesToRead, uint32_t& bytesRead, int timeoutMs);

    THidDeviceOwner* FController;
    bool FPluggedIn = true;
    bool FCheckedOut = false;
    bool FEnumerating = false;
    std::unique_ptr<THidHandle> FHandle;
    uint64_t FDeviceInstance = 0;
    std::string FDevicePath;
    std::string FDeviceDescription;
    std::string FClassDescription;
    std::string FVendorName;
    std::string FProductName;
    std::string FPhysicalDescriptor;
    std::string FSerialNumber;
    std::vector<std::string> FLanguageStrings;
    THidAttributes FAttributes;
    THidCaps FCaps;
    THidConfiguration FConfiguration;
    uint32_t FNumInputBuffers = 0;
    int FOpenError = 0;
    std::vector<THidLinkCollectionNode> FLinkCollectionNodes;
    TJvHidUnplugEvent FOnUnplug;
    int FReadTimeout = 250;
    std::shared_ptr<THidBackend> FBackend;
    // Lets the controller notice that a handler it called destroyed this device.
    std::shared_ptr<bool> FAlive = std::make_shared<bool>(true);
};
