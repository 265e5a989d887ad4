#include "training/TrainingLog.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QStandardPaths>

#include <cerrno>
#include <csignal>
#include <cstdio>
#include <cstring>

#include <fcntl.h>
#include <sys/file.h>
#include <sys/resource.h>
#include <sys/stat.h>
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

namespace {

// The file, open for appending, locked against other games appending to it for as long as
// this lives.
class TLockedRecord {
public:
    explicit TLockedRecord(const QString& path)
        : fd_(::open(QFile::encodeName(path).constData(), O_RDWR | O_APPEND | O_CREAT | O_CLOEXEC, 0644))
    {
        if (fd_ < 0 || ::flock(fd_, LOCK_EX) != 0)
            error_ = errno;
    }
    ~TLockedRecord()
    {
        if (fd_ >= 0)
            ::close(fd_);  // lets go of the lock too
    }
    TLockedRecord(const TLockedRecord&) = delete;
    TLockedRecord& operator=(const TLockedRecord&) = delete;

    // The errno value of the opening or locking that failed; 0 when the file is ours.
    int Error() const { return error_; }
    int Fd() const { return fd_; }

private:
    int fd_;
    int error_ = 0;
};

QString Reason(int error) { return QString::fromLocal8Bit(std::strerror(error)); }

// A write of count more bytes that could only go in part fails before it begins, where that is
// known beforehand: past the process's file size limit, or with no room left on the disk.
int RoomFor(int fd, off_t size, off_t count)
{
    rlimit limit{};
    if (::getrlimit(RLIMIT_FSIZE, &limit) == 0 && limit.rlim_cur != RLIM_INFINITY &&
        rlim_t(size + count) > limit.rlim_cur)
        return EFBIG;
    // Reserved beyond the end, the room cannot run out under the write; a file system that
    // reserves nothing is written to all the same.
    if (::fallocate(fd, FALLOC_FL_KEEP_SIZE, size, count) != 0 && (errno == ENOSPC || errno == EDQUOT))
        return errno;
    return 0;
}

} // namespace

bool TTrainingLog::Append(const std::vector<TGameRecord>& records)
{
    if (records.empty())
        return true;
    if (!QDir().mkpath(QFileInfo(path_).path())) {
        Fail("its folder cannot be made");
        return false;
    }
    // Another game may append to the same file at any time: what goes in is decided and written
    // under the lock, in one append, and nothing is ever taken out again.
    const TLockedRecord file(path_);
    if (file.Error()) {
        Fail(Reason(file.Error()));
        return false;
    }
    struct stat status {};
    if (::fstat(file.Fd(), &status) != 0) {
        Fail(Reason(errno));
        return false;
    }
    QByteArray text;
    if (status.st_size == 0) {
        text = RecordHeader().toUtf8() + '\n';
    } else {
        // A line cut short by a crash keeps its own line; the new ones do not join it.
        char last = 0;
        if (::pread(file.Fd(), &last, 1, status.st_size - 1) == 1 && last != '\n')
            text = "\n";
    }
    for (const TGameRecord& record : records)
        text += RecordLine(record).toUtf8() + '\n';
    if (const int error = RoomFor(file.Fd(), status.st_size, text.size())) {
        Fail(Reason(error));
        return false;
    }
    ssize_t written;
    {
        const TNoFileSizeSignal quiet;
        do
            written = ::write(file.Fd(), text.constData(), size_t(text.size()));
        while (written < 0 && errno == EINTR);
    }
    // A write cut short leaves a cut line, which the reading leaves out and the next append
    // steps past.
    if (written != ssize_t(text.size())) {
        Fail(written < 0 ? Reason(errno) : QString("only part of it went in"));
        return false;
    }
    if (::fdatasync(file.Fd()) != 0) {
        Fail(Reason(errno));
        return false;
    }
    return true;
}
