#include "hid/linux/HidrawBackend.h"

#include "platform/Guard.h"

#include <QSocketNotifier>
#include <QString>
#include <QtGlobal>

#include <algorithm>
#include <cerrno>
#include <cstdio>
#include <cstring>
#include <fstream>
#include <iterator>

#include <fcntl.h>
#include <libudev.h>
#include <linux/hidraw.h>
#include <poll.h>
#include <sys/ioctl.h>
#include <sys/stat.h>
#include <unistd.h>

namespace {

// The kernel never hands out a report longer than this, nor a descriptor longer than 4096.
constexpr size_t MaxReportBytes = 16384;
constexpr size_t MaxDescriptorBytes = 4096;
// hidraw keeps this many unread reports per open file before it drops the oldest.
constexpr uint32_t HidrawQueueLength = 64;

std::optional<std::u16string> Wide(const char* text)
{
    if (!text)
        return std::nullopt;
    return QString::fromUtf8(text).toStdU16String();
}

udev_device* HidParent(udev_device* node)
{
    return udev_device_get_parent_with_subsystem_devtype(node, "hid", nullptr);
}

// The device number alone can come back for another device after a replug, so the HID
// core's instance number (the ".0007" of "0003:046D:C52B.0007", counting up with every
// device the kernel adds) goes into the upper half.
uint64_t Identity(udev_device* node)
{
    uint64_t instance = 0;
    if (udev_device* hid = HidParent(node)) {
        const char* name = udev_device_get_sysname(hid);
        const char* dot = name ? std::strrchr(name, '.') : nullptr;
        if (dot)
            instance = std::strtoull(dot + 1, nullptr, 16) & 0xFFFFFFFFu;
    }
    const uint64_t number = static_cast<uint32_t>(udev_device_get_devnum(node));
    const uint64_t identity = (instance << 32) | number;
    return identity != 0 ? identity : 1;
}

std::vector<uint8_t> ReadDescriptor(udev_device* hid, int fd)
{
    std::vector<uint8_t> bytes;
    if (hid) {
        const std::string path = std::string(udev_device_get_syspath(hid)) + "/report_descriptor";
        std::ifstream file(path, std::ios::binary);
        if (file) {
            bytes.resize(MaxDescriptorBytes);
            file.read(reinterpret_cast<char*>(bytes.data()), static_cast<std::streamsize>(bytes.size()));
            bytes.resize(static_cast<size_t>(file.gcount()));
            if (!bytes.empty())
                return bytes;
        }
    }
    if (fd < 0)
        return {};
    int size = 0;
    if (ioctl(fd, HIDIOCGRDESCSIZE, &size) < 0 || size <= 0 || size > HID_MAX_DESCRIPTOR_SIZE)
        return {};
    hidraw_report_descriptor descriptor{};
    descriptor.size = static_cast<uint32_t>(size);
    if (ioctl(fd, HIDIOCGRDESC, &descriptor) < 0)
        return {};
    return std::vector<uint8_t>(descriptor.value, descriptor.value + size);
}

uint16_t Hex16(const char* text)
{
    return text ? static_cast<uint16_t>(std::strtoul(text, nullptr, 16)) : 0;
}

THidrawDeviceInfo ReadInfo(udev_device* node, int fd)
{
    THidrawDeviceInfo info;
    udev_device* hid = HidParent(node);
    if (hid) {
        unsigned bus = 0, vendor = 0, product = 0;
        const char* id = udev_device_get_property_value(hid, "HID_ID");
        if (id && std::sscanf(id, "%x:%x:%x", &bus, &vendor, &product) == 3) {
            info.Attributes.VendorID = static_cast<uint16_t>(vendor);
            info.Attributes.ProductID = static_cast<uint16_t>(product);
        }
    }
    if (udev_device* usb = udev_device_get_parent_with_subsystem_devtype(node, "usb", "usb_device")) {
        info.Manufacturer = Wide(udev_device_get_sysattr_value(usb, "manufacturer"));
        info.Product = Wide(udev_device_get_sysattr_value(usb, "product"));
        info.SerialNumber = Wide(udev_device_get_sysattr_value(usb, "serial"));
        info.Attributes.VersionNumber = Hex16(udev_device_get_sysattr_value(usb, "bcdDevice"));
    } else if (hid) {
        // Bluetooth, I2C and virtual devices have only the names the HID core was given.
        info.Product = Wide(udev_device_get_property_value(hid, "HID_NAME"));
        const char* unique = udev_device_get_property_value(hid, "HID_UNIQ");
        if (unique && *unique)
            info.SerialNumber = Wide(unique);
    }
    const std::vector<uint8_t> descriptor = ReadDescriptor(hid, fd);
    info.HaveDescriptor = !descriptor.empty();
    if (info.HaveDescriptor)
        info.Layout = ParseHidReportDescriptor(descriptor);
    return info;
}

class THidrawWatch : public THidWatch {
public:
    THidrawWatch(udev* context, std::function<void()> onChange) : FOnChange(std::move(onChange))
    {
        // udev's events come once its rules (permissions among them) have run. Without a
        // udev daemon none ever come, and the kernel's own events are all there is.
        const char* source = ::access("/run/udev/control", F_OK) == 0 ? "udev" : "kernel";
        FMonitor = context ? udev_monitor_new_from_netlink(context, source) : nullptr;
        if (FMonitor && udev_monitor_filter_add_match_subsystem_devtype(FMonitor, "hidraw", nullptr) >= 0 &&
            udev_monitor_enable_receiving(FMonitor) >= 0) {
            const int fd = udev_monitor_get_fd(FMonitor);
            fcntl(fd, F_SETFL, fcntl(fd, F_GETFL) | O_NONBLOCK);
            FNotifier = new QSocketNotifier(fd, QSocketNotifier::Read);
            QObject::connect(FNotifier, &QSocketNotifier::activated, FNotifier, [this] { Receive(); });
        } else {
            qWarning("HID devices plugged in or out will not be noticed: no udev monitor");
        }
    }
    ~THidrawWatch() override
    {
        if (FNotifier) {
            // The notifier may be the one whose signal is being handled right now.
            FNotifier->setEnabled(false);
            FNotifier->disconnect();
            FNotifier->deleteLater();
        }
        if (FMonitor)
            udev_monitor_unref(FMonitor);
    }

private:
    void Receive()
    {
        bool changed = false;
        while (udev_device* device = udev_monitor_receive_device(FMonitor)) {
            const char* action = udev_device_get_action(device);
            if (action && (std::strcmp(action, "add") == 0 || std::strcmp(action, "remove") == 0))
                changed = true;
            udev_device_unref(device);
        }
        if (changed) {
            // The call may destroy this watch, and nothing thrown may reach the event loop.
            const std::function<void()> onChange = FOnChange;
            Guarded(onChange);
        }
    }

