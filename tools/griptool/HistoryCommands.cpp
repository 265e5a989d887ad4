#include "HistoryCommands.h"

#include "platform/ControlEscapes.h"
#include "platform/Exception.h"
#include "training/ProgressChart.h"
#include "training/TrainingLog.h"

#include <QFileInfo>

#include <algorithm>
#include <cmath>
#include <map>

namespace {

QString Options(const TGameRecord& r)
{
    QStringList options;
    if (r.EasyMode)
        options << "easy";
    if (r.OnlyBlue)
        options << "blue";
    if (r.SmallShift)
        options << "small";
    return options.isEmpty() ? "-" : options.join('+');
}

// Names come from a file anyone can edit; none may reach the terminal raw.
QString Shown(const QString& name) { return QString::fromStdString(EscapeControls(name.toStdString())); }

// The peak of each input, "-" for one on the game's own scale.
QString Calibrated(const TGameRecord& r)
{
    QStringList peaks;
    for (const std::optional<int>& peak : r.CalibratedPeaks)
        peaks << (peak ? QString::number(*peak) : "-");
    return peaks.isEmpty() ? "-" : peaks.join('+');
}

QString Duration(double seconds)
{
    const int s = int(std::lround(seconds));
    return QString::asprintf("%d:%02d", s / 60, s % 60);
}

// Columns as wide as their widest cell; text to the left, figures to the right.
void PrintTable(const QStringList& header, const std::vector<QStringList>& rows, int textColumns,
                std::ostream& out)
{
    std::vector<qsizetype> widths(size_t(header.size()));
    for (const QStringList& row : rows)
        for (int i = 0; i < row.size(); ++i)
            widths[size_t(i)] = std::max(widths[size_t(i)], row[i].size());
    for (int i = 0; i < header.size(); ++i)
        widths[size_t(i)] = std::max(widths[size_t(i)], header[i].size());
    auto print = [&](const QStringList& row) {
        QString line;
        for (int i = 0; i < row.size(); ++i) {
            const int width = int(widths[size_t(i)]);
            line += i < textColumns ? row[i].leftJustified(width) : row[i].rightJustified(width);
            if (i + 1 < row.size())
                line += "  ";
        }
        out << line.trimmed().toStdString() << '\n';
    };
    print(header);
    for (const QStringList& row : rows)
        print(row);
}

// A therapist types the song as they know it: "invincible" finds "invincible.mid".
bool SameSong(const QString& recorded, const QString& asked)
{
    return recorded == asked || QFileInfo(recorded).completeBaseName().compare(asked, Qt::CaseInsensitive) == 0;
}

} // namespace

std::vector<TGameRecord> THistoryCommands::Select(const std::vector<TGameRecord>& records, const TFilter& filter)
{
    std::vector<TGameRecord> chosen;
    for (const TGameRecord& r : records) {
        if (filter.Since && r.Started.date() < *filter.Since)
            continue;
        if (filter.Song && !SameSong(r.Song, *filter.Song))
            continue;
        chosen.push_back(r);
    }
    return GamesOf(chosen, filter.Names);
}

namespace {

// The grip tests, apart from the games: each one's three figures.
void TestTable(const std::vector<const TGameRecord*>& tests, std::ostream& out)
{
    const QStringList header = {"started", "test", "player", "name", "input", "peak", "pace /min", "held s"};
    std::vector<QStringList> rows;
    for (const TGameRecord* r : tests)
        rows.push_back({r->Started.toString("yyyy-MM-dd HH:mm"), "test", QString::number(r->Player),
                        r->Name.isEmpty() ? "-" : Shown(r->Name), Shown(r->Input), QString::number(r->PeakForce),
                        r->TestPacePerMinute ? QString::number(*r->TestPacePerMinute, 'f', 0) : "-",
                        r->TestHoldSeconds ? QString::number(*r->TestHoldSeconds, 'f', 1) : "-"});
    PrintTable(header, rows, 5, out);
}

} // namespace

