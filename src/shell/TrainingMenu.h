#pragma once

class TSurfaceMenu;

// "Calibrate grip…", "Reset calibration" and "Cancel calibration" on the surface's menu, each
// for the player whose half was clicked when that player has a ball of its own, else for
// player one.
void AddTrainingEntries(TSurfaceMenu& menu);
