#pragma once

class QObject;
class TJvHidDevice;
class TJvHidDeviceController;
class TStressValue;

// The grip ball's comings and goings, bound to the HID controller's events: every device whose
// product name is exactly "Kneadle Bal" is checked out and greeted with one read and a zero
// output report, and player one's ball is given back when it is unplugged.
class TGripBall {
public:
    explicit TGripBall(TJvHidDeviceController& controller) : UsbHids(controller) {}
    TGripBall(const TGripBall&) = delete;
    TGripBall& operator=(const TGripBall&) = delete;

    // Assigns the three handlers. The first device-change handler is called at once, so the
    // ball is found before this returns.
    void Bind();
    // No handler is called any more, player one is let go, and every device taken is given back.
    void Release();

    void UsbHidsDeviceChange(QObject* sender);
    bool UsbHidsEnumerate(TJvHidDevice* HidDev, int Idx);
    void UsbHidsDeviceUnplug(TJvHidDevice* HidDev);

    TJvHidDeviceController& UsbHids;
    // The last ball the enumeration found.
    TJvHidDevice* GripDevice = nullptr;
    // Player one's grip once the game exists (not owned): it loses its ball when the ball is
    // unplugged, and gets one plugged in while it has none.
    TStressValue* Player = nullptr;
};
