#include "training/HitRates.h"

#include <algorithm>

bool PlayedBy(const TGameRecord& record, const QStringList& names)
{
    return names.isEmpty() || (!record.Name.isEmpty() && names.contains(record.Name, Qt::CaseInsensitive));
}

QHash<QString, THitRates> HitRatesBySong(const std::vector<TGameRecord>& records, const QStringList& names)
{
    QHash<QString, THitRates> rates;
    for (const TGameRecord& record : records) {
        // A game in which no ball reached the ring says nothing of how the player hits.
        if (record.Balls <= 0 || !PlayedBy(record, names))
            continue;
        const double rate = double(record.BallsHit) / record.Balls;
        THitRates& song = rates[record.Song];
        song.Last = rate;
        song.Best = std::max(song.Best.value_or(rate), rate);
    }
    return rates;
}
