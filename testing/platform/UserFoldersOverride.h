#pragma once

#include "platform/Override.h"

#include <QByteArray>
#include <QString>

#include <optional>

// The user's data, configuration and cache folders (what the program writes its record, its
// settings and its song library's cache under) are folder/data, folder/config and folder/cache
// until the guard goes, so that nothing a
// test does reaches the real user's.
inline TOverride OverrideUserFolders(const QString& folder)
{
    auto previous = [](const char* name) -> std::optional<QByteArray> {
        return qEnvironmentVariableIsSet(name) ? std::optional(qgetenv(name)) : std::nullopt;
    };
    const std::optional<QByteArray> data = previous("XDG_DATA_HOME"), config = previous("XDG_CONFIG_HOME"),
                                    cache = previous("XDG_CACHE_HOME");
    qputenv("XDG_DATA_HOME", (folder + "/data").toLocal8Bit());
    qputenv("XDG_CONFIG_HOME", (folder + "/config").toLocal8Bit());
    qputenv("XDG_CACHE_HOME", (folder + "/cache").toLocal8Bit());
    return TOverride([data, config, cache] {
        for (const auto& [name, value] : {std::pair{"XDG_DATA_HOME", data}, std::pair{"XDG_CONFIG_HOME", config},
                                          std::pair{"XDG_CACHE_HOME", cache}}) {
            if (value)
                qputenv(name, *value);
            else
                qunsetenv(name);
        }
    });
}
