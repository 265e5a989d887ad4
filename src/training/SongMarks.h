#pragma once

#include <QString>
#include <QStringList>

// The songs each player marked in the song list for their sessions, by path, kept in the
// preferences under the player's id (0 for no name), so that a rename keeps them.
class TSongMarks {
public:
    explicit TSongMarks(QString preferencesPath) : path_(std::move(preferencesPath)) {}

    QStringList Marked(int playerId) const;
    // False when the preferences could not be written; the marks stay as they were.
    bool SetMarked(int playerId, const QString& song, bool on);

private:
    QString path_;
};
