#include "shell/Region.h"

std::vector<QRect> RunsFromBitmap(const QImage& graphic, std::uint32_t transparentColor)
{
    std::vector<QRect> runs;
    if (graphic.isNull())
        return runs;
    const QImage rgb = graphic.convertToFormat(QImage::Format_RGB32);
    const std::uint32_t key = transparentColor & 0xFFFFFFu;
    for (int y = 0; y < rgb.height(); ++y) {
        const auto* line = reinterpret_cast<const std::uint32_t*>(rgb.constScanLine(y));
        int x = 0;
        while (x < rgb.width()) {
            while (x < rgb.width() && (line[x] & 0xFFFFFFu) == key)
                ++x;
            const int start = x;
            while (x < rgb.width() && (line[x] & 0xFFFFFFu) != key)
                ++x;
            if (x > start)
                runs.emplace_back(start, y, x - start, 1);
        }
    }
    return runs;
}

QRegion RegionFromBitmap(const QImage& graphic, std::uint32_t transparentColor)
{
    const std::vector<QRect> runs = RunsFromBitmap(graphic, transparentColor);
    QRegion region;
    if (!runs.empty())
        region.setRects(runs.data(), static_cast<int>(runs.size()));
    return region;
}

bool InMinimiseArea(int x, int y) { return 390 < x && x < 400 && 5 < y && y < 16; }

bool InCloseArea(int x, int y) { return 398 < x && x < 409 && 20 < y && y < 33; }