    std::function<void()> FOnChange;
    udev_monitor* FMonitor = nullptr;
    QSocketNotifier* FNotifier = nullptr;
};

}  // namespace

THidrawHandle::THidrawHandle(int fd, THidrawDeviceInfo info) : FFd(fd), FInfo(std::move(info))
{
    // Waiting is done in poll with a time limit; the read itself must never block.
    if (FFd >= 0)
        fcntl(FFd, F_SETFL, fcntl(FFd, F_GETFL) | O_NONBLOCK);
}

THidrawHandle::~THidrawHandle()
{
    if (FFd >= 0)
        ::close(FFd);
}

bool THidrawHandle::GetAttributes(THidAttributes& attributes)
{
    attributes = FInfo.Attributes;
    return true;
}

bool THidrawHandle::GetCaps(THidCaps& caps)
{
    if (!FInfo.HaveDescriptor)
        return false;
    caps = {};
    FInfo.Layout.FillCaps(caps);
    return true;
}

bool THidrawHandle::GetLinkCollectionNodes(std::vector<THidLinkCollectionNode>& nodes)
{
    nodes = FInfo.Layout.Collections;
    return FInfo.HaveDescriptor;
}

bool THidrawHandle::GetConfiguration(THidConfiguration&)
{
    return false;  // hidraw has no driver configuration to report
}

