// Feeds arbitrary bytes as the calibration file a user edited by hand, then finds, saves and
// resets a ball's calibration in it as the game does. A save or reset that says it worked must
// be read back so, and must keep every line of the user's that is not the ball's own.
#include "training/CalibrationStore.h"
#include "training/IniText.h"

#include <QDir>
#include <QFile>

#include <cstdint>
#include <cstdlib>
#include <unistd.h>

namespace {

QByteArray Contents(const QString& path)
{
    QFile file(path);
    return file.open(QIODevice::ReadOnly) ? file.readAll() : QByteArray();
}

// Every line of before is in after, in its order.
bool Kept(const QByteArray& before, const QByteArray& after, const QByteArray& skip)
{
    const QList<QByteArray> lines = after.split('\n');
    qsizetype at = 0;
    for (const QByteArray& line : before.split('\n')) {
        if (line.contains(skip) || line.trimmed().isEmpty())
            continue;
        while (at < lines.size() && lines[at] != line && lines[at] != line + '\r')
            ++at;
        if (at++ >= lines.size())
            return false;
    }
    return true;
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size)
{
    // Every save syncs its files to the disk: in memory where there is room for them.
    static const bool inMemory = QDir("/dev/shm").exists() && qputenv("TMPDIR", "/dev/shm");
    static const QString folder = QDir::tempPath() + "/grip_fuzz_calibration_" + QString::number(getpid());
    static int run = 0;
    (void)inMemory;
    QDir().mkpath(folder);
    // A path of its own each time: the settings keep what they read of a path.
    const QString path = folder + "/calibration-" + QString::number(++run) + ".conf";
    const QByteArray text(reinterpret_cast<const char*>(data), qsizetype(size));
    {
        QFile file(path);
        if (!file.open(QIODevice::WriteOnly) || file.write(text) != text.size())
            return 0;
    }
    TCalibrationStore store(path);
    const TForceScale scale = store.Find("GR-0001");
    if (scale.Share < 10 || scale.Share > 100 || (scale.Fitted() && scale.Peak < TForceScale::LeastPeak))
        std::abort();
    if (store.Save("GR-0001", 90)) {
        const QByteArray saved = Contents(path);
        if (IniValues(saved).value("balls/GR-0001").toString() != "90" || !Kept(text, saved, "GR-0001"))
            std::abort();
        if (store.Reset("GR-0001") && IniValues(Contents(path)).contains("balls/GR-0001"))
            std::abort();
    } else if (store.Failure().isEmpty() || Contents(path) != text) {
        std::abort();
    }
    QFile::remove(path);
    return 0;
}
