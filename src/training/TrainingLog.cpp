#include "training/TrainingLog.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QRegularExpression>
#include <QStandardPaths>

#include <algorithm>
#include <cerrno>
#include <csignal>
#include <cstdio>
#include <cstring>
#include <iterator>

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

// The first line of the open file, as far as a header can reach.
QString FirstLine(int fd)
{
    char buffer[4096];
    const ssize_t count = ::pread(fd, buffer, sizeof buffer, 0);
    if (count <= 0)
        return {};
    QByteArray line(buffer, qsizetype(count));
    const qsizetype end = line.indexOf('\n');
    if (end >= 0)
        line.truncate(end);
    if (line.endsWith('\r'))
        line.chop(1);
    return QString::fromUtf8(line);
}

// Whether the open file is still the one at path: another game may have set it aside while
// this one waited for its lock.
bool StillAt(int fd, const QString& path)
{
    struct stat open {}, named {};
    return ::fstat(fd, &open) == 0 && ::stat(QFile::encodeName(path).constData(), &named) == 0 &&
           open.st_dev == named.st_dev && open.st_ino == named.st_ino;
}

// Moves from to to unless a file is there already; the errno value when it did not move.
int MoveToFreeName(const QByteArray& from, const QByteArray& to)
{
    if (::renameat2(AT_FDCWD, from.constData(), AT_FDCWD, to.constData(), RENAME_NOREPLACE) == 0)
        return 0;
    if (errno != EINVAL && errno != ENOSYS)
        return errno;
    // A file system that cannot refuse to replace: looked at first, which only another game
    // renaming at the very same moment could outrun.
    struct stat there {};
    if (::stat(to.constData(), &there) == 0)
        return EEXIST;
    return ::rename(from.constData(), to.constData()) == 0 ? 0 : errno;
}

// The older file renamed to <base>-until-DAY.csv beside it, or -2, -3 … after the day when
// that name is taken, so that no file is ever replaced; the errno value when it could not be.
int SetAside(const QString& path, QDate today)
{
    const QFileInfo info(path);
    const QString base = info.dir().filePath(info.completeBaseName() + "-until-" + today.toString(Qt::ISODate));
    for (int n = 1; n <= 1000; ++n) {
        const QString name = base + (n == 1 ? QString() : "-" + QString::number(n)) + ".csv";
        const int error = MoveToFreeName(QFile::encodeName(path), QFile::encodeName(name));
        if (error != EEXIST)
            return error;
    }
    return EEXIST;
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
    for (int tries = 0;; ++tries) {
        const TLockedRecord file(path_);
        if (file.Error()) {
            Fail(Reason(file.Error()));
            return false;
        }
        if (!StillAt(file.Fd(), path_)) {
            if (tries < 10)
                continue;
            Fail("it keeps being moved away");
            return false;
        }
        struct stat status {};
        if (::fstat(file.Fd(), &status) != 0) {
            Fail(Reason(errno));
            return false;
        }
        if (status.st_size > 0 && IsOlderRecordHeader(FirstLine(file.Fd()))) {
            // Still locked: a game waiting for this file finds it moved and opens the new one.
            if (const int error = SetAside(path_, Today ? Today() : QDate::currentDate())) {
                Fail("its older columns are to be kept in a file of their own, which cannot be made: " +
                     Reason(error));
                return false;
            }
            continue;
        }
        return Write(file.Fd(), status.st_size, records);
    }
}

bool TTrainingLog::Write(int fd, off_t size, const std::vector<TGameRecord>& records)
{
    QByteArray text;
    if (size == 0) {
        text = RecordHeader().toUtf8() + '\n';
    } else {
        // A line cut short by a crash keeps its own line; the new ones do not join it.
        char last = 0;
        if (::pread(fd, &last, 1, size - 1) == 1 && last != '\n')
            text = "\n";
    }
    for (const TGameRecord& record : records)
        text += RecordLine(record).toUtf8() + '\n';
    if (const int error = RoomFor(fd, size, text.size())) {
        Fail(Reason(error));
        return false;
    }
    ssize_t written;
    {
        const TNoFileSizeSignal quiet;
        do
            written = ::write(fd, text.constData(), size_t(text.size()));
        while (written < 0 && errno == EINTR);
    }
    // A write cut short leaves a cut line, which the reading leaves out and the next append
    // steps past.
    if (written != ssize_t(text.size())) {
        Fail(written < 0 ? Reason(errno) : QString("only part of it went in"));
        return false;
    }
    if (::fdatasync(fd) != 0) {
        Fail(Reason(errno));
        return false;
    }
    return true;
}

QStringList RecordFiles(const QString& path)
{
    const QFileInfo info(path);
    const QString base = info.completeBaseName();
    const QRegularExpression older("^" + QRegularExpression::escape(base) +
                                   "-until-(\\d{4}-\\d{2}-\\d{2})(?:-(\\d{1,4}))?\\.csv$");
    std::vector<std::pair<std::pair<QString, int>, QString>> found;
    for (const QString& name : info.dir().entryList({base + "-until-*.csv"}, QDir::Files)) {
        const QRegularExpressionMatch match = older.match(name);
        if (match.hasMatch())
            found.push_back({{match.captured(1), match.captured(2).isEmpty() ? 1 : match.captured(2).toInt()},
                             info.dir().filePath(name)});
    }
    std::sort(found.begin(), found.end());
    QStringList files;
    for (const auto& [order, file] : found)
        files << file;
    return files << path;
}

TRecordFile ReadRecordFiles(const QString& path)
{
    TRecordFile all;
    all.Missing = true;
    for (const QString& file : RecordFiles(path)) {
        TRecordFile one = ReadRecordFile(file);
        all.Damaged += one.Damaged;
        all.Missing = all.Missing && one.Missing;
        std::move(one.Records.begin(), one.Records.end(), std::back_inserter(all.Records));
    }
    return all;
}
