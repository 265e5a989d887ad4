#include "training/Results.h"

#include <cmath>

namespace {

QString Change(int now, int before) { return (now >= before ? "+" : "") + QString::number(now - before); }

} // namespace

QString ResultsText(const TGameRecord& game, const std::optional<TGameRecord>& previous)
{
    QStringList lines;
    const QString player = game.Name.isEmpty() ? QString("Player %1").arg(game.Player) : game.Name;
    lines << QString("%1: %2 of %3 balls hit, %4 %").arg(player).arg(game.BallsHit).arg(game.Balls).arg(game.Percent);
    lines << QString("Longest combo %1, %2 grips").arg(game.LongestCombo).arg(game.Grips);
    QString force = QString("Grip force: peak %1").arg(game.PeakForce);
    if (game.MeanGripForce)
        force += QString(", mean %1").arg(*game.MeanGripForce, 0, 'f', 0);
    lines << force;
    if (game.TimingMeanMs && game.TimingSpreadMs) {
        const long mean = std::lround(*game.TimingMeanMs);
        const QString side = mean < 0 ? " (early)" : mean > 0 ? " (late)" : "";
        lines << QString("Timing: mean %1%2 ms%3, spread %4 ms")
                     .arg(mean > 0 ? "+" : "")
                     .arg(mean)
                     .arg(side)
                     .arg(std::lround(*game.TimingSpreadMs));
    }
    if (previous)
        lines << QString("Since last time: %1 %, %2 grips, peak %3")
                     .arg(Change(game.Percent, previous->Percent), Change(game.Grips, previous->Grips),
                          Change(game.PeakForce, previous->PeakForce));
    else
        lines << "First game of this song.";
    return lines.join('\n');
}