void THistoryCommands::Table(const std::vector<TGameRecord>& all, std::ostream& out)
{
    std::vector<TGameRecord> records;
    std::vector<const TGameRecord*> tests;
    for (const TGameRecord& r : all) {
        if (r.Mode == "test")
            tests.push_back(&r);
        else
            records.push_back(r);
    }
    if (!tests.empty()) {
        if (!records.empty())
            Table(records, out);
        out << "Grip tests:\n";
        TestTable(tests, out);
        return;
    }
    const QStringList header = {"started", "song", "player", "input", "played", "speed", "options", "balls",
                                "hit", "hit %", "combo", "score", "grips", "peak", "mean", "calibrated"};
    std::vector<QStringList> rows;
    for (const TGameRecord& r : records) {
        rows.push_back({r.Started.toString("yyyy-MM-dd HH:mm"), Shown(r.Song), QString::number(r.Player), Shown(r.Input),
                        Duration(r.Seconds), QString::number(r.MelodySpeed) + " %", Options(r),
                        QString::number(r.Balls), QString::number(r.BallsHit), QString::number(r.Percent),
                        QString::number(r.LongestCombo), QString::number(r.Score), QString::number(r.Grips),
                        QString::number(r.PeakForce),
                        r.MeanGripForce ? QString::number(*r.MeanGripForce, 'f', 1) : "-",
                        Calibrated(r)});
    }
    PrintTable(header, rows, 7, out);
    std::map<int, std::vector<const TGameRecord*>> byPlayer;
    for (const TGameRecord& r : records)
        byPlayer[r.Player].push_back(&r);
    for (const auto& [player, games] : byPlayer) {
        const TGameRecord& first = *games.front();
        const TGameRecord& last = *games.back();
        if (games.size() == 1) {
            out << QString("Player %1: 1 game on %2; hit rate %3 %, grips %4")
                       .arg(player)
                       .arg(first.Started.toString("yyyy-MM-dd"))
                       .arg(first.Percent)
                       .arg(first.Grips)
                       .toStdString()
                << '\n';
            continue;
        }
        out << QString("Player %1: %2 games from %3 to %4; hit rate %5 % then %6 %, grips %7 then %8")
                   .arg(player)
                   .arg(games.size())
                   .arg(first.Started.toString("yyyy-MM-dd"), last.Started.toString("yyyy-MM-dd"))
                   .arg(first.Percent)
                   .arg(last.Percent)
                   .arg(first.Grips)
                   .arg(last.Grips)
                   .toStdString()
            << '\n';
    }
}

void THistoryCommands::Plot(const std::vector<TGameRecord>& records, const QString& title, const QString& path,
                            const QString& player)
{
    SaveProgressChart(records, title, path, player);
}

void THistoryCommands::History(const QString& file, const TFilter& filter, const QString& plot, std::ostream& out,
                               std::ostream& err)
{
    // The files set aside when the record gained columns hold the older games.
    for (const QString& part : RecordFiles(file)) {
        const int damaged = ReadRecordFile(part).Damaged;
        if (damaged)
            err << damaged << (damaged == 1 ? " line" : " lines") << " of " << part.toStdString() << " could not be read and "
                << (damaged == 1 ? "was" : "were") << " left out\n";
    }
    const TRecordFile record = ReadRecordFiles(file);
    if (record.Missing && !plot.isEmpty())
        throw Exception("No training record at " + file.toStdString());
    if (record.Missing) {
        out << "No training record at " << file.toStdString() << " yet: it is written when a game ends.\n";
        return;
    }
    const std::vector<TGameRecord> games = Select(record.Records, filter);
    if (games.empty())
        out << "No games recorded" << (filter.Since || filter.Song || filter.Names ? " that match" : "") << ".\n";
    else
        Table(games, out);
    if (plot.isEmpty())
        return;
    const QString player = filter.Names ? filter.Names->back() : QString();
    Plot(games, ProgressTitle(games, player, filter.Song), plot, player);
}
