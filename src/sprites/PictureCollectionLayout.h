#pragma once

#include "platform/Geometry.h"

#include <cstdint>
#include <vector>

// Where an item's patterns come from: the picture rectangles copied into surfaces (blocks),
// and for each pattern the block it lies in and its rectangle inside that block.
struct TPatternLayout {
    struct TPlace {
        int Block = 0;
        TRect Rect;
        friend bool operator==(const TPlace&, const TPlace&) = default;
    };
    std::vector<TRect> Blocks;
    std::vector<TPlace> Patterns;

    // W, H: the picture's size; w, h: the effective pattern size. Without systemMemory the
    // picture is cut into blocks of whole pattern steps reaching 512 pixels, so no pattern
    // straddles two blocks.
    static TPatternLayout Compute(int W, int H, int w, int h, int skipWidth, int skipHeight, bool systemMemory);
    // The number of patterns Compute gives, without building them.
    static int64_t Count(int W, int H, int w, int h, int skipWidth, int skipHeight, bool systemMemory);
};
