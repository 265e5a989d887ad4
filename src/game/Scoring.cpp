#include "game/Scoring.h"

#include "game/Displays.h"
#include "game/GameOutput.h"
#include "game/Precise.h"
#include "game/Prizes.h"

#include <QString>

#include <cmath>

TScoring::TScoring(int player, TMarker& marker, TCombo& combo, TPercentag& percentage)
    : player_(player), marker_(marker), combo_(combo), percentage_(percentage)
{
}

void TScoring::SetEffects(TExplode* explode, TOk* ok)
{
    explode_ = explode;
    ok_ = ok;
}

void TScoring::Credit()
{
    if (explode_) {
        explode_->PlaceFor(player_);
        explode_->Show(true);
    }
    marker_.AddScore(PointsPerHit);
    marker_.AddHit();
    if (ok_) {
        ok_->PlaceFor(player_);
        ok_->Show(true);
    }
    combo_.Increment();
    if (HitSound)
        HitSound();
}

std::int32_t TScoring::Percent(std::int32_t hits, std::int32_t ordinal)
{
    const double o = ordinal;
    const double h = hits;
    const double p = o < 100 ? h / 100 * 100 : h / o * 100;
    // Halves go to the even neighbour, as the default rounding mode does.
    return static_cast<std::int32_t>(std::nearbyint(p));
}

void TScoring::Record(const TPrize& ball, bool hit)
{
    const std::int32_t r = Percent(marker_.Hits, ball.Ordinal);
    percentage_.SetPercent(r);
    if (output_)
        output_->AppendMemoLine(QStringLiteral("Value :") + QString::number(r));
    if (!hit)
        combo_.Reset();
    if (OnJudged)
        OnJudged(ball, hit);
}
