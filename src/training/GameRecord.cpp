#include "training/GameRecord.h"

#include "platform/TextFields.h"

#include <QFile>

#include <cmath>
#include <cstdlib>
#include <initializer_list>

namespace {

const char* const kColumns[] = {"started", "song",  "player", "input", "seconds", "melody_speed", "easy_mode",
                                "only_blue", "small_shift", "balls", "balls_hit", "hits", "percent",
                                "longest_combo", "score", "grips", "peak_force", "mean_grip_force",
                                "calibrated_peak", "name", "level", "mode", "session", "test_pace_per_minute",
                                "test_hold_seconds", "timing_mean_ms", "timing_spread_ms"};
constexpr int kColumnCount = int(std::size(kColumns));
// What the first files had; every line has at least these.
constexpr int kFirstColumnCount = 19;

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

QString Optional(const std::optional<double>& value) { return value ? Number(*value) : QString(); }

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

bool Real(const QString& text, double& value, double high, double low = 0)
{
    bool ok = false;
    value = text.toDouble(&ok);
    return ok && std::isfinite(value) && value >= low && value <= high;
}

// An empty field is none.
bool OptionalReal(const QString& text, std::optional<double>& value, double high, double low = 0)
{
    if (text.isEmpty())
        return true;
    double real = 0;
    if (!Real(text, real, high, low))
        return false;
    value = real;
    return true;
}

bool OneOf(const QString& text, std::initializer_list<const char*> words)
{
    for (const char* word : words)
        if (text == QLatin1String(word))
            return true;
    return false;
}

// The number of leading column names the line holds, when it is nothing but those.
int HeaderColumns(const QString& line)
{
    const QStringList names = line.split(',');
    if (names.size() < kFirstColumnCount || names.size() > kColumnCount)
        return 0;
    for (int i = 0; i < names.size(); ++i)
        if (names[i] != QLatin1String(kColumns[i]))
            return 0;
    return int(names.size());
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

bool IsRecordHeader(const QString& line) { return HeaderColumns(line) > 0; }

bool IsOlderRecordHeader(const QString& line)
{
    const int columns = HeaderColumns(line);
    return columns > 0 && columns < kColumnCount;
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
        Text(r.Name),
        Text(r.Level),
        Text(r.Mode),
        r.Session ? IsoLocalTime(*r.Session) : QString(),
        Optional(r.TestPacePerMinute),
        Optional(r.TestHoldSeconds),
        Optional(r.TimingMeanMs),
        Optional(r.TimingSpreadMs),
    };
    return fields.join(',');
}

std::optional<TGameRecord> ParseRecordLine(const QString& line)
{
    std::optional<QStringList> fields = Fields(line);
    if (!fields || fields->size() < kFirstColumnCount || fields->size() > kColumnCount)
        return std::nullopt;
    while (fields->size() < kColumnCount)
        fields->append(QString());
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
    r.Name = FromText(f[19]);
    r.Level = f[20];
    r.Mode = f[21];
    if (!OneOf(r.Level, {"", "easy", "normal", "hard", "map"}) || !OneOf(r.Mode, {"", "game", "test"}))
        return std::nullopt;
    if (!f[22].isEmpty()) {
        r.Session = QDateTime::fromString(f[22], Qt::ISODate);
        if (!r.Session->isValid())
            return std::nullopt;
    }
    constexpr double hour = 3600, msHour = 3600 * 1000;
    if (!OptionalReal(f[23], r.TestPacePerMinute, 6000) || !OptionalReal(f[24], r.TestHoldSeconds, hour) ||
        !OptionalReal(f[25], r.TimingMeanMs, msHour, -msHour) || !OptionalReal(f[26], r.TimingSpreadMs, msHour))
        return std::nullopt;
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
        if (line.isEmpty() || IsRecordHeader(line))
            continue;
        if (std::optional<TGameRecord> record = ParseRecordLine(line))
            result.Records.push_back(std::move(*record));
        else
            ++result.Damaged;
    }
    return result;
}
