#pragma once

#include <QLoggingCategory>

// What the sound outputs tried and why it failed: quiet unless asked for
// (QT_LOGGING_RULES="grip.sound.info=true"), since the game itself says once on the terminal
// when it runs silent.
Q_DECLARE_LOGGING_CATEGORY(SoundLog)
