#pragma once

#include "training/ForceScale.h"

#include <QString>

#include <cstdint>
#include <optional>

// Each ball's calibrated peak, kept by its identity in the user's configuration folder
// ($XDG_CONFIG_HOME/griprhythm/calibration.conf, ~/.config when unset), and the share of the
// peak that gives level 6 ("share", 70 unless the user changes it there). Reading writes
// nothing; only a calibration saved or reset does, and then only its own line: whatever else
// the user wrote there stays.
class TCalibrationStore {
public:
    // The file as the environment places it now.
    TCalibrationStore();
    explicit TCalibrationStore(QString path);

    static QString DefaultPath();
    const QString& Path() const { return path_; }

    // The ball's scale: fitted when a calibration is kept for it, else the game's own.
    TForceScale Find(const QString& ball) const;
    // False when the file cannot be read or written; Failure then says which and why.
    bool Save(const QString& ball, std::uint8_t peak);
    // Back to the game's own scale; false as Save is.
    bool Reset(const QString& ball);
    // What went wrong with the last Save or Reset: "cannot be written (...)" and the like.
    const QString& Failure() const { return failure_; }

private:
    // Sets the ball's peak, or removes it without one.
    bool Change(const QString& ball, std::optional<std::uint8_t> peak);
    bool Failed(const QString& failure);

    QString path_;
    QString failure_;
};
