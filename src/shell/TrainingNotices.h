#pragma once

class TResultsPanel;
class TSurfaceNotices;
class TTraining;

// The training over the game: the results of a game the song ended on their panel, and what a calibration asks of the player and the force it feels,
// then its outcome.
void ShowTrainingNotices(const TTraining& training, TSurfaceNotices& notices, TResultsPanel& results);
