#pragma once

#include "platform/Override.h"

#include <QByteArray>
#include <QString>

#include <optional>

// The user's data and configuration folders (what the program writes its record and its
// settings under) are folder/data and folder/config until the guard goes, so that nothing a
// test does reaches the real user's.
inline TOverride OverrideUserFolders(const QString& folder)
{
    auto previous = [](const char* name) -> std::optional<QByteArray> {
        return qEnvironmentVariableIsSet(name) ? std::optional(qgetenv(name)) : std::nullopt;
    };
    const std::optional<QByteArray> data = previous("XDG_DATA_HOME"), config = previous("XDG_CONFIG_HOME");
    qputenv("XDG_DATA_HOME", (folder + "/data").toLocal8Bit());
    qputenv("XDG_CONFIG_HOME", (folder + "/config").toLocal8Bit());
    return TOverride([data, config] {
        for (const auto& [name, value] : {std::pair{"XDG_DATA_HOME", data}, std::pair{"XDG_CONFIG_HOME", config}}) {
            if (value)
                qputenv(name, *value);
            else
                qunsetenv(name);
        }
    });
}
