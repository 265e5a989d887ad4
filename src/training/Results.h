#pragma once

#include "training/GameRecord.h"

#include <QString>

#include <optional>

// What the game surface says about a player's game when the song ends: the balls met and hit,
// the percentage, the longest combo, the grips and the grip force, and how the percentage,
// the grips and the peak force changed since the last game of the same song (previous).
QString ResultsText(const TGameRecord& game, const std::optional<TGameRecord>& previous);
