#include "training/Adapting.h"

#include "platform/Preferences.h"

#include <QSettings>

#include <algorithm>
#include <cstdio>

namespace {

QString LevelWord(EMapLevel level) { return MapLevelName(level); }

} // namespace

TAdaptBand TAdapting::ConfiguredBand()
{
    const QSettings preferences(PreferencesPath(), QSettings::IniFormat);
    TAdaptBand band;
    bool lowOk = true, highOk = true;
    if (preferences.contains("adapt/band_low"))
        band.Low = preferences.value("adapt/band_low").toInt(&lowOk);
    if (preferences.contains("adapt/band_high"))
        band.High = preferences.value("adapt/band_high").toInt(&highOk);
    if (lowOk && highOk && band.Low >= 0 && band.High <= 100 && band.Low <= band.High)
        return band;
    std::fprintf(stderr, "Grip Rhythm: adapt/band_low and adapt/band_high in %s make no band of hit rates "
                         "(0 to 100, low not above high); adapting keeps to 70 to 85 %%.\n",
                 qUtf8Printable(PreferencesPath()));
    return {};
}

TAdaptSettings TAdapting::Bounded(TAdaptSettings settings)
{
    settings.Speed = std::clamp(settings.Speed, LeastSpeed, MostSpeed);
    settings.Share = std::clamp(settings.Share, LeastShare, MostShare);
    return settings;
}

TAdaptStep TAdapting::Next(const TAdaptSettings& now, int balls, int ballsHit, bool levelMoves, bool shareMoves) const
{
    TAdaptStep step{Bounded(now), {}};
    if (balls <= 0) {
        step.Reason = "no change (no ball met)";
        return step;
    }
    const int rate = (ballsHit * 100 + balls / 2) / balls;
    const bool harder = rate > band_.High;
    const bool easier = rate < band_.Low;
    const QString why = harder ? QString("hit rate %1 % above %2 %").arg(rate).arg(band_.High)
                        : easier ? QString("hit rate %1 % below %2 %").arg(rate).arg(band_.Low)
                                 : QString("hit rate %1 % within %2–%3 %").arg(rate).arg(band_.Low).arg(band_.High);
    TAdaptSettings& next = step.Next;
    const TAdaptSettings was = next;
    const int level = int(next.Level);
    QString what;
    if (harder) {
        if (next.Speed < MostSpeed) {
            next.Speed = std::min(MostSpeed, next.Speed + SpeedStep);
        } else if (levelMoves && next.Level != EMapLevel::Hard) {
            next.Level = EMapLevel(level + 1);
        } else if (shareMoves && next.Share < MostShare) {
            next.Share = std::min(MostShare, next.Share + ShareStep);
        }
    } else if (easier) {
        if (shareMoves && next.Share > LeastShare) {
            next.Share = std::max(LeastShare, next.Share - ShareStep);
        } else if (levelMoves && next.Level != EMapLevel::Easy) {
            next.Level = EMapLevel(level - 1);
        } else if (next.Speed > LeastSpeed) {
            next.Speed = std::max(LeastSpeed, next.Speed - SpeedStep);
        }
    }
    if (next.Speed != was.Speed)
        what = QString("speed %1 % → %2 %").arg(was.Speed).arg(next.Speed);
    else if (next.Level != was.Level)
        what = QString("level %1 → %2").arg(LevelWord(was.Level), LevelWord(next.Level));
    else if (next.Share != was.Share)
        what = QString("level 6 at %1 % → %2 % of the peak").arg(was.Share).arg(next.Share);
    else if (harder || easier)
        what = harder ? "no change, already as hard as it goes" : "no change, already as easy as it goes";
    else
        what = "no change";
    step.Reason = what + " (" + why + ")";
    return step;
}
