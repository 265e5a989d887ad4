#include "training/IniText.h"

#include <QFile>
#include <QSettings>
#include <QTemporaryDir>

namespace {

const QByteArray kGeneral = "General";

bool IsHeader(const QByteArray& trimmed) { return trimmed.startsWith('[') && trimmed.endsWith(']'); }

// The key of a line "key = value"; empty for anything else.
QByteArray KeyOf(const QByteArray& line)
{
    const QByteArray trimmed = line.trimmed();
    if (trimmed.startsWith(';') || trimmed.startsWith('#') || IsHeader(trimmed))
        return {};
    const qsizetype equals = trimmed.indexOf('=');
    return equals > 0 ? trimmed.left(equals).trimmed() : QByteArray();
}

} // namespace

// The settings alone know how they spell and read a key: they work on a file of their own, at a
// path never used before, so that nothing they keep of another file can stand in for it.
class TScratchFile {
public:
    QString Path() const { return dir_.filePath("scratch.conf"); }

private:
    QTemporaryDir dir_;
};

std::vector<TIniLine> IniLines(const QVariantMap& values)
{
    const TScratchFile scratch;
    {
        QSettings settings(scratch.Path(), QSettings::IniFormat);
        for (auto it = values.begin(); it != values.end(); ++it)
            settings.setValue(it.key(), it.value());
    }
    QFile file(scratch.Path());
    std::vector<TIniLine> lines;
    if (!file.open(QIODevice::ReadOnly))
        return lines;
    QByteArray section = kGeneral;
    for (const QByteArray& line : file.readAll().split('\n')) {
        const QByteArray trimmed = line.trimmed();
        if (IsHeader(trimmed))
            section = trimmed.mid(1, trimmed.size() - 2);
        else if (const QByteArray key = KeyOf(trimmed); !key.isEmpty())
            lines.push_back({section, key, trimmed});
    }
    return lines;
}

QVariantMap IniValues(const QByteArray& text)
{
    const TScratchFile scratch;
    QFile file(scratch.Path());
    if (!file.open(QIODevice::WriteOnly) || file.write(text) != text.size())
        return {};
    file.close();
    const QSettings settings(scratch.Path(), QSettings::IniFormat);
    QVariantMap values;
    for (const QString& key : settings.allKeys())
        values.insert(key, settings.value(key));
    return values;
}

TIniText::TIniText(const QByteArray& text)
{
    if (text.isEmpty())
        return;
    for (const QByteArray& line : text.split('\n'))
        lines_.push_back(line);
    endsInLineEnd_ = text.endsWith('\n');
    if (endsInLineEnd_)
        lines_.pop_back();
    crlf_ = !lines_.empty() && lines_.front().endsWith('\r');
}

std::vector<QByteArray> TIniText::Sections() const
{
    std::vector<QByteArray> sections;
    QByteArray section = kGeneral;
    for (const QByteArray& line : lines_) {
        const QByteArray trimmed = line.trimmed();
        if (IsHeader(trimmed))
            section = trimmed.mid(1, trimmed.size() - 2);
        sections.push_back(section);
    }
    return sections;
}

void TIniText::Set(const TIniLine& line)
{
    const QByteArray text = crlf_ ? line.Line + '\r' : line.Line;
    const std::vector<QByteArray> sections = Sections();
    bool found = false;
    qsizetype last = -1;
    for (size_t i = 0; i < lines_.size(); ++i) {
        if (sections[i] != line.Section)
            continue;
        if (KeyOf(lines_[i]) == line.Key) {
            lines_[i] = text;
            found = true;
        }
        if (!lines_[i].trimmed().isEmpty())
            last = qsizetype(i);
    }
    if (found)
        return;
    if (line.Section == kGeneral) {
        lines_.insert(lines_.begin(), text);
        endsInLineEnd_ = endsInLineEnd_ || lines_.size() == 1;
    } else if (last >= 0) {
        lines_.insert(lines_.begin() + last + 1, text);
        endsInLineEnd_ = endsInLineEnd_ || size_t(last) + 2 == lines_.size();
    } else {
        if (!lines_.empty() && !lines_.back().trimmed().isEmpty())
            lines_.push_back(crlf_ ? "\r" : "");
        lines_.push_back("[" + line.Section + "]" + (crlf_ ? "\r" : ""));
        lines_.push_back(text);
        endsInLineEnd_ = true;
    }
}

void TIniText::Remove(const QByteArray& section, const QByteArray& key)
{
    const std::vector<QByteArray> sections = Sections();
    std::vector<QByteArray> kept;
    for (size_t i = 0; i < lines_.size(); ++i)
        if (sections[i] != section || KeyOf(lines_[i]) != key)
            kept.push_back(lines_[i]);
    lines_ = std::move(kept);
}

QByteArray TIniText::Text() const
{
    QByteArray text;
    for (size_t i = 0; i < lines_.size(); ++i) {
        text += lines_[i];
        if (i + 1 < lines_.size() || endsInLineEnd_)
            text += '\n';
    }
    return text;
}
