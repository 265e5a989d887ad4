#pragma once

class QWidget;
class TGameCore;
class TSurfaceMenu;
class TSurfaceNotices;

// "Grip test…" on the surface's menu: ticked while the test runs, and chosen again it stops
// the test, as Esc in the window does.
void AddGripTestEntry(TSurfaceMenu& menu, QWidget& window);

// The test's prompt over the game while it runs, then its figures.
void ShowGripTestNotice(const TGameCore& core, TSurfaceNotices& notices);
