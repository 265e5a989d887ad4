#include "training/CalibrationStore.h"

#include "training/IniText.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QSaveFile>
#include <QSettings>
#include <QStandardPaths>
#include <QUrl>

namespace {

// A serial may hold anything, the group separator of the settings included.
QString Key(const QString& ball) { return "balls/" + QString::fromLatin1(QUrl::toPercentEncoding(ball)); }

int Share(const QSettings& settings)
{
    bool ok = false;
    const int share = settings.value("share").toInt(&ok);
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
    const QSettings settings(path_, QSettings::IniFormat);
    TForceScale scale;
    scale.Share = Share(settings);
    bool ok = false;
    const int peak = settings.value(Key(ball)).toInt(&ok);
    if (ok && peak >= TForceScale::LeastPeak && peak <= 255)
        scale.Peak = std::uint8_t(peak);
    return scale;
}

bool TCalibrationStore::Failed(const QString& failure)
{
    failure_ = failure;
    return false;
}

bool TCalibrationStore::Change(const QVariantMap& set, const QString& remove)
{
    failure_.clear();
    // The settings would write back only what they understood of a file edited by hand: the
    // file's own text is changed instead, line by line.
    QByteArray text;
    QFile file(path_);
    if (file.exists()) {
        if (file.open(QIODevice::ReadOnly))
            text = file.readAll();
        if (file.error() != QFileDevice::NoError)
            return Failed("cannot be read (" + file.errorString() + "), so it is left as it is");
    } else if (!QDir().mkpath(QFileInfo(path_).path())) {
        return Failed("cannot be written (its folder cannot be made)");
    }
    TIniText ini(text);
    for (const TIniLine& line : IniLines(set))
        ini.Set(line);
    if (!remove.isEmpty())
        for (const TIniLine& line : IniLines({{remove, 0}}))
            ini.Remove(line.Section, line.Key);
    const QByteArray changed = ini.Text();
    // A line of the user's could hide the game's own from the reading (the same key spelt
    // another way): then the change would not be kept, and the file is better left alone.
    const QVariantMap now = IniValues(changed);
    bool kept = remove.isEmpty() || !now.contains(remove);
    for (auto it = set.begin(); it != set.end(); ++it)
        kept = kept && now.value(it.key()).toString() == it.value().toString();
    if (!kept)
        return Failed("has a line that would hide the change from the game, so it is left as it is");
    QSaveFile out(path_);
    if (!out.open(QIODevice::WriteOnly) || out.write(changed) != changed.size() || !out.commit())
        return Failed("cannot be written (" + out.errorString() + ")");
    return true;
}

bool TCalibrationStore::Save(const QString& ball, std::uint8_t peak)
{
    QVariantMap values = {{Key(ball), int(peak)}};
    // The share is written once, so that the user finds it beside the peaks.
    if (!QSettings(path_, QSettings::IniFormat).contains("share"))
        values.insert("share", TForceScale::DefaultShare);
    return Change(values, {});
}

bool TCalibrationStore::Reset(const QString& ball)
{
    failure_.clear();
    if (!QFileInfo::exists(path_) || !QSettings(path_, QSettings::IniFormat).contains(Key(ball)))
        return true;
    return Change({}, Key(ball));
}
