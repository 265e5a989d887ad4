#include "training/SongMarks.h"

#include <QSettings>

namespace {

QString KeyOf(int playerId) { return QString("sessions/marked_songs_%1").arg(playerId); }

} // namespace

QStringList TSongMarks::Marked(int playerId) const
{
    return QSettings(path_, QSettings::IniFormat).value(KeyOf(playerId)).toStringList();
}

bool TSongMarks::SetMarked(int playerId, const QString& song, bool on)
{
    QSettings preferences(path_, QSettings::IniFormat);
    QStringList marked = preferences.value(KeyOf(playerId)).toStringList();
    const bool was = marked.contains(song);
    if (was == on)
        return true;
    if (on)
        marked << song;
    else
        marked.removeAll(song);
    preferences.setValue(KeyOf(playerId), marked);
    preferences.sync();
    return preferences.status() == QSettings::NoError;
}
