#pragma once

#include "training/GameRecord.h"

#include <QDateTime>
#include <QString>

#include <cstdint>
#include <optional>
#include <vector>

// A grip test that is the same every time, so that its figures compare across days whatever
// songs were played. Three parts, one after another:
//  1. three squeezes as hard as the player can; the peak is the highest of the three;
//  2. balls at a rising pace, FirstPace a minute and PaceStep faster each ball, until
//     MissesToEnd in a row are missed; a ball is hit by a grip that begins within WindowMs of
//     its moment, either side. The pace reached is that of the last ball hit;
//  3. a hold at half the peak: from the reading that first reaches it until one drops below,
//     HoldMs at most.
// It is driven by forces with their times on the game clock, as the ball reports them.
class TGripTest {
public:
    enum class EPhase { Idle, Squeeze, Pace, Hold, Done };

    static constexpr int Squeezes = 3;
    // A grip begins when the force passes GripForce and ends when it falls below ReleaseForce,
    // as a calibration's squeezes do; a squeeze whose peak stays under LeastPeak is too light.
    static constexpr std::uint8_t GripForce = 10;
    static constexpr std::uint8_t ReleaseForce = 5;
    static constexpr int LeastPeak = 15;
    static constexpr int FirstPace = 20, PaceStep = 5, TopPace = 200;
    static constexpr std::int64_t WindowMs = 150;
    static constexpr int MissesToEnd = 3;
    // The player lets go before the hold is measured; one who never reaches half the peak
    // within HoldWaitMs held for no time at all.
    static constexpr std::int64_t HoldLeadMs = 3000, HoldWaitMs = 15000, HoldMs = 30000;

    void Start(std::int64_t nowMs);
    void Stop() { phase_ = EPhase::Idle; }
    // One force as the ball reports it, at its time; times never go back.
    void Feed(std::int64_t nowMs, std::uint8_t force);
    // The time goes on without a reading: a ball passes unhit, a hold runs out.
    void Advance(std::int64_t nowMs);

    EPhase Phase() const { return phase_; }
    bool Running() const { return phase_ != EPhase::Idle && phase_ != EPhase::Done; }
    bool Done() const { return phase_ == EPhase::Done; }

    const std::vector<std::uint8_t>& Peaks() const { return peaks_; }
    // The highest of the squeezes counted so far.
    int Peak() const;
    // The pace of the last ball hit, grips a minute; 0 when none was.
    int PaceReached() const { return paceReached_; }
    double HoldSeconds() const { return double(heldMs_) / 1000; }
    int Balls() const { return balls_; }
    int BallsHit() const { return ballsHit_; }
    int LongestRun() const { return longestRun_; }
    int Grips() const { return grips_; }
    std::int64_t StartedMs() const { return startedMs_; }
    std::int64_t EndedMs() const { return endedMs_; }

    // What the player is to do now, and how it goes; empty while idle.
    QString Prompt(std::int64_t nowMs) const;

private:
    // The pace of ball n (from 0).
    static int PaceOf(int ball);
    void Grip(std::int64_t nowMs);
    void JudgePassed(std::int64_t nowMs);
    void Missed();
    void Hit();
    void BeginHold(std::int64_t nowMs);
    void Finish(std::int64_t nowMs);

    EPhase phase_ = EPhase::Idle;
    std::int64_t startedMs_ = 0, endedMs_ = 0;
    bool gripping_ = false;
    std::uint8_t force_ = 0, squeezePeak_ = 0;
    bool tooLight_ = false;
    std::vector<std::uint8_t> peaks_;
    int grips_ = 0;
    // The ball to come (or whose window is open) and its moment.
    int ball_ = 0;
    std::int64_t ballMs_ = 0, lastBallMs_ = 0;
    int balls_ = 0, ballsHit_ = 0, missesInRow_ = 0, run_ = 0, longestRun_ = 0, paceReached_ = 0;
    std::int64_t holdFromMs_ = 0;
    std::optional<std::int64_t> reachedMs_;
    std::int64_t heldMs_ = 0;
};

// The training record's line of a finished test: mode "test", the song "grip test", the
// peak in peak_force and the pace and the hold in their own columns.
TGameRecord GripTestRecord(const TGripTest& test, const QDateTime& started, const QString& ball, const QString& name,
                           std::optional<int> calibratedPeak);
