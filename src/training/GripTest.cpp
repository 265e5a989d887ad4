#include "training/GripTest.h"

#include <QStringList>

#include <algorithm>
#include <cmath>

namespace {

std::int64_t IntervalMs(int pace) { return std::lround(60000.0 / pace); }

// How far the wait for the next ball has gone, as a row of marks that fills up to it.
QString WaitBar(std::int64_t fromMs, std::int64_t toMs, std::int64_t nowMs)
{
    constexpr int width = 10;
    const double share = toMs > fromMs ? double(nowMs - fromMs) / double(toMs - fromMs) : 1;
    const int filled = std::clamp(int(share * width), 0, width);
    return '[' + QString(filled, '#') + QString(width - filled, '-') + ']';
}

} // namespace

void TGripTest::Start(std::int64_t nowMs)
{
    *this = TGripTest();
    phase_ = EPhase::Squeeze;
    startedMs_ = nowMs;
}

int TGripTest::Peak() const
{
    return peaks_.empty() ? 0 : int(*std::max_element(peaks_.begin(), peaks_.end()));
}

int TGripTest::PaceOf(int ball) { return std::min(TopPace, FirstPace + PaceStep * ball); }

void TGripTest::Feed(std::int64_t nowMs, std::uint8_t force)
{
    if (!Running())
        return;
    // The balls whose time went by before this reading were missed first.
    Advance(nowMs);
    force_ = force;
    bool began = false, ended = false;
    if (!gripping_ && force > GripForce) {
        gripping_ = began = true;
        squeezePeak_ = force;
        ++grips_;
    } else if (gripping_) {
        squeezePeak_ = std::max(squeezePeak_, force);
        if (force < ReleaseForce)
            gripping_ = false, ended = true;
    }
    switch (phase_) {
    case EPhase::Squeeze:
        if (!ended)
            return;
        tooLight_ = squeezePeak_ < LeastPeak;
        if (!tooLight_)
            peaks_.push_back(squeezePeak_);
        if (int(peaks_.size()) == Squeezes) {
            // The first ball comes at the first pace after the hand has let go.
            phase_ = EPhase::Pace;
            lastBallMs_ = nowMs;
            ballMs_ = nowMs + IntervalMs(PaceOf(0));
        }
        return;
    case EPhase::Pace:
        if (began)
            Grip(nowMs);
        return;
    case EPhase::Hold:
        if (nowMs < holdFromMs_)
            return;
        if (!reachedMs_) {
            if (2 * int(force) >= Peak())
                reachedMs_ = nowMs;
        } else if (2 * int(force) < Peak()) {
            heldMs_ = std::min(HoldMs, nowMs - *reachedMs_);
            Finish(nowMs);
        }
        return;
    default: return;
    }
}

void TGripTest::Grip(std::int64_t nowMs)
{
    // A grip between the windows hits nothing and costs nothing.
    if (std::abs(nowMs - ballMs_) > WindowMs)
        return;
    ++balls_;
    ++ballsHit_;
    missesInRow_ = 0;
    longestRun_ = std::max(longestRun_, ++run_);
    paceReached_ = PaceOf(ball_);
    if (paceReached_ >= TopPace) {
        BeginHold(nowMs);
        return;
    }
    lastBallMs_ = ballMs_;
    ballMs_ += IntervalMs(PaceOf(++ball_));
}

void TGripTest::Advance(std::int64_t nowMs)
{
    while (phase_ == EPhase::Pace && nowMs > ballMs_ + WindowMs) {
        ++balls_;
        run_ = 0;
        if (++missesInRow_ >= MissesToEnd) {
            BeginHold(ballMs_ + WindowMs);
            break;
        }
        lastBallMs_ = ballMs_;
        ballMs_ += IntervalMs(PaceOf(++ball_));
    }
    if (phase_ != EPhase::Hold)
        return;
    if (reachedMs_ && nowMs - *reachedMs_ >= HoldMs) {
        heldMs_ = HoldMs;
        Finish(*reachedMs_ + HoldMs);
    } else if (!reachedMs_ && nowMs >= holdFromMs_ + HoldWaitMs) {
        heldMs_ = 0;
        Finish(holdFromMs_ + HoldWaitMs);
    }
}

void TGripTest::BeginHold(std::int64_t nowMs)
{
    phase_ = EPhase::Hold;
    holdFromMs_ = nowMs + HoldLeadMs;
    reachedMs_.reset();
}

void TGripTest::Finish(std::int64_t nowMs)
{
    phase_ = EPhase::Done;
    endedMs_ = nowMs;
}

QString TGripTest::Prompt(std::int64_t nowMs) const
{
    QStringList lines;
    switch (phase_) {
    case EPhase::Squeeze: {
        lines << QString("Grip test: squeeze as hard as you can, then let go (%1/%2).")
                     .arg(peaks_.size() + 1)
                     .arg(Squeezes);
        QString force = QString("Force %1").arg(force_);
        if (gripping_)
            force += QString(", this squeeze %1").arg(squeezePeak_);
        lines << force;
        if (tooLight_)
            lines << "That one was too light: squeeze harder.";
        break;
    }
    case EPhase::Pace:
        lines << QString("Grip test: grip on every beat, %1 a minute.").arg(PaceOf(ball_));
        lines << (std::abs(nowMs - ballMs_) <= WindowMs ? QString("[##########] GRIP!")
                                                         : WaitBar(lastBallMs_, ballMs_ - WindowMs, nowMs));
        lines << QString("Hit %1 of %2").arg(ballsHit_).arg(balls_) +
                     (missesInRow_ ? QString(", missed %1 in a row").arg(missesInRow_) : QString());
        break;
    case EPhase::Hold: {
        const int target = (Peak() + 1) / 2;
        if (nowMs < holdFromMs_)
            lines << QString("Grip test: let go. Then squeeze to force %1, half your peak, and hold it as long as you "
                             "can (in %2 s).")
                         .arg(target)
                         .arg((holdFromMs_ - nowMs + 999) / 1000);
        else if (!reachedMs_)
            lines << QString("Grip test: squeeze to force %1 and hold it.").arg(target)
                  << QString("Force %1").arg(force_);
        else
            lines << QString("Grip test: hold it at force %1 or more.").arg(target)
                  << QString("Force %1, held %2 s of %3")
                         .arg(force_)
                         .arg(double(std::min(HoldMs, nowMs - *reachedMs_)) / 1000, 0, 'f', 1)
                         .arg(HoldMs / 1000);
        break;
    }
    default: break;
    }
    return lines.join('\n');
}

TGameRecord GripTestRecord(const TGripTest& test, const QDateTime& started, const QString& ball, const QString& name,
                           std::optional<int> calibratedPeak)
{
    TGameRecord r;
    r.Started = started;
    r.Song = "grip test";
    r.Player = 1;
    r.Input = ball;
    r.Seconds = double(test.EndedMs() - test.StartedMs()) / 1000;
    r.Balls = test.Balls();
    r.BallsHit = r.Hits = test.BallsHit();
    r.Percent = test.Balls() ? test.BallsHit() * 100 / test.Balls() : 0;
    r.LongestCombo = test.LongestRun();
    r.Grips = test.Grips();
    r.PeakForce = test.Peak();
    r.CalibratedPeaks = {calibratedPeak};
    r.Name = name;
    r.Level.clear();
    r.Mode = "test";
    r.TestPacePerMinute = test.PaceReached();
    r.TestHoldSeconds = test.HoldSeconds();
    return r;
}
