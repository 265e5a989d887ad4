#pragma once

#include <cstdint>
#include <string>

// Colours are 0x00BBGGRR; 0x800000nn names system colour nn.
class TPictureCollectionColors {
public:
    // The value of a colour identifier such as "clFuchsia" (any case); false when unknown.
    static bool ByName(const std::string& name, uint32_t& value);
    // The identifier of a value, or empty when the table has none.
    static std::string NameOf(uint32_t value);
    // System colours turned into RGB; the result is 0x00BBGGRR.
    static uint32_t ToRGB(uint32_t color);
};
