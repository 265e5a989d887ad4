#pragma once

class QWidget;
class TSurfaceMenu;

// "Player…" (who plays, by name) and "Progress…" (that player's chart over the weeks) on the
// surface's menu, each for the lane whose half was clicked when two players play, else for
// player one; their windows open over window. "Adapt to me" (on or off for player one's player).
void AddPlayerEntries(TSurfaceMenu& menu, QWidget& window);
