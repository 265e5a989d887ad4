#pragma once

#include "training/Calibration.h"
#include "training/CalibrationStore.h"
#include "training/ForceScale.h"

#include <QString>

#include <array>
#include <cstdint>
#include <optional>

class TStressValue;

// Fits each player's ball to the player's hand. Whenever a player gets a ball, the scale kept
// for that ball goes on the player's grip (none kept: the game's own). A calibration measures
// the hand on the player's ball, keeps the peak for the ball and fits the grip at once; a reset
// forgets it.
class TGripFitting {
public:
    explicit TGripFitting(TCalibrationStore store = TCalibrationStore());

    // The players' grips, 0 and 1; none lets go of them.
    void SetGrips(TStressValue* one, TStressValue* two);
    // The player's grip got a ball or lost it: the ball's scale goes on the grip.
    void Fit(int player);
    TForceScale Scale(int player) const { return scales_[size_t(player)]; }
    // The share of the peak that gives level 6 on the player's calibrated ball, in place of the
    // one the calibrations keep; none goes back to that one.
    void SetShare(int player, std::optional<int> share);
    // The identity of the player's ball; empty without one.
    const QString& Ball(int player) const { return balls_[size_t(player)]; }

    // Starts measuring the player's hand; without a ball, says so instead.
    void Calibrate(int player);
    void Reset(int player);
    void Cancel();
    bool Calibrating() const { return calibrating_ >= 0; }
    int CalibratingPlayer() const { return calibrating_; }
    const TCalibration& Session() const { return session_; }
    // A force from the player's grip, as reported.
    void Feed(int player, std::uint8_t force);

    // What the game surface says: what to do and the force felt while calibrating, then the
    // outcome for OutcomeMs of the game clock; empty otherwise.
    QString Text() const;

    static constexpr std::int64_t OutcomeMs = 8000;

private:
    void Apply(int player, TForceScale scale);
    void Tell(const QString& text);
    QString Who(int player) const;

    TCalibrationStore store_;
    std::array<TStressValue*, 2> grips_{};
    std::array<TForceScale, 2> scales_{};
    std::array<std::optional<int>, 2> shares_{};
    std::array<QString, 2> balls_;
    int calibrating_ = -1;
    TCalibration session_;
    QString outcome_;
    std::int64_t outcomeUntil_ = 0;
};
