#pragma once

#include "sprites/ImageWriter.h"

#include <string>
#include <vector>

// The text that `griptool dxg pack` builds a picture-collection file from.
class TDxgManifest {
public:
    static const char* const Help;

    // Reads the manifest; picture paths are taken relative to the manifest's folder. Fails
    // with "MANIFEST:LINE: reason" on the first bad line or unreadable picture.
    static std::vector<TImageWriterItem> Load(const std::string& path);
};
