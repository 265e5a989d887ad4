#pragma once

#include "training/GameRecord.h"

#include <QString>
#include <QStringList>

#include <optional>
#include <vector>

class QChart;

// The training record's progress as a chart: the hit rate (left axis) and the grips (right
// axis) of every game over the days, one pair of lines per lane. The lines are named after
// player, when the games are one player's, else after the lane's player when one name played
// it throughout. Grip tests are a lane's own three dotted series (peak, pace, seconds held) on
// an axis of their own. The records are oldest first, and there is at least one.
QChart* MakeProgressChart(const std::vector<TGameRecord>& records, const QString& title, const QString& player = {});

// The chart as a PNG file; raises an exception when there is nothing to draw or the file
// cannot be written. Needs a QApplication.
void SaveProgressChart(const std::vector<TGameRecord>& records, const QString& title, const QString& path,
                       const QString& player = {});

// The games of the player with these names (any player's without names), oldest first.
std::vector<TGameRecord> GamesOf(const std::vector<TGameRecord>& records, const std::optional<QStringList>& names);

// "Training progress: Ann, all songs, 3 Mar 2025 to 9 Mar 2025": the player when there is one,
// the song, and the days the games span.
QString ProgressTitle(const std::vector<TGameRecord>& games, const QString& player, const std::optional<QString>& song);
