#pragma once

#include "training/GameRecord.h"

#include <QHash>
#include <QString>
#include <QStringList>

#include <optional>
#include <vector>

// A song's last and best hit rate (balls hit over balls judged, 1 being every ball), or none
// while it was never played with a ball judged.
struct THitRates {
    std::optional<double> Last, Best;
};

// Whether a game was played by one of the players given by their names (every name a player
// has had); an empty list stands for every player. Names match without regard to case, as the
// players are told apart.
bool PlayedBy(const TGameRecord& record, const QStringList& names);

// Each song's rates, by the song's name as the record keeps it (its file name); the records
// oldest first, as the record file holds them.
QHash<QString, THitRates> HitRatesBySong(const std::vector<TGameRecord>& records, const QStringList& names);
