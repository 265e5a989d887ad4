#include "sound/TapOffsetStore.h"

#include "platform/Preferences.h"
#include "sound/SoundOutput.h"

#include <QSettings>

namespace {

// Sink names hold dots and may hold slashes; a slash would open a group of its own.
QString Key(const QString& device)
{
    return "audio/tap_offset_ms/" + QString(device).replace('/', '_');
}

} // namespace

QString TapOffsetDevice(const TSoundOutput& output)
{
    const QString name = QString::fromStdString(output.DeviceName());
    return name.isEmpty() ? QStringLiteral("default") : name;
}

std::optional<std::int64_t> StoredTapOffsetUs(const QString& device)
{
    const QVariant value = QSettings(PreferencesPath(), QSettings::IniFormat).value(Key(device));
    bool ok = false;
    const int ms = value.toInt(&ok);
    // A hand-edited value that is not a number counts as none rather than as 0.
    if (!value.isValid() || !ok)
        return std::nullopt;
    return std::int64_t(ms) * 1000;
}

void StoreTapOffsetUs(const QString& device, std::int64_t offsetUs)
{
    QSettings(PreferencesPath(), QSettings::IniFormat).setValue(Key(device), int((offsetUs + (offsetUs < 0 ? -500 : 500)) / 1000));
}

std::int64_t TapOffsetUs(const TSoundOutput& output)
{
    return StoredTapOffsetUs(TapOffsetDevice(output)).value_or(0);
}
