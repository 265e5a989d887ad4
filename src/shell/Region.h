#pragma once

#include <QImage>
#include <QRect>
#include <QRegion>

#include <cstdint>
#include <vector>

// One rectangle per horizontal run of pixels that are not the transparent colour, row by row,
// left to right. The transparent colour is compared as 0x00RRGGBB.
std::vector<QRect> RunsFromBitmap(const QImage& graphic, std::uint32_t transparentColor);

// The window shape of a picture: the union of its runs.
QRegion RegionFromBitmap(const QImage& graphic, std::uint32_t transparentColor);

// The minimise and close marks painted into the skin; both are open rectangles.
bool InMinimiseArea(int x, int y);
bool InCloseArea(int x, int y);
