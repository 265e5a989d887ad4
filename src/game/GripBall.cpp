#include "game/GripBall.h"

#include "game/StressValue.h"
#include "hid/HidDeviceController.h"

#include <algorithm>
#include <cstdint>
#include <iterator>
#include <vector>

void TGripBall::Bind()
{
    UsbHids.SetOnDeviceUnplug({this, &TGripBall::UsbHidsDeviceUnplug});
    UsbHids.SetOnEnumerate({this, &TGripBall::UsbHidsEnumerate});
    UsbHids.SetOnDeviceChange({this, &TGripBall::UsbHidsDeviceChange});
    UsbHids.Loaded();
}

void TGripBall::Release()
{
    UsbHids.SetOnDeviceChange(nullptr);
    UsbHids.SetOnEnumerate(nullptr);
    UsbHids.SetOnDeviceUnplug(nullptr);
    Player = nullptr;
    for (TJvHidDevice* device : std::vector<TJvHidDevice*>(UsbHids.Devices()))
        if (device->CheckedOut())
            UsbHids.CheckIn(device);
    GripDevice = nullptr;
}

void TGripBall::UsbHidsDeviceChange(QObject*) { UsbHids.Enumerate(); }

bool TGripBall::UsbHidsEnumerate(TJvHidDevice* HidDev, int Idx)
{
    if (HidDev->ProductName() != "Kneadle Bal")
        return true;
    GripDevice = HidDev;
    // A ball found again by a later enumeration is ours already; the request just fails.
    TJvHidDevice* taken = nullptr;
    UsbHids.CheckOutByIndex(taken, Idx);
    // A ball plugged back in after being pulled out is player one's again: without this the
    // game would ignore it until restarted.
    if (taken && Player && !Player->Device)
        Player->Device = taken;
    // The game's buffer holds a report ID and eight data bytes, and never more is read. Only a
    // report already queued is taken: a ball that reports only when gripped must not hold the
    // start-up.
    std::uint8_t buffer[9] = {};
    std::uint32_t count = 0;
    const int length = std::min<int>(HidDev->Caps().InputReportByteLength, int(sizeof buffer));
    HidCheck(HidDev->ReadQueuedReport(buffer, length, count));
    std::fill(std::begin(buffer), std::end(buffer), 0);
    HidCheck(HidDev->WriteFile(buffer, 2, count));
    return true;
}

void TGripBall::UsbHidsDeviceUnplug(TJvHidDevice* HidDev)
{
    if (!Player || HidDev != Player->Device)
        return;
    Player->Device = nullptr;
    // Checking in an unplugged device destroys it: no reference to it may stay behind.
    if (GripDevice == HidDev)
        GripDevice = nullptr;
    TJvHidDevice* device = HidDev;
    UsbHids.CheckIn(device);
}
