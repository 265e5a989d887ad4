#pragma once

#include "training/GameRecord.h"

#include <QDate>
#include <QString>
#include <QStringList>

#include <functional>
#include <vector>

#include <sys/types.h>

// The training record: $XDG_DATA_HOME/griprhythm/training.csv (~/.local/share when unset), the
// column names on its first line and one line per player and game after it. Lines are only
// ever appended, by one write under an advisory lock (flock), so that two games running at once
// never cut or mix each other's lines. A write that cannot fit (a full disk, the size limit) is
// not begun; a write that fails says so once and the game goes on. Nothing is ever truncated
// or removed: another game's lines may follow. A file whose header has fewer columns than the
// game writes now is never rewritten: it is renamed to training-until-YYYY-MM-DD.csv beside it
// and a new file is begun.
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
    // The day an older file is named after when it is set aside.
    std::function<QDate()> Today = [] { return QDate::currentDate(); };

private:
    void Fail(const QString& reason);
    // The records appended to the locked file of that size.
    bool Write(int fd, off_t size, const std::vector<TGameRecord>& records);

    QString path_;
    bool warned_ = false;
};

// The record at path with the older files set aside beside it: the older ones first, by the
// day in their names, then path itself (whether or not it exists yet).
QStringList RecordFiles(const QString& path);
// Every game of them all; Missing only when none of the files could be opened.
TRecordFile ReadRecordFiles(const QString& path);
