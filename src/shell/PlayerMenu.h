#pragma once

class QWidget;
class TSurfaceMenu;

// "Player…" (who plays, by name) on the surface's menu, for the lane whose half was clicked
// when two players play, else for player one; its dialog opens over window.
void AddPlayerEntries(TSurfaceMenu& menu, QWidget& window);
