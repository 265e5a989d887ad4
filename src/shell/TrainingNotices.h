#pragma once

class TSurfaceNotices;
class TTraining;

// The training's texts over the game: the results of a game the song ended, and what a
// calibration asks of the player and the force it feels, then its outcome.
void ShowTrainingNotices(const TTraining& training, TSurfaceNotices& notices);
