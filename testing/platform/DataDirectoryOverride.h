#pragma once

#include "platform/DataPath.h"
#include "platform/Override.h"

#include <string>

// Data files are looked up in directory until the guard goes.
inline TOverride OverrideDataDirectory(std::string directory)
{
    std::string previous = DataDirectory();
    SetDataDirectory(std::move(directory));
    return TOverride([previous] { SetDataDirectory(previous); });
}
