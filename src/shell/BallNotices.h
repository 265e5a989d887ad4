#pragma once

class TGripGame;
class TSurfaceNotices;

// The notices about the grip balls, as the game stands: which keys play while player one has
// no ball, and a ball unplugged mid-song (then back again) while the game waits for Resume.
void ShowBallNotices(const TGripGame& game, TSurfaceNotices& notices);
