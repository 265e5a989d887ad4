#include "training/GripFitting.h"

#include "game/StressValue.h"
#include "platform/Clock.h"
#include "training/BallIdentity.h"

#include <QStringList>

TGripFitting::TGripFitting(TCalibrationStore store) : store_(std::move(store)) {}

void TGripFitting::SetGrips(TStressValue* one, TStressValue* two)
{
    Cancel();
    for (TStressValue* grip : grips_)
        if (grip)
            grip->FitForce = nullptr;
    grips_ = {one, two};
    Fit(0);
    Fit(1);
}

void TGripFitting::Fit(int player)
{
    const size_t p = size_t(player);
    TStressValue* grip = grips_[p];
    balls_[p] = grip && grip->Device ? BallIdentity(*grip->Device) : QString();
    Apply(player, balls_[p].isEmpty() ? TForceScale{} : store_.Find(balls_[p]));
    if (calibrating_ == player && balls_[p].isEmpty()) {
        calibrating_ = -1;
        Tell(Who(player) + " ball went: the calibration is cancelled.");
    }
}

void TGripFitting::SetShare(int player, std::optional<int> share)
{
    shares_[size_t(player)] = share;
    Fit(player);
}

void TGripFitting::Apply(int player, TForceScale scale)
{
    if (const std::optional<int>& share = shares_[size_t(player)]; share && scale.Fitted())
        scale.Share = *share;
    scales_[size_t(player)] = scale;
    if (TStressValue* grip = grips_[size_t(player)])
        grip->FitForce = scale.Fitted() ? std::function([scale](std::uint8_t f) { return scale.Apply(f); })
                                        : nullptr;
}

QString TGripFitting::Who(int player) const { return QString("Player %1's").arg(player + 1); }

void TGripFitting::Tell(const QString& text)
{
    outcome_ = text;
    outcomeUntil_ = GameClock().NowMilliseconds() + OutcomeMs;
}

void TGripFitting::Calibrate(int player)
{
    if (balls_[size_t(player)].isEmpty()) {
        Tell(QString("Player %1 has no grip ball to calibrate.").arg(player + 1));
        return;
    }
    calibrating_ = player;
    session_ = TCalibration();
    outcome_.clear();
}

void TGripFitting::Reset(int player)
{
    const QString& ball = balls_[size_t(player)];
    if (ball.isEmpty()) {
        Tell(QString("Player %1 has no grip ball.").arg(player + 1));
        return;
    }
    if (calibrating_ == player)
        calibrating_ = -1;
    const bool kept = store_.Reset(ball);
    Fit(player);
    Tell(kept ? Who(player) + " ball is back on the standard scale: level 6 from force 30."
              : Who(player) + " calibration could not be forgotten: " + store_.Path() + " " + store_.Failure() + ".");
}

void TGripFitting::Cancel() { calibrating_ = -1; }

void TGripFitting::Feed(int player, std::uint8_t force)
{
    if (player != calibrating_)
        return;
    session_.Feed(force);
    if (!session_.Done())
        return;
    calibrating_ = -1;
    const std::uint8_t peak = session_.Peak();
    const bool kept = store_.Save(balls_[size_t(player)], peak);
    Fit(player);
    TForceScale scale = scales_[size_t(player)];
    QString text;
    if (kept) {
        text = QString("%1 ball is calibrated: your peak is %2, so level 6 comes from force %3 (%4 % of it).")
                   .arg(Who(player))
                   .arg(peak)
                   .arg(scale.ForceForLevel(6))
                   .arg(scale.Share);
    } else {
        // Not kept, but fitted for as long as the game runs.
        scale.Peak = peak;
        Apply(player, scale);
        text = QString("%1 ball is calibrated (peak %2) for now, but not kept: %3 %4.")
                   .arg(Who(player))
                   .arg(peak)
                   .arg(store_.Path(), store_.Failure());
    }
    Tell(text);
}

QString TGripFitting::Text() const
{
    if (calibrating_ < 0)
        return GameClock().NowMilliseconds() < outcomeUntil_ ? outcome_ : QString();
    QStringList lines;
    lines << QString("Calibrating player %1's ball: squeeze it as hard as is comfortable, then let go (%2 of %3).")
                 .arg(calibrating_ + 1)
                 .arg(session_.Counted() + 1)
                 .arg(TCalibration::Squeezes);
    QString force = QString("Force %1").arg(session_.Force());
    if (session_.SqueezePeak())
        force += QString(", this squeeze %1").arg(session_.SqueezePeak());
    lines << force;
    if (session_.LastTooLight())
        lines << "That one was too light: squeeze harder.";
    QStringList peaks;
    for (std::uint8_t peak : session_.Peaks())
        peaks << QString::number(peak);
    if (!peaks.isEmpty())
        lines << "Peaks so far: " + peaks.join(", ");
    return lines.join('\n');
}