std::optional<std::vector<uint16_t>> THidrawHandle::GetLanguageIds()
{
    return std::nullopt;  // sysfs gives the strings in one language and does not say which
}

bool THidrawHandle::GetManufacturerString(std::u16string& text)
{
    if (!FInfo.Manufacturer)
        return false;
    text = *FInfo.Manufacturer;
    return true;
}

bool THidrawHandle::GetProductString(std::u16string& text)
{
    if (!FInfo.Product)
        return false;
    text = *FInfo.Product;
    return true;
}

bool THidrawHandle::GetSerialNumberString(std::u16string& text)
{
    if (!FInfo.SerialNumber)
        return false;
    text = *FInfo.SerialNumber;
    return true;
}

bool THidrawHandle::GetPhysicalDescriptor(std::u16string&)
{
    return false;
}

bool THidrawHandle::GetNumInputBuffers(uint32_t& count)
{
    if (FFd < 0)
        return false;
    count = HidrawQueueLength;
    return true;
}

bool THidrawHandle::ReadReport(uint8_t* buffer, size_t size, size_t& bytesRead, int timeoutMs)
{
    bytesRead = 0;
    if (FFd < 0)
        return false;
    pollfd request{FFd, POLLIN, 0};
    int ready;
    do
        ready = ::poll(&request, 1, timeoutMs < 0 ? -1 : timeoutMs);
    while (ready < 0 && errno == EINTR);
    if (ready < 0)
        return false;
    if (ready == 0)
        return true;  // nothing came in time
    if (!(request.revents & POLLIN))
        return false;  // gone or broken

    // The first scratch byte stays free for the report ID of a device that sends none.
    const bool numbered = FInfo.Layout.NumberedReports;
    FScratch.resize(MaxReportBytes + 1);
    uint8_t* target = numbered ? FScratch.data() : FScratch.data() + 1;
    ssize_t count;
    do
        count = ::read(FFd, target, MaxReportBytes);
    while (count < 0 && errno == EINTR);
    if (count < 0)
        return errno == EAGAIN || errno == EWOULDBLOCK;  // someone else took the report
    if (count == 0)
        return false;  // a hidraw node reads 0 bytes only once the device has gone
    size_t length = static_cast<size_t>(count);
    if (!numbered) {
        FScratch[0] = 0;
        ++length;
    }
    bytesRead = std::min(size, length);
    std::copy_n(FScratch.begin(), bytesRead, buffer);
    return true;
}

bool THidrawHandle::WriteReport(const uint8_t* buffer, size_t size, size_t& bytesWritten)
{
    bytesWritten = 0;
    if (FFd < 0 || size == 0 || size > MaxReportBytes)
        return false;
    ssize_t count;
    do
        count = ::write(FFd, buffer, size);
    while (count < 0 && errno == EINTR);
    if (count < 0)
        return false;
    bytesWritten = static_cast<size_t>(count);
    return bytesWritten == size;
}

bool THidrawHandle::GetFeature(uint8_t* buffer, size_t size)
{
    // The ioctl encodes the length in 14 bits.
    if (FFd < 0 || size == 0 || size >= MaxReportBytes)
        return false;
    return ::ioctl(FFd, HIDIOCGFEATURE(size), buffer) >= 0;
}

bool THidrawHandle::SetFeature(const uint8_t* buffer, size_t size)
{
    if (FFd < 0 || size == 0 || size >= MaxReportBytes)
        return false;
    std::vector<uint8_t> copy(buffer, buffer + size);
    return ::ioctl(FFd, HIDIOCSFEATURE(size), copy.data()) >= 0;
}

bool THidrawHandle::FlushQueue()
{
    if (FFd < 0)
        return false;
    uint8_t discard[MaxReportBytes / 16];
    // Bounded: the queue holds at most HidrawQueueLength reports, more may arrive meanwhile.
    for (uint32_t i = 0; i < 4 * HidrawQueueLength; ++i) {
        if (::read(FFd, discard, sizeof discard) < 0)
            return errno == EAGAIN || errno == EWOULDBLOCK;
    }
    return true;
}

