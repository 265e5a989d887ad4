#include "platform/Preferences.h"

#include <QStandardPaths>

QString PreferencesPath()
{
    return QStandardPaths::writableLocation(QStandardPaths::GenericConfigLocation) + "/griprhythm/griprhythm.conf";
}
