#pragma once

class TGameCore;
class TSurfaceMenu;
class TSurfaceNotices;

// "Session" on the surface's menu: off, or minutes of play, or a number of songs.
void AddSessionEntry(TSurfaceMenu& menu);

// The rest's countdown over the game, then the session's summary.
void ShowSessionNotice(const TGameCore& core, TSurfaceNotices& notices);