bool THidrawHandle::IoControl(uint32_t code, const void* in, size_t inSize, void* out, size_t outSize,
                              size_t& returned)
{
    returned = 0;
    if (FFd < 0)
        return false;
    // The kernel reads and writes as many bytes as the code says; they go through a
    // buffer of that size, so a caller's smaller buffers are never overrun.
    const size_t argumentSize = _IOC_SIZE(code);
    std::vector<uint8_t> argument(std::max({argumentSize, inSize, outSize}), 0);
    if (in && inSize)
        std::memcpy(argument.data(), in, inSize);
    if (::ioctl(FFd, code, argument.data()) < 0)
        return false;
    if (out && outSize && (_IOC_DIR(code) & _IOC_READ)) {
        returned = std::min(outSize, argumentSize);
        std::memcpy(out, argument.data(), returned);
    }
    return true;
}

THidrawBackend::THidrawBackend() : FUdev(udev_new()) {}

THidrawBackend::~THidrawBackend()
{
    if (FUdev)
        udev_unref(FUdev);
}

std::vector<THidInterfaceInfo> THidrawBackend::ListInterfaces()
{
    std::vector<THidInterfaceInfo> list;
    udev_enumerate* enumeration = FUdev ? udev_enumerate_new(FUdev) : nullptr;
    if (!enumeration)
        return list;
    udev_enumerate_add_match_subsystem(enumeration, "hidraw");
    udev_enumerate_scan_devices(enumeration);
    udev_list_entry* entry;
    udev_list_entry_foreach(entry, udev_enumerate_get_list_entry(enumeration))
    {
        udev_device* node = udev_device_new_from_syspath(FUdev, udev_list_entry_get_name(entry));
        if (!node)
            continue;
        const char* path = udev_device_get_devnode(node);
        if (path && udev_device_get_devnum(node) != 0) {
            THidInterfaceInfo info;
            info.Path = path;
            info.Identity = Identity(node);
            if (udev_device* hid = HidParent(node)) {
                const char* name = udev_device_get_property_value(hid, "HID_NAME");
                info.DeviceDescription = name ? name : "";
            }
            info.ClassDescription = "hidraw";
            list.push_back(std::move(info));
        }
        udev_device_unref(node);
    }
    udev_enumerate_unref(enumeration);
    // Kernel order: the node numbers count up as devices arrive.
    std::stable_sort(list.begin(), list.end(), [](const THidInterfaceInfo& a, const THidInterfaceInfo& b) {
        return a.Path.size() != b.Path.size() ? a.Path.size() < b.Path.size() : a.Path < b.Path;
    });
    return list;
}

std::unique_ptr<THidHandle> THidrawBackend::Open(const std::string& path, THidAccess access)
{
    FLastOpenError = ENODEV;
    struct stat status {};
    if (!FUdev)
        return nullptr;
    if (::stat(path.c_str(), &status) != 0) {
        FLastOpenError = errno;
        return nullptr;
    }
    if (!S_ISCHR(status.st_mode))
        return nullptr;
    udev_device* node = udev_device_new_from_devnum(FUdev, 'c', status.st_rdev);
    if (!node)
        return nullptr;
    const char* subsystem = udev_device_get_subsystem(node);
    std::unique_ptr<THidHandle> handle;
    if (subsystem && std::strcmp(subsystem, "hidraw") == 0) {
        int fd = -1;
        if (access == THidAccess::ReadWrite) {
            fd = ::open(path.c_str(), O_RDWR | O_CLOEXEC | O_NONBLOCK);
            // The reason is what the user must hear about: no permission, or someone else has it.
            if (fd < 0)
                FLastOpenError = errno;
        }
        if (access == THidAccess::QueryOnly || fd >= 0)
            handle = std::make_unique<THidrawHandle>(fd, ReadInfo(node, fd));
    }
    udev_device_unref(node);
    if (handle)
        FLastOpenError = 0;
    return handle;
}

std::unique_ptr<THidWatch> THidrawBackend::Watch(std::function<void()> onChange)
{
    return std::make_unique<THidrawWatch>(FUdev, std::move(onChange));
}
