#pragma once

#include <array>
#include <cstdint>
#include <span>
#include <string>
#include <vector>

// One image as stored in a picture-collection file.
struct TImageWriterItem {
    std::string Name;
    int32_t PatternHeight = 0;
    int32_t PatternWidth = 0;
    // The whole "Picture.Data" payload: class name length, class name, class data. Empty: no picture.
    std::vector<uint8_t> PictureRecord;
    int32_t SkipHeight = 0;
    int32_t SkipWidth = 0;
    bool SystemMemory = false;
    bool Transparent = true;
    uint32_t TransparentColor = 0;
};

// Writes picture-collection files: the resource header and a "TPF0" stream holding one
// component whose List carries the images in the published property order.
class TImageWriter {
public:
    static std::vector<uint8_t> Write(const std::vector<TImageWriterItem>& items,
                                      const std::array<uint8_t, 1024>& colorTable,
                                      const std::string& objectName = "");
    // A picture record of the given graphic class around its data.
    static std::vector<uint8_t> PictureRecord(const std::string& graphicClass, std::span<const uint8_t> data);
};
