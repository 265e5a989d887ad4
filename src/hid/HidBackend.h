#pragma once

#include <cstddef>
#include <cstdint>
#include <functional>
#include <memory>
#include <optional>
#include <string>
#include <vector>

// The HID records a device reads once when it is created. Field names follow the class
// driver's published records so that code written against them reads the same here.
struct THidAttributes {
    uint32_t Size = 0;
    uint16_t VendorID = 0;
    uint16_t ProductID = 0;
    uint16_t VersionNumber = 0;
};

struct THidCaps {
    uint16_t Usage = 0;
    uint16_t UsagePage = 0;
    // Report lengths include the report-ID byte (0 for devices without numbered reports);
    // a kind of report the device does not have has length 0.
    uint16_t InputReportByteLength = 0;
    uint16_t OutputReportByteLength = 0;
    uint16_t FeatureReportByteLength = 0;
    uint16_t Reserved[17] = {};
    uint16_t NumberLinkCollectionNodes = 0;
    uint16_t NumberInputButtonCaps = 0;
    uint16_t NumberInputValueCaps = 0;
    uint16_t NumberInputDataIndices = 0;
    uint16_t NumberOutputButtonCaps = 0;
    uint16_t NumberOutputValueCaps = 0;
    uint16_t NumberOutputDataIndices = 0;
    uint16_t NumberFeatureButtonCaps = 0;
    uint16_t NumberFeatureValueCaps = 0;
    uint16_t NumberFeatureDataIndices = 0;
};

struct THidConfiguration {
    uint32_t Cookie = 0;
    uint32_t RingBufferSize = 0;
    uint32_t DisableFlags = 0;
};
static_assert(sizeof(THidConfiguration) == 12);

struct THidLinkCollectionNode {
    uint16_t LinkUsage = 0;
    uint16_t LinkUsagePage = 0;
    uint16_t Parent = 0;
    uint16_t NumberOfChildren = 0;
    uint16_t NextSibling = 0;
    uint16_t FirstChild = 0;
    uint8_t CollectionType = 0;
    bool IsAlias = false;
};

// One HID interface found on the bus. Identity stays the same for as long as the device
// stays plugged in (on Linux the node's device number) and is never 0 for a listed device.
struct THidInterfaceInfo {
    std::string Path;
    uint64_t Identity = 0;
    std::string DeviceDescription;
    std::string ClassDescription;
};

enum class THidAccess {
    ReadWrite,  // reports can be read and written
    QueryOnly,  // identity, strings and capabilities only
};

// An open device. Every call reports failure as false and never throws.
class THidHandle {
public:
    virtual ~THidHandle() = default;

    virtual bool GetAttributes(THidAttributes& attributes) = 0;
    virtual bool GetCaps(THidCaps& caps) = 0;
    virtual bool GetLinkCollectionNodes(std::vector<THidLinkCollectionNode>& nodes) = 0;
    virtual bool GetConfiguration(THidConfiguration& configuration) = 0;
    // nullopt when the back end cannot list the string languages at all, which is not
    // the same as a device that offers none.
    virtual std::optional<std::vector<uint16_t>> GetLanguageIds() = 0;
    virtual bool GetManufacturerString(std::u16string& text) = 0;
    virtual bool GetProductString(std::u16string& text) = 0;
    virtual bool GetSerialNumberString(std::u16string& text) = 0;
    virtual bool GetPhysicalDescriptor(std::u16string& text) = 0;
    virtual bool GetNumInputBuffers(uint32_t& count) = 0;

    // One whole input report into buffer, byte 0 being the report ID (0 when the device
    // does not number its reports); a longer report is cut at size. timeoutMs < 0 waits
    // without limit, 0 only takes a report that is already queued. A timeout is a success
    // with bytesRead 0; a failure (device gone, I/O error) is false.
    virtual bool ReadReport(uint8_t* buffer, size_t size, size_t& bytesRead, int timeoutMs) = 0;
    // One whole output report, byte 0 being the report ID.
    virtual bool WriteReport(const uint8_t* buffer, size_t size, size_t& bytesWritten) = 0;
    virtual bool GetFeature(uint8_t* buffer, size_t size) = 0;
    virtual bool SetFeature(const uint8_t* buffer, size_t size) = 0;
    virtual bool FlushQueue() = 0;
    virtual bool IoControl(uint32_t code, const void* in, size_t inSize, void* out, size_t outSize,
                           size_t& returned) = 0;
};

// Keeps a change notice subscription alive; destroying it unsubscribes.
class THidWatch {
public:
    virtual ~THidWatch() = default;
};

// The platform seam: what the device and controller classes need from a HID access layer.
class THidBackend {
public:
    virtual ~THidBackend() = default;
    // Present HID interfaces in a stable order.
    virtual std::vector<THidInterfaceInfo> ListInterfaces() = 0;
    // nullptr when the path cannot be opened with that access.
    virtual std::unique_ptr<THidHandle> Open(const std::string& path, THidAccess access) = 0;
    // Why the last Open that gave nullptr failed, as an errno value (EACCES, EBUSY, ...); 0
    // when the back end cannot tell.
    virtual int LastOpenError() const { return 0; }
    // onChange runs on the calling thread's event loop whenever HID devices come or go.
    virtual std::unique_ptr<THidWatch> Watch(std::function<void()> onChange) = 0;
};

// The back end new controllers use: the hidraw one unless a test set another (nullptr puts
// the hidraw one back). The back end replaced is returned, null when none was made yet.
std::shared_ptr<THidBackend> HidBackend();
std::shared_ptr<THidBackend> SetHidBackend(std::shared_ptr<THidBackend> backend);
