#include "sprites/PictureCollectionLayout.h"

#include <algorithm>
#include <cstdint>

TPatternLayout TPatternLayout::Compute(int W, int H, int w, int h, int skipWidth, int skipHeight, bool systemMemory)
{
    TPatternLayout layout;
    if (W <= 0 || H <= 0)
        return layout;
    if (w == W && h == H) {
        layout.Blocks.push_back(TRect{0, 0, W, H});
        layout.Patterns.push_back({0, TRect{0, 0, W, H}});
        return layout;
    }
    // Sums in 64 bits: stored sizes and skips are any 32-bit values.
    const int64_t stepX = int64_t(w) + skipWidth, stepY = int64_t(h) + skipHeight;
    // A step of 0 or less would divide by zero or walk backwards: such an item has no patterns.
    if (w <= 0 || h <= 0 || stepX <= 0 || stepY <= 0)
        return layout;
    const int64_t rows = std::max<int64_t>(0, (int64_t(H) + skipHeight) / stepY);
    const int64_t columns = std::max<int64_t>(0, (int64_t(W) + skipWidth) / stepX);
    if (rows == 0 || columns == 0)
        return layout;

    // Negative skips make patterns overlap, so a block edge could cut one; keep those whole.
    if (systemMemory || skipWidth < 0 || skipHeight < 0) {
        layout.Blocks.push_back(TRect{0, 0, W, H});
        layout.Patterns.reserve(size_t(rows * columns));
        for (int64_t r = 0; r < rows; ++r)
            for (int64_t c = 0; c < columns; ++c)
                layout.Patterns.push_back({0, Bounds(int32_t(c * stepX), int32_t(r * stepY), w, h)});
        return layout;
    }

    const int64_t blockW = std::min(stepX * ((stepX + 511) / stepX), stepX * columns);
    const int64_t blockH = std::min(stepY * ((stepY + 511) / stepY), stepY * rows);
    if (blockW <= 0 || blockH <= 0)
        return layout;
    const int64_t across = (W + blockW - 1) / blockW, down = (H + blockH - 1) / blockH;
    for (int64_t by = 0; by < down; ++by) {
        for (int64_t bx = 0; bx < across; ++bx) {
            int64_t bw = std::min(blockW, W - bx * blockW), bh = std::min(blockH, H - by * blockH);
            if (bw <= 0)
                bw = blockW;
            if (bh <= 0)
                bh = blockH;
            layout.Blocks.push_back(Bounds(int32_t(bx * blockW), int32_t(by * blockH), int32_t(bw), int32_t(bh)));
        }
    }
    layout.Patterns.reserve(size_t(rows * columns));
    for (int64_t r = 0; r < rows; ++r) {
        for (int64_t c = 0; c < columns; ++c) {
            const int64_t px = c * stepX, py = r * stepY;
            const int block = int((px / blockW) + (py / blockH) * across);
            layout.Patterns.push_back({block, Bounds(int32_t(px % blockW), int32_t(py % blockH), w, h)});
        }
    }
    return layout;
}

int64_t TPatternLayout::Count(int W, int H, int w, int h, int skipWidth, int skipHeight, bool)
{
    // Where blocks are used they always hold every grid pattern, so storage never changes the count.
    if (W <= 0 || H <= 0)
        return 0;
    if (w == W && h == H)
        return 1;
    const int64_t stepX = int64_t(w) + skipWidth, stepY = int64_t(h) + skipHeight;
    if (w <= 0 || h <= 0 || stepX <= 0 || stepY <= 0)
        return 0;
    const int64_t rows = std::max<int64_t>(0, (int64_t(H) + skipHeight) / stepY);
    const int64_t columns = std::max<int64_t>(0, (int64_t(W) + skipWidth) / stepX);
    return rows * columns;
}
