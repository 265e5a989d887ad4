#include "training/ResultsFigures.h"

#include "training/HitRates.h"

#include <cmath>

namespace {

std::optional<double> HitRateOf(const TGameRecord& game)
{
    if (game.Balls <= 0)
        return std::nullopt;
    return double(game.BallsHit) / game.Balls;
}

// Under a second of song says nothing of a pace.
std::optional<int> GripsPerMinuteOf(const TGameRecord& game)
{
    if (game.Seconds < 1)
        return std::nullopt;
    return int(std::lround(game.Grips * 60.0 / game.Seconds));
}

int Points(double rate) { return int(std::lround(rate * 100)); }

bool SamePlayer(const TGameRecord& record, const TGameRecord& game, const QStringList& names)
{
    if (names.isEmpty())
        return record.Name.isEmpty() && record.Player == game.Player;
    return PlayedBy(record, names);
}

} // namespace

QString Grade(double hitRate)
{
    // Compared in whole percentage points, so a rate the panel shows as 95 % is an S.
    const int points = Points(hitRate);
    return points >= 95 ? "S" : points >= 85 ? "A" : points >= 70 ? "B" : points >= 50 ? "C" : "D";
}

std::vector<double> RecentHitRates(const std::vector<TGameRecord>& records, const TGameRecord& game,
                                   const QStringList& names, int count)
{
    std::vector<double> rates;
    for (const TGameRecord& record : records) {
        if (record.Song != game.Song || record.Mode == "test" || !SamePlayer(record, game, names))
            continue;
        if (const std::optional<double> rate = HitRateOf(record))
            rates.push_back(*rate);
    }
    if (const std::optional<double> rate = HitRateOf(game))
        rates.push_back(*rate);
    if (count >= 0 && rates.size() > size_t(count))
        rates.erase(rates.begin(), rates.end() - count);
    return rates;
}

TResultsFigures ResultsFigures(const TGameRecord& game, const std::optional<TGameRecord>& previous,
                               std::vector<double> lastRates)
{
    TResultsFigures f;
    f.Lane = game.Player == 2 ? 1 : 0;
    f.Player = game.Name.isEmpty() ? QString("Player %1").arg(game.Player) : game.Name;
    f.Balls = game.Balls;
    f.BallsHit = game.BallsHit;
    f.HitRate = HitRateOf(game);
    if (f.HitRate)
        f.Grade = Grade(*f.HitRate);
    f.LongestCombo = game.LongestCombo;
    f.GripsPerMinute = GripsPerMinuteOf(game);
    f.PeakForce = game.PeakForce;
    if (game.MeanGripForce)
        f.MeanForce = int(std::lround(*game.MeanGripForce));
    if (previous) {
        f.FirstGame = false;
        const std::optional<double> before = HitRateOf(*previous);
        if (f.HitRate && before)
            f.HitRateChange = Points(*f.HitRate) - Points(*before);
        if (const std::optional<int> before = GripsPerMinuteOf(*previous); before && f.GripsPerMinute)
            f.GripsPerMinuteChange = *f.GripsPerMinute - *before;
        f.PeakChange = game.PeakForce - previous->PeakForce;
    }
    if (game.TimingMeanMs && game.TimingSpreadMs) {
        f.TimingMeanMs = int(std::lround(*game.TimingMeanMs));
        f.TimingSpreadMs = int(std::lround(*game.TimingSpreadMs));
    }
    f.LastRates = std::move(lastRates);
    return f;
}
