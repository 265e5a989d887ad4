#pragma once

#include "training/GameRecord.h"

#include <QString>

#include <functional>
#include <vector>

// The training record: $XDG_DATA_HOME/griprhythm/training.csv (~/.local/share when unset), the
// column names on its first line and one line per player and game after it. Lines are only
// ever appended, by one write under an advisory lock (flock), so that two games running at once
// never cut or mix each other's lines. A write that cannot fit (a full disk, the size limit) is
// not begun; a write that fails says so once and the game goes on. Nothing is ever truncated
// or removed: another game's lines may follow.
class TTrainingLog {
public:
    // The file as the environment places it now.
    TTrainingLog();
    explicit TTrainingLog(QString path);

    static QString DefaultPath();
    const QString& Path() const { return path_; }

    // Appends one line per record (the column names first into a new file); false when the
    // write failed.
    bool Append(const std::vector<TGameRecord>& records);

    // Where the one warning goes; by default the terminal.
    std::function<void(const QString& message)> Warn;

private:
    void Fail(const QString& reason);

    QString path_;
    bool warned_ = false;
};
