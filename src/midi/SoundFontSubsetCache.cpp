#include "midi/SoundFontSubsetCache.h"

#include "midi/SoundFontSubset.h"

#include <QCryptographicHash>
#include <QDateTime>
#include <QDir>
#include <QFileInfo>
#include <QSaveFile>
#include <QStandardPaths>

#include <algorithm>

namespace {
// Each song's presets make a copy of their own; only the most recently used few are kept, so
// a long song list does not fill the player's disk.
constexpr int KeptCopies = 8;

void DropStaleCopies(const QDir& dir)
{
    const QFileInfoList copies = dir.entryInfoList({"*.sf2"}, QDir::Files, QDir::Time);
    for (qsizetype i = KeptCopies; i < copies.size(); ++i)
        QFile::remove(copies[i].filePath());
}
}

std::string CachedSoundFontSubset(const std::string& source, std::vector<TMidiInstrument> presets, std::string& error)
{
    const QFileInfo info(QString::fromStdString(source));
    const QString canonical = info.canonicalFilePath();
    if (canonical.isEmpty()) {
        error = "cannot find " + source;
        return {};
    }
    std::sort(presets.begin(), presets.end());
    presets.erase(std::unique(presets.begin(), presets.end()), presets.end());
    // A changed file, even one put back under the same name, gets a copy of its own.
    QCryptographicHash hash(QCryptographicHash::Sha256);
    hash.addData(canonical.toUtf8());
    hash.addData(QByteArray::number(info.size()) + ' ' + QByteArray::number(info.lastModified().toMSecsSinceEpoch()));
    for (TMidiInstrument preset : presets)
        hash.addData(' ' + QByteArray::number(preset.Bank) + ':' + QByteArray::number(preset.Program));
    const QDir dir(QStandardPaths::writableLocation(QStandardPaths::GenericCacheLocation) + "/griprhythm/soundfonts");
    const QString path = dir.filePath(QString::fromLatin1(hash.result().toHex().left(32)) + ".sf2");
    if (QFileInfo(path).size() > 0) {
        // Kept among the most recently used.
        QFile used(path);
        if (used.open(QIODevice::ReadWrite))
            used.setFileTime(QDateTime::currentDateTime(), QFileDevice::FileModificationTime);
        return path.toStdString();
    }
    if (!dir.mkpath(".")) {
        error = "cannot make the cache folder " + dir.path().toStdString();
        return {};
    }
    QSaveFile out(path);
    if (!out.open(QIODevice::WriteOnly)) {
        error = "cannot write " + path.toStdString() + ": " + out.errorString().toStdString();
        return {};
    }
    error = WriteSoundFontSubset(source, presets, out);
    if (!error.empty())
        return {};
    if (!out.commit()) {
        error = "cannot write " + path.toStdString() + ": " + out.errorString().toStdString();
        return {};
    }
    DropStaleCopies(dir);
    return path.toStdString();
}
