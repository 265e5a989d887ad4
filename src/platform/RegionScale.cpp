#include "platform/RegionScale.h"

#include <QRect>

#include <vector>

QRegion ScaledRegion(const QRegion& region, int factor)
{
    if (factor == 1)
        return region;
    std::vector<QRect> rects;
    rects.reserve(static_cast<std::size_t>(region.rectCount()));
    for (const QRect& r : region)
        rects.emplace_back(r.topLeft() * factor, r.size() * factor);
    QRegion scaled;
    if (!rects.empty())
        scaled.setRects(rects.data(), static_cast<int>(rects.size()));
    return scaled;
}
