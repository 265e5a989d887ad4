#include "training/CalibrationStore.h"

#include "training/IniText.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QSaveFile>
#include <QStandardPaths>
#include <QUrl>

namespace {

// A serial may hold anything, the group separator of the settings included.
QString Key(const QString& ball) { return "balls/" + QString::fromLatin1(QUrl::toPercentEncoding(ball)); }

int Share(const QVariantMap& values)
{
    bool ok = false;
    const int share = values.value("share").toInt(&ok);
    return ok && share >= 10 && share <= 100 ? share : TForceScale::DefaultShare;
}

} // namespace

TCalibrationStore::TCalibrationStore() : TCalibrationStore(DefaultPath()) {}

TCalibrationStore::TCalibrationStore(QString path) : path_(std::move(path)) {}

QString TCalibrationStore::DefaultPath()
{
    return QStandardPaths::writableLocation(QStandardPaths::GenericConfigLocation) + "/griprhythm/calibration.conf";
}

TForceScale TCalibrationStore::Find(const QString& ball) const
{
    // Read as the saving reads it, from what the file holds now.
    QFile file(path_);
    const QVariantMap values = file.open(QIODevice::ReadOnly) ? IniValues(file.readAll()) : QVariantMap();
    TForceScale scale;
    scale.Share = Share(values);
    bool ok = false;
    const int peak = values.value(Key(ball)).toInt(&ok);
    if (ok && peak >= TForceScale::LeastPeak && peak <= 255)
        scale.Peak = std::uint8_t(peak);
    return scale;
}

bool TCalibrationStore::Failed(const QString& failure)
{
    failure_ = failure;
    return false;
}

bool TCalibrationStore::Change(const QString& ball, std::optional<std::uint8_t> peak)
{
    failure_.clear();
    // The settings would write back only what they understood of a file edited by hand: the
    // file's own text is changed instead, line by line.
    QByteArray text;
    QFile file(path_);
    const bool existed = file.exists();
    if (existed) {
        if (file.open(QIODevice::ReadOnly))
            text = file.readAll();
        if (file.error() != QFileDevice::NoError)
            return Failed("cannot be read (" + file.errorString() + "), so it is left as it is");
    } else if (!peak) {
        return true;
    } else if (!QDir().mkpath(QFileInfo(path_).path())) {
        return Failed("cannot be written (its folder cannot be made)");
    }
    TIniText ini(text);
    QVariantMap set;
    if (peak) {
        set.insert(Key(ball), int(*peak));
        // The share is written once, so that the user finds it beside the peaks.
        if (!IniValues(text).contains("share"))
            set.insert("share", TForceScale::DefaultShare);
        for (const TIniLine& line : IniLines(set))
            ini.Set(line);
    } else {
        for (const TIniLine& line : IniLines({{Key(ball), 0}}))
            ini.Remove(line.Section, line.Key);
    }
    const QByteArray changed = ini.Text();
    // A line of the user's could hide the game's own from the reading (the same key spelt
    // another way): then the change would not be kept, and the file is better left alone.
    const QVariantMap now = IniValues(changed);
    bool kept = peak || !now.contains(Key(ball));
    for (auto it = set.begin(); it != set.end(); ++it)
        kept = kept && now.value(it.key()).toString() == it.value().toString();
    if (!kept)
        return Failed("has a line that would hide the change from the game, so it is left as it is");
    if (existed && changed == text)
        return true;
    QSaveFile out(path_);
    if (!out.open(QIODevice::WriteOnly) || out.write(changed) != changed.size() || !out.commit())
        return Failed("cannot be written (" + out.errorString() + ")");
    return true;
}

bool TCalibrationStore::Save(const QString& ball, std::uint8_t peak) { return Change(ball, peak); }

bool TCalibrationStore::Reset(const QString& ball) { return Change(ball, std::nullopt); }
