#include "training/BallIdentity.h"

#include "hid/HidDevice.h"

QString BallIdentity(const TJvHidDevice& ball)
{
    const QString serial = QString::fromStdString(ball.SerialNumber()).trimmed();
    if (!serial.isEmpty())
        return serial;
    return QString::asprintf("%04x:%04x", ball.Attributes().VendorID, ball.Attributes().ProductID);
}
