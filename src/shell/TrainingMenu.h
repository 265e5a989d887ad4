#pragma once

#include <QPoint>

class TSurfaceMenu;

// The lane whose half of the surface was clicked (0 or 1): player two's only while player two
// has a ball of its own.
int LaneAt(QPoint at);

// "Calibrate grip…", "Reset calibration" and "Cancel calibration" on the surface's menu, each
// for the player whose half was clicked when that player has a ball of its own, else for
// player one.
void AddTrainingEntries(TSurfaceMenu& menu);
