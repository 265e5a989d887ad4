#include "training/ProgressChart.h"

#include "platform/Exception.h"

#include <QCoreApplication>
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
#include <iterator>
#include <set>

namespace {

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

QString LaneName(const std::vector<TGameRecord>& records, int player)
{
    QString name;
    for (const TGameRecord& r : records) {
        if (r.Player != player)
            continue;
        if (r.Name.isEmpty() || (!name.isEmpty() && r.Name != name))
            return QString("Player %1").arg(player);
        name = r.Name;
    }
    return name;
}

// Each grip test's three figures, one dotted series each per lane, on an axis at the right.
template <typename NameOf>
void AddTestSeries(QChart& chart, QAbstractAxis& time, const std::vector<TGameRecord>& tests, NameOf nameOf)
{
    double most = 0;
    std::set<int> lanes;
    for (const TGameRecord& r : tests) {
        most = std::max({most, double(r.PeakForce), r.TestPacePerMinute.value_or(0), r.TestHoldSeconds.value_or(0)});
        lanes.insert(r.Player);
    }
    auto* axis = new QValueAxis;
    axis->setTitleText("Grip test: peak, pace a minute, seconds held (dotted)");
    axis->setRange(0, RoundUp(most));
    axis->setTickCount(11);
    axis->setLabelFormat("%d");
    chart.addAxis(axis, Qt::AlignRight);
    const struct {
        const char* name;
        Qt::PenStyle style;
        double (*figure)(const TGameRecord&);
    } figures[] = {
        {"test peak", Qt::DotLine, [](const TGameRecord& r) { return double(r.PeakForce); }},
        {"test pace", Qt::DashDotLine, [](const TGameRecord& r) { return r.TestPacePerMinute.value_or(0); }},
        {"test hold", Qt::DashDotDotLine, [](const TGameRecord& r) { return r.TestHoldSeconds.value_or(0); }},
    };
    for (int lane : lanes) {
        for (const auto& figure : figures) {
            auto* series = new QLineSeries;
            series->setName(nameOf(lanes, lane) + ": " + figure.name);
            for (const TGameRecord& r : tests)
                if (r.Player == lane)
                    series->append(qreal(QDateTime(r.Started.date(), r.Started.time(), Qt::UTC).toMSecsSinceEpoch()),
                                   figure.figure(r));
            series->setPen(QPen(PlayerColour(lane).darker(130), 2, figure.style));
            series->setPointsVisible(true);
            chart.addSeries(series);
            series->attachAxis(&time);
            series->attachAxis(axis);
        }
    }
}

} // namespace

QChart* MakeProgressChart(const std::vector<TGameRecord>& records, const QString& title, const QString& player)
{
    auto* chart = new QChart;
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

    // Grip tests are no games: their figures are a series of their own, on an axis of their own.
    std::vector<TGameRecord> games, tests;
    std::partition_copy(records.begin(), records.end(), std::back_inserter(tests), std::back_inserter(games),
                        [](const TGameRecord& r) { return r.Mode == "test"; });
    int mostPercent = 0, mostGrips = 0;
    for (const TGameRecord& r : games) {
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

    std::set<int> lanes;
    for (const TGameRecord& r : games)
        lanes.insert(r.Player);
    auto nameOf = [&](const std::set<int>& among, int lane) {
        return player.isEmpty()   ? LaneName(records, lane)
               : among.size() > 1 ? QString("%1 as player %2").arg(player).arg(lane)
                                  : player;
    };
    for (int lane : lanes) {
        auto* rate = new QLineSeries;
        auto* count = new QLineSeries;
        const QString who = nameOf(lanes, lane);
        rate->setName(who + ": hit rate");
        count->setName(who + ": grips");
        for (const TGameRecord& r : games) {
            if (r.Player != lane)
                continue;
            const qreal when = wallClock(r.Started.date(), r.Started.time());
            rate->append(when, r.Percent);
            count->append(when, r.Grips);
        }
        QPen solid(PlayerColour(lane), 3);
        QPen dashed(PlayerColour(lane).lighter(130), 2, Qt::DashLine);
        rate->setPen(solid);
        count->setPen(dashed);
        for (QLineSeries* series : {rate, count}) {
            series->setPointsVisible(true);
            chart->addSeries(series);
            series->attachAxis(time);
            series->attachAxis(series == rate ? percent : grips);
        }
    }
    if (!tests.empty())
        AddTestSeries(*chart, *time, tests, [&](const std::set<int>& among, int lane) { return nameOf(among, lane); });

    return chart;
}

void SaveProgressChart(const std::vector<TGameRecord>& records, const QString& title, const QString& path,
                       const QString& player)
{
    if (records.empty())
        throw Exception("no games to plot");
    constexpr int width = 1200, height = 700;
    QGraphicsScene scene;
    QChart* chart = MakeProgressChart(records, title, player);
    scene.addItem(chart);
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


std::vector<TGameRecord> GamesOf(const std::vector<TGameRecord>& records, const std::optional<QStringList>& names)
{
    std::vector<TGameRecord> games;
    std::copy_if(records.begin(), records.end(), std::back_inserter(games),
                 [&](const TGameRecord& r) { return !names || names->contains(r.Name); });
    std::stable_sort(games.begin(), games.end(),
                     [](const TGameRecord& a, const TGameRecord& b) { return a.Started < b.Started; });
    return games;
}

QString ProgressTitle(const std::vector<TGameRecord>& games, const QString& player, const std::optional<QString>& song)
{
    QString title = "Training progress: " + (player.isEmpty() ? QString() : player + ", ") +
                    (song ? *song : QString("all songs"));
    if (!games.empty())
        title += ", " + games.front().Started.toString("d MMM yyyy") + " to " + games.back().Started.toString("d MMM yyyy");
    return title;
}
