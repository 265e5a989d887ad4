#include "HistoryCommands.h"

#include "platform/ControlEscapes.h"
#include "platform/Exception.h"
#include "training/TrainingLog.h"

#include <QApplication>
#include <QFileInfo>
#include <QGraphicsScene>
#include <QImage>
#include <QPainter>
#include <QPen>
#include <QtCharts/QCategoryAxis>
#include <QtCharts/QChart>
#include <QtCharts/QDateTimeAxis>
#include <QtCharts/QLegend>
#include <QtCharts/QLineSeries>
#include <QtCharts/QValueAxis>

#include <algorithm>
#include <cmath>
#include <map>
#include <set>

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

QColor PlayerColour(int player) { return player == 1 ? QColor(31, 95, 191) : QColor(217, 102, 31); }

// The least round figure (1, 2 or 5 times a power of ten, times ten) at or above value.
double RoundUp(double value)
{
    if (value <= 10)
        return 10;
    const double power = std::pow(10.0, std::floor(std::log10(value)));
    for (double step : {1.0, 2.0, 5.0, 10.0})
        if (step * power >= value)
            return step * power;
    return 10 * power;
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
        if (filter.Names && !filter.Names->contains(r.Name))
            continue;
        chosen.push_back(r);
    }
    std::stable_sort(chosen.begin(), chosen.end(),
                     [](const TGameRecord& a, const TGameRecord& b) { return a.Started < b.Started; });
    return chosen;
}

void THistoryCommands::Table(const std::vector<TGameRecord>& records, std::ostream& out)
{
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

void THistoryCommands::Plot(const std::vector<TGameRecord>& records, const QString& title, const QString& path)
{
    if (records.empty())
        throw Exception("no games to plot");
    constexpr int width = 1200, height = 700;
    QGraphicsScene scene;
    auto* chart = new QChart;
    scene.addItem(chart);
    chart->setTitle(title);
    QFont titleFont = chart->titleFont();
    titleFont.setPointSize(14);
    titleFont.setBold(true);
    chart->setTitleFont(titleFont);
    chart->legend()->setAlignment(Qt::AlignBottom);

    chart->legend()->setMarkerShape(QLegend::MarkerShapeFromSeries);

    // Up to a month, each day is a band between two midnights with its name in the middle, so
    // that a game stands over the day it was played; a longer span gets dates along the axis.
    // Games stand at the time of day the player saw, wherever the record is read.
    auto wallClock = [](QDate day, QTime time) { return qreal(QDateTime(day, time, Qt::UTC).toMSecsSinceEpoch()); };
    auto midnight = [&](QDate day) { return wallClock(day, QTime(0, 0)); };
    const QDate firstDay = records.front().Started.date();
    const QDate lastDay = records.back().Started.date();
    const int days = int(firstDay.daysTo(lastDay)) + 1;
    QAbstractAxis* time;
    if (days <= 31) {
        auto* byDay = new QCategoryAxis;
        byDay->setStartValue(midnight(firstDay));
        for (QDate day = firstDay; day <= lastDay; day = day.addDays(1))
            byDay->append(day.toString(days > 10 ? "d MMM" : "ddd d MMM"), midnight(day.addDays(1)));
        byDay->setRange(midnight(firstDay), midnight(lastDay.addDays(1)));
        byDay->setLabelsPosition(QCategoryAxis::AxisLabelsPositionCenter);
        time = byDay;
    } else {
        auto* dates = new QDateTimeAxis;
        dates->setFormat("d MMM yy");
        dates->setRange(QDateTime(firstDay, QTime(0, 0), Qt::UTC), QDateTime(lastDay.addDays(1), QTime(0, 0), Qt::UTC));
        dates->setTickCount(12);
        time = dates;
    }
    time->setTitleText("Day of the game");
    chart->addAxis(time, Qt::AlignBottom);

    int mostPercent = 0, mostGrips = 0;
    for (const TGameRecord& r : records) {
        mostPercent = std::max(mostPercent, r.Percent);
        mostGrips = std::max(mostGrips, r.Grips);
    }
    auto* percent = new QValueAxis;
    percent->setTitleText("Hit rate (%), solid lines");
    percent->setRange(0, std::max(100.0, RoundUp(mostPercent)));
    percent->setTickCount(11);
    percent->setLabelFormat("%d");
    chart->addAxis(percent, Qt::AlignLeft);
    auto* grips = new QValueAxis;
    grips->setTitleText("Grips per game, dashed lines");
    grips->setRange(0, RoundUp(mostGrips));
    grips->setTickCount(11);
    grips->setLabelFormat("%d");
    chart->addAxis(grips, Qt::AlignRight);

    std::set<int> players;
    for (const TGameRecord& r : records)
        players.insert(r.Player);
    for (int player : players) {
        auto* rate = new QLineSeries;
        auto* count = new QLineSeries;
        rate->setName(QString("Player %1: hit rate").arg(player));
        count->setName(QString("Player %1: grips").arg(player));
        for (const TGameRecord& r : records) {
            if (r.Player != player)
                continue;
            const qreal when = wallClock(r.Started.date(), r.Started.time());
            rate->append(when, r.Percent);
            count->append(when, r.Grips);
        }
        QPen solid(PlayerColour(player), 3);
        QPen dashed(PlayerColour(player).lighter(130), 2, Qt::DashLine);
        rate->setPen(solid);
        count->setPen(dashed);
        for (QLineSeries* series : {rate, count}) {
            series->setPointsVisible(true);
            chart->addSeries(series);
            series->attachAxis(time);
            series->attachAxis(series == rate ? percent : grips);
        }
    }

    chart->resize(width, height);
    scene.setSceneRect(0, 0, width, height);
    // The chart lays itself out when the event loop gets to it.
    QCoreApplication::processEvents();
    QImage image(width, height, QImage::Format_RGB32);
    image.fill(Qt::white);
    {
        QPainter painter(&image);
        painter.setRenderHint(QPainter::Antialiasing);
        scene.render(&painter, QRectF(0, 0, width, height), QRectF(0, 0, width, height));
    }
    if (!image.save(path, "PNG"))
        throw Exception("Cannot write " + path.toStdString());
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
    QString title = "Training progress: " + (filter.Names ? filter.Names->back() + ", " : QString()) +
                    (filter.Song ? *filter.Song : QString("all songs"));
    if (!games.empty())
        title += ", " + games.front().Started.toString("d MMM yyyy") + " to " + games.back().Started.toString("d MMM yyyy");
    Plot(games, title, plot);
}
