#pragma once

#include <QString>

class TJvHidDevice;

// What names a ball from one session to the next: its serial number, or without one its
// vendor and product as four hex digits each ("1209:0001"), the way lsusb writes them.
QString BallIdentity(const TJvHidDevice& ball);
