#include "training/TrainingLog.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QStandardPaths>

#include <csignal>
#include <cstdio>

#include <unistd.h>

namespace {

// A file grown past the process's size limit would otherwise end the game with SIGXFSZ: the
// write is to fail like any other, while it runs.
class TNoFileSizeSignal {
public:
    TNoFileSizeSignal() { previous_ = std::signal(SIGXFSZ, SIG_IGN); }
    ~TNoFileSizeSignal() { std::signal(SIGXFSZ, previous_); }
    TNoFileSizeSignal(const TNoFileSizeSignal&) = delete;
    TNoFileSizeSignal& operator=(const TNoFileSizeSignal&) = delete;

private:
    void (*previous_)(int);
};

} // namespace

TTrainingLog::TTrainingLog() : TTrainingLog(DefaultPath()) {}

TTrainingLog::TTrainingLog(QString path) : path_(std::move(path))
{
    Warn = [](const QString& message) { std::fprintf(stderr, "Grip Rhythm: %s\n", qPrintable(message)); };
}

QString TTrainingLog::DefaultPath()
{
    return QStandardPaths::writableLocation(QStandardPaths::GenericDataLocation) + "/griprhythm/training.csv";
}

void TTrainingLog::Fail(const QString& reason)
{
    if (warned_)
        return;
    warned_ = true;
    if (Warn)
        Warn("the training record " + path_ + " could not be written (" + reason +
             "): the game goes on, but its games are not recorded while this lasts.");
}

bool TTrainingLog::Append(const std::vector<TGameRecord>& records)
{
    if (records.empty())
        return true;
    if (!QDir().mkpath(QFileInfo(path_).path())) {
        Fail("its folder cannot be made");
        return false;
    }
    QFile file(path_);
    const bool existed = file.exists();
    if (!file.open(QIODevice::ReadWrite | QIODevice::Append | QIODevice::Unbuffered)) {
        Fail(file.errorString());
        return false;
    }
    const qint64 size = file.size();
    QByteArray text;
    if (size == 0) {
        text = RecordHeader().toUtf8() + '\n';
    } else {
        // A line cut short by a crash keeps its own line; the new ones do not join it.
        char last = 0;
        if (file.seek(size - 1) && file.read(&last, 1) == 1 && last != '\n')
            text = "\n";
    }
    for (const TGameRecord& record : records)
        text += RecordLine(record).toUtf8() + '\n';
    bool written;
    {
        const TNoFileSizeSignal quiet;
        written = file.write(text) == text.size() && ::fdatasync(file.handle()) == 0;
    }
    if (written)
        return true;
    const QString reason = file.errorString();
    // What went in of a write that failed half way comes out again, and a file made for it goes.
    if (existed)
        file.resize(size);
    else
        file.remove();
    Fail(reason);
    return false;
}
