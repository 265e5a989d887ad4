#pragma once

#include "training/GameRecord.h"

#include <QString>
#include <QStringList>

#include <optional>
#include <vector>

// What the results panel shows of one player's game, worked out from the record alone so the
// panel only has to letter it.
struct TResultsFigures {
    // 0 for player one's lane, 1 for player two's.
    int Lane = 0;
    // The player's name, or "Player 1" / "Player 2" while the lane plays unnamed.
    QString Player;
    int Balls = 0, BallsHit = 0;
    // Balls hit over balls judged, 1 being every ball; none when no ball was judged.
    std::optional<double> HitRate;
    // "S", "A", "B", "C" or "D" from the hit rate; empty without one.
    QString Grade;
    int LongestCombo = 0;
    // Grips over the minutes of song played; none for a game too short to say.
    std::optional<int> GripsPerMinute;
    int PeakForce = 0;
    std::optional<int> MeanForce;
    // Since the player's last game of the song: hit rate in percentage points, grips a minute
    // and peak force; each none when either game lacks the figure, all on the first game.
    std::optional<int> HitRateChange, GripsPerMinuteChange, PeakChange;
    bool FirstGame = true;
    // Precise timing only; the mean is negative when the grips came early.
    std::optional<int> TimingMeanMs, TimingSpreadMs;
    // The hit rates of the player's last games of the song, oldest first, this one last.
    std::vector<double> LastRates;

    friend bool operator==(const TResultsFigures&, const TResultsFigures&) = default;
};

// The letter a hit rate earns: S from 95 %, A from 85 %, B from 70 %, C from 50 %, D below.
QString Grade(double hitRate);

// The hit rates of the games like game's (the same song, by the same player: one of names when
// the lane was named, otherwise an unnamed game in the same lane) among records, oldest first,
// game itself last, at most count of them. Games in which no ball was judged say nothing of
// how the player hits and are left out.
std::vector<double> RecentHitRates(const std::vector<TGameRecord>& records, const TGameRecord& game,
                                   const QStringList& names, int count = 10);

// The panel's figures of game, compared with previous, the player's last game of the song.
TResultsFigures ResultsFigures(const TGameRecord& game, const std::optional<TGameRecord>& previous,
                               std::vector<double> lastRates);
