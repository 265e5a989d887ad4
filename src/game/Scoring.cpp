#include "game/Scoring.h"

#include "game/Displays.h"
#include "game/GameOutput.h"
#include "game/Precise.h"

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
    marker_.AddScore(50);
    marker_.AddHit();
    if (ok_) {
        ok_->PlaceFor(player_);
        ok_->Show(true);
    }
    combo_.Increment();
    if (HitSound)
        HitSound();
}

void TScoring::Record(std::int32_t ordinal, bool hit)
{
    const double o = ordinal;
    const double hits = marker_.Hits;
    const double p = o < 100 ? hits / 100 * 100 : hits / o * 100;
    // Halves go to the even neighbour, as the default rounding mode does.
    const auto r = static_cast<std::int32_t>(std::nearbyint(p));
    percentage_.SetPercent(r);
    if (output_)
        output_->AppendMemoLine(QStringLiteral("Value :") + QString::number(r));
    if (!hit)
        combo_.Reset();
}
