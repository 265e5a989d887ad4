#pragma once

#include <QByteArray>
#include <QVariantMap>

#include <vector>

// One key of an INI file as the settings (QSettings) spell it: its section ("General" for the
// keys before any section), the key and the whole line.
struct TIniLine {
    QByteArray Section, Key, Line;
};

// The lines the settings would write for these values (keys with '/' between group and name).
std::vector<TIniLine> IniLines(const QVariantMap& values);
// Every value the settings read from this text, by key.
QVariantMap IniValues(const QByteArray& text);

// An INI file's text with single keys set or removed in place. Every other line (the user's
// notes, comments, lines no reader understands) stays as it was, where it was: the settings
// themselves would drop them when they write the file.
class TIniText {
public:
    explicit TIniText(const QByteArray& text);

    // Every line of the key in its section becomes this one; without one, it goes after the
    // section's last line (a new section at the end of the file), or first in the file for
    // "General".
    void Set(const TIniLine& line);
    void Remove(const QByteArray& section, const QByteArray& key);
    QByteArray Text() const;

private:
    // The section of each line, its header's for a header.
    std::vector<QByteArray> Sections() const;

    std::vector<QByteArray> lines_;
    bool endsInLineEnd_ = false;
    // The file's lines end in "\r\n"; new lines follow suit.
    bool crlf_ = false;
};
