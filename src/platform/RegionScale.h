#pragma once

#include <QRegion>

// The region with every rectangle grown by factor about the origin: the same shape, each
// pixel of it a square of factor × factor pixels.
QRegion ScaledRegion(const QRegion& region, int factor);
