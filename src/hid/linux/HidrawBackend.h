#pragma once

#include "hid/HidBackend.h"
#include "hid/HidReportDescriptor.h"

#include <cstdint>
#include <optional>
#include <string>
#include <vector>

struct udev;

// What udev and sysfs tell about one hidraw node, gathered when it is opened.
struct THidrawDeviceInfo {
    THidAttributes Attributes;
    std::optional<std::u16string> Manufacturer;
    std::optional<std::u16string> Product;
    std::optional<std::u16string> SerialNumber;
    bool HaveDescriptor = false;
    THidReportLayout Layout;
};

// An open hidraw node. fd is -1 for a query-only handle; the handle owns a valid fd.
// Reads and writes take whole reports; a device without numbered reports gets a 0
// report-ID byte in front of what it sends, so byte 1 is always its first data byte.
class THidrawHandle : public THidHandle {
public:
    THidrawHandle(int fd, THidrawDeviceInfo info);
    ~THidrawHandle() override;

    bool GetAttributes(THidAttributes& attributes) override;
    bool GetCaps(THidCaps& caps) override;
    bool GetLinkCollectionNodes(std::vector<THidLinkCollectionNode>& nodes) override;
    bool GetConfiguration(THidConfiguration& configuration) override;
    std::optional<std::vector<uint16_t>> GetLanguageIds() override;
    bool GetManufacturerString(std::u16string& text) override;
    bool GetProductString(std::u16string& text) override;
    bool GetSerialNumberString(std::u16string& text) override;
    bool GetPhysicalDescriptor(std::u16string& text) override;
    bool GetNumInputBuffers(uint32_t& count) override;
    bool ReadReport(uint8_t* buffer, size_t size, size_t& bytesRead, int timeoutMs) override;
    bool WriteReport(const uint8_t* buffer, size_t size, size_t& bytesWritten) override;
    bool GetFeature(uint8_t* buffer, size_t size) override;
    bool SetFeature(const uint8_t* buffer, size_t size) override;
    bool FlushQueue() override;
    bool IoControl(uint32_t code, const void* in, size_t inSize, void* out, size_t outSize,
                   size_t& returned) override;

private:
    int FFd;
    THidrawDeviceInfo FInfo;
    std::vector<uint8_t> FScratch;
};

// hidraw nodes found and watched through libudev.
class THidrawBackend : public THidBackend {
public:
    THidrawBackend();
    ~THidrawBackend() override;

    std::vector<THidInterfaceInfo> ListInterfaces() override;
    std::unique_ptr<THidHandle> Open(const std::string& path, THidAccess access) override;
    std::unique_ptr<THidWatch> Watch(std::function<void()> onChange) override;
    int LastOpenError() const override { return FLastOpenError; }

private:
    struct udev* FUdev;
    int FLastOpenError = 0;
};
