#include "sound/SoundLog.h"

Q_LOGGING_CATEGORY(SoundLog, "grip.sound", QtWarningMsg)
