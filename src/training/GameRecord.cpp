#include "training/GameRecord.h"

#include "platform/TextFields.h"

#include <QFile>

#include <cmath>
#include <cstdlib>

namespace {

const char* const kColumns[] = {"started", "song",  "player", "input", "seconds", "melody_speed", "easy_mode",
                                "only_blue", "small_shift", "balls", "balls_hit", "hits", "percent",
                                "longest_combo", "score", "grips", "peak_force", "mean_grip_force",
                                "calibrated_peak"};
constexpr int kColumnCount = int(std::size(kColumns));
// Timing comes last of the columns a record line can hold, after six of other features: a line
// with timing has them all, whatever the header says yet, and one without stops as before.
constexpr int kTimingColumn = kColumnCount + 6;

// A spreadsheet opening the file runs a field that starts like a formula (a song named
// "=cmd|..."). Such a field is written behind a quote, which the spreadsheet shows as text;
// quotes already in front of it count, so that reading takes exactly the one added away.
bool FormulaLike(const QString& text)
{
    qsizetype start = 0;
    while (start < text.size() && text[start] == '\'')
        ++start;
    return start < text.size() && QStringLiteral("=+-@\t").contains(text[start]);
}

// A text field as CSV wants it: quoted when it holds a comma, a quote or a blank at its ends,
// or starts like a formula; a line end would split the record, so none is kept.
QString Text(QString text)
{
    text.replace('\r', ' ').replace('\n', ' ');
    if (FormulaLike(text))
        text.prepend('\'');
    else if (!text.contains(',') && !text.contains('"') && text.trimmed() == text)
        return text;
    return '"' + text.replace("\"", "\"\"") + '"';
}

// A text field as it was before Text.
QString FromText(QString field)
{
    if (field.startsWith('\'') && FormulaLike(field))
        field.remove(0, 1);
    return field;
}

QString Number(double value) { return QString::number(value, 'f', 1); }

// The fields of one CSV line; none when a quote is left open.
std::optional<QStringList> Fields(const QString& line)
{
    const TSplitFields split = SplitFields(line.toStdString(), TFieldBlanks::Keep);
    if (split.Unclosed)
        return std::nullopt;
    QStringList fields;
    for (const std::string& field : split.Fields)
        fields.append(QString::fromStdString(field));
    return fields;
}

bool Int(const QString& text, int& value, int low, int high)
{
    bool ok = false;
    value = text.toInt(&ok);
    return ok && value >= low && value <= high;
}

bool Flag(const QString& text, bool& value)
{
    value = text == "1";
    return text == "0" || text == "1";
}

bool Real(const QString& text, double& value, double high)
{
    bool ok = false;
    value = text.toDouble(&ok);
    return ok && std::isfinite(value) && value >= 0 && value <= high;
}

// One value per input, joined by '+' as the inputs are; a field of nothing but empty values
// is left empty.
QString Peaks(const std::vector<std::optional<int>>& peaks)
{
    QStringList values;
    bool any = false;
    for (const std::optional<int>& peak : peaks) {
        values.append(peak ? QString::number(*peak) : QString());
        any = any || peak;
    }
    return any ? values.join('+') : QString();
}

bool ParsePeaks(const QString& text, std::vector<std::optional<int>>& peaks)
{
    if (text.isEmpty())
        return true;
    for (const QString& value : text.split('+')) {
        int peak = 0;
        if (!value.isEmpty() && !Int(value, peak, 1, 255))
            return false;
        peaks.push_back(value.isEmpty() ? std::nullopt : std::optional(peak));
    }
    return true;
}

} // namespace

QString RecordHeader()
{
    QStringList names;
    for (const char* name : kColumns)
        names.append(name);
    return names.join(',');
}

QString IsoLocalTime(const QDateTime& time)
{
    const int offset = time.offsetFromUtc();
    const int minutes = std::abs(offset) / 60;
    return time.toString("yyyy-MM-ddTHH:mm:ss") + (offset < 0 ? '-' : '+') +
           QString::asprintf("%02d:%02d", minutes / 60, minutes % 60);
}

