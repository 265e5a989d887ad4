#include "shell/ScaleChoice.h"

#include "platform/Preferences.h"

#include <QSettings>

#include <cstdio>

namespace {
constexpr const char* ScaleKey = "window/scale";
}

std::optional<int> ScaleFromText(const QString& text)
{
    bool ok = false;
    const int scale = text.trimmed().toInt(&ok);
    if (!ok || scale < 1 || scale > MaxWindowScale)
        return std::nullopt;
    return scale;
}

std::optional<int> RememberedScale()
{
    const QSettings settings(PreferencesPath(), QSettings::IniFormat);
    if (!settings.contains(ScaleKey))
        return std::nullopt;
    const QString text = settings.value(ScaleKey).toString();
    const std::optional<int> scale = ScaleFromText(text);
    if (!scale)
        std::fprintf(stderr, "Grip Rhythm: the remembered window scale \"%s\" in %s is not 1 to %d; the window opens at 1×\n",
                     qPrintable(text), qPrintable(settings.fileName()), MaxWindowScale);
    return scale;
}

void RememberScale(int scale)
{
    QSettings settings(PreferencesPath(), QSettings::IniFormat);
    settings.setValue(ScaleKey, scale);
    settings.sync();
    if (settings.status() != QSettings::NoError)
        std::fprintf(stderr, "Grip Rhythm: the window scale could not be kept in %s\n", qPrintable(settings.fileName()));
}

int StartingScale(std::optional<int> asked)
{
    if (asked)
        return *asked;
    return RememberedScale().value_or(1);
}
