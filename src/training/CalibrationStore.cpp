#include "training/CalibrationStore.h"

#include <QDir>
#include <QFileInfo>
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

bool Written(QSettings& settings)
{
    settings.sync();
    return settings.status() == QSettings::NoError;
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

bool TCalibrationStore::Save(const QString& ball, std::uint8_t peak)
{
    if (!QDir().mkpath(QFileInfo(path_).path()))
        return false;
    QSettings settings(path_, QSettings::IniFormat);
    // The share is written once, so that the user finds it beside the peaks.
    if (!settings.contains("share"))
        settings.setValue("share", TForceScale::DefaultShare);
    settings.setValue(Key(ball), int(peak));
    return Written(settings);
}

bool TCalibrationStore::Reset(const QString& ball)
{
    if (!QFileInfo::exists(path_))
        return true;
    QSettings settings(path_, QSettings::IniFormat);
    if (!settings.contains(Key(ball)))
        return true;
    settings.remove(Key(ball));
    return Written(settings);
}
