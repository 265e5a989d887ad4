#pragma once

#include "training/GameRecord.h"

#include <QString>

#include <functional>
#include <vector>

// The training record: $XDG_DATA_HOME/griprhythm/training.csv (~/.local/share when unset), the
// column names on its first line and one line per player and game after it. Lines are only
// ever appended, each append whole or not at all: a write that fails (a full disk, a folder
// that cannot be made) puts the file back as it was, says so once, and the game goes on.
class TTrainingLog {
public:
    // The file as the environment places it now.
    TTrainingLog();
    explicit TTrainingLog(QString path);

    static QString DefaultPath();
    const QString& Path() const { return path_; }

    // Appends one line per record (the column names first into a new file); false when the
    // file is as it was because the write failed.
    bool Append(const std::vector<TGameRecord>& records);

    // Where the one warning goes; by default the terminal.
    std::function<void(const QString& message)> Warn;

private:
    void Fail(const QString& reason);

    QString path_;
    bool warned_ = false;
};
