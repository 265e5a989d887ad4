#pragma once

#include "hid/HidBackend.h"
#include "platform/Override.h"

#include <cerrno>
#include <cstdint>
#include <deque>
#include <map>
#include <memory>
#include <optional>
#include <string>
#include <vector>

// How a simulated device presents itself. A string left empty (nullopt) cannot be read.
struct THidSimulatedDeviceConfig {
    uint16_t VendorID = 0x1209;
    uint16_t ProductID = 0x0001;
    uint16_t VersionNumber = 0x0100;
    std::optional<std::string> Manufacturer;
    std::optional<std::string> Product;
    std::optional<std::string> SerialNumber;
    std::optional<std::string> PhysicalDescriptor;
    std::optional<std::vector<uint16_t>> LanguageIds = std::vector<uint16_t>{0x0409};
    uint16_t UsagePage = 0xFF00;
    uint16_t Usage = 0x01;
    // Report lengths as the device's capabilities give them, report-ID byte included.
    uint16_t InputReportByteLength = 9;
    uint16_t OutputReportByteLength = 2;
    uint16_t FeatureReportByteLength = 0;
    std::string DeviceDescription = "USB Input Device";
    std::string ClassDescription = "hidraw";
    bool FailOpen = false;   // refuses read-write opens, as a node without permission does
    int OpenErrno = EACCES;  // the reason a refused open gives (EBUSY: someone else has it)
    bool FailQuery = false;  // refuses every open, so the device is listed without identity
};

// One device on the simulated bus, as a test or harness drives it.
class THidSimulatedDevice {
public:
    explicit THidSimulatedDevice(THidSimulatedDeviceConfig config, std::string path, uint64_t identity);

    const THidSimulatedDeviceConfig& Config() const { return FConfig; }
    THidSimulatedDeviceConfig& Config() { return FConfig; }
    const std::string& Path() const { return FPath; }
    uint64_t Identity() const { return FIdentity; }
    bool IsPlugged() const { return FPlugged; }

    // Queues one input report, byte 0 being the report ID; each is read once, in order.
    void QueueInput(std::vector<uint8_t> report);
    // From now on the device reports continuously with this force in byte 1: every read
    // that finds the queue empty gets {0, force, 0, ...} of the input report length.
    void SetForce(uint8_t force);
    // Stops continuous reporting; reads then find only queued reports.
    void StopReporting();
    size_t QueuedReports() const { return FInput.size(); }

    void SetFailReads(bool fail) { FFailReads = fail; }
    void SetFailWrites(bool fail) { FFailWrites = fail; }

    // Output reports written, in order, each as written (byte 0 the report ID).
    const std::vector<std::vector<uint8_t>>& WrittenReports() const { return FWritten; }
    int OpenHandles() const { return FOpenHandles; }
    // Reads attempted, and how many of them found no report and would have had to wait.
    int Reads() const { return FReads; }
    int EmptyReads() const { return FEmptyReads; }

private:
    friend class THidSimulatedBus;
    friend class THidSimulatedHandle;

    THidSimulatedDeviceConfig FConfig;
    std::string FPath;
    uint64_t FIdentity;
    bool FPlugged = true;
    std::deque<std::vector<uint8_t>> FInput;
    std::optional<std::vector<uint8_t>> FContinuous;
    std::map<uint8_t, std::vector<uint8_t>> FFeatures;
    std::vector<std::vector<uint8_t>> FWritten;
    bool FFailReads = false;
    bool FFailWrites = false;
    int FOpenHandles = 0;
    int FReads = 0;
    int FEmptyReads = 0;
};

// A HID bus held in memory. Plugging and unplugging announce the change to every watcher
// at once, as the platform's change notice would, unless announcing is switched off.
class THidSimulatedBus : public THidBackend {
public:
    THidSimulatedBus();
    ~THidSimulatedBus() override;

    std::shared_ptr<THidSimulatedDevice> Plug(THidSimulatedDeviceConfig config);
    // A grip ball: product "Kneadle Bal", 9-byte input and 2-byte output reports, at rest.
    std::shared_ptr<THidSimulatedDevice> PlugGripBall();
    void Unplug(const std::shared_ptr<THidSimulatedDevice>& device);
    void SetAnnounce(bool announce) { FAnnounce = announce; }
    // Tells every watcher that devices came or went.
    void Announce();
    const std::vector<std::shared_ptr<THidSimulatedDevice>>& Devices() const { return FDevices; }
    int Listings() const { return FListings; }

    std::vector<THidInterfaceInfo> ListInterfaces() override;
    std::unique_ptr<THidHandle> Open(const std::string& path, THidAccess access) override;
    std::unique_ptr<THidWatch> Watch(std::function<void()> onChange) override;
    int LastOpenError() const override { return FLastOpenError; }

private:
    struct TWatchers;

    std::vector<std::shared_ptr<THidSimulatedDevice>> FDevices;  // plugged ones, in plug order
    std::shared_ptr<TWatchers> FWatchers;
    uint64_t FNextIdentity = 1;
    bool FAnnounce = true;
    int FListings = 0;
    int FLastOpenError = 0;
};

// Controllers made without a back end of their own use backend until the guard goes.
inline TOverride OverrideHidBackend(std::shared_ptr<THidBackend> backend)
{
    std::shared_ptr<THidBackend> previous = SetHidBackend(std::move(backend));
    return TOverride([previous] { SetHidBackend(previous); });
}
