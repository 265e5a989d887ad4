#pragma once

// The HID unit as a whole: devices, the controller, HidCheck and the error classes.
#include "hid/HidDevice.h"
#include "hid/HidDeviceController.h"