QString RecordLine(const TGameRecord& r)
{
    const QStringList fields = {
        IsoLocalTime(r.Started),
        Text(r.Song),
        QString::number(r.Player),
        Text(r.Input),
        Number(r.Seconds),
        QString::number(r.MelodySpeed),
        QString::number(int(r.EasyMode)),
        QString::number(int(r.OnlyBlue)),
        QString::number(int(r.SmallShift)),
        QString::number(r.Balls),
        QString::number(r.BallsHit),
        QString::number(r.Hits),
        QString::number(r.Percent),
        QString::number(r.LongestCombo),
        QString::number(r.Score),
        QString::number(r.Grips),
        QString::number(r.PeakForce),
        r.MeanGripForce ? Number(*r.MeanGripForce) : QString(),
        Peaks(r.CalibratedPeaks),
    };
    if (!r.TimingMeanMs || !r.TimingSpreadMs)
        return fields.join(',');
    return fields.join(',') + QString(kTimingColumn - kColumnCount, ',') + ',' + Number(*r.TimingMeanMs) + ',' +
           Number(*r.TimingSpreadMs);
}

std::optional<TGameRecord> ParseRecordLine(const QString& line)
{
    const std::optional<QStringList> fields = Fields(line);
    if (!fields || (fields->size() != kColumnCount && fields->size() != kTimingColumn + 2))
        return std::nullopt;
    const QStringList& f = *fields;
    TGameRecord r;
    r.Started = QDateTime::fromString(f[0], Qt::ISODate);
    r.Song = FromText(f[1]);
    r.Input = FromText(f[3]);
    constexpr int big = 1 << 30;
    bool ok = r.Started.isValid() && Int(f[2], r.Player, 1, 2) && Real(f[4], r.Seconds, TGameRecord::MostSeconds) &&
              Int(f[5], r.MelodySpeed, 1, 1000) && Flag(f[6], r.EasyMode) && Flag(f[7], r.OnlyBlue) &&
              Flag(f[8], r.SmallShift) && Int(f[9], r.Balls, 0, big) && Int(f[10], r.BallsHit, 0, big) &&
              Int(f[11], r.Hits, 0, big) && Int(f[12], r.Percent, 0, big) && Int(f[13], r.LongestCombo, 0, big) &&
              Int(f[14], r.Score, 0, big) && Int(f[15], r.Grips, 0, big) && Int(f[16], r.PeakForce, 0, 255);
    if (ok && !f[17].isEmpty()) {
        double mean = 0;
        ok = Real(f[17], mean, 255);
        r.MeanGripForce = mean;
    }
    if (!ok || !ParsePeaks(f[18], r.CalibratedPeaks))
        return std::nullopt;
    if (f.size() > kTimingColumn) {
        double mean = 0, spread = 0;
        bool meanOk = false;
        mean = f[kTimingColumn].toDouble(&meanOk);
        if (!meanOk || !std::isfinite(mean) || std::abs(mean) > 10'000 || !Real(f[kTimingColumn + 1], spread, 10'000))
            return std::nullopt;
        r.TimingMeanMs = mean;
        r.TimingSpreadMs = spread;
    }
    return r;
}

TRecordFile ReadRecordFile(const QString& path)
{
    QFile file(path);
    if (!file.open(QIODevice::ReadOnly)) {
        TRecordFile missing;
        missing.Missing = true;
        return missing;
    }
    return ReadRecordText(file.readAll());
}

TRecordFile ReadRecordText(const QByteArray& bytes)
{
    TRecordFile result;
    const QString header = RecordHeader();
    qsizetype start = 0;
    while (start < bytes.size()) {
        const qsizetype end = bytes.indexOf('\n', start);
        // Every whole line ends in a line end: one without it was cut while it was written.
        if (end < 0) {
            ++result.Damaged;
            break;
        }
        QString line = QString::fromUtf8(bytes.constData() + start, end - start);
        start = end + 1;
        if (line.endsWith('\r'))
            line.chop(1);
        if (line.isEmpty() || line == header)
            continue;
        if (std::optional<TGameRecord> record = ParseRecordLine(line))
            result.Records.push_back(std::move(*record));
        else
            ++result.Damaged;
    }
    return result;
}
