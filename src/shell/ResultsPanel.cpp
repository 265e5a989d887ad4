#include "shell/ResultsPanel.h"

#include "game/TitlePlate.h"
#include "sprites/Painting.h"
#include "sprites/StrokeFont.h"

#include <QPainter>

#include <algorithm>

namespace {

using namespace art;

constexpr double kOutline = 1.0;
constexpr double kCap = 5, kRowStep = 8;

// Text in the game's lettering with its top at y, from x rightwards (or ending at x), narrowed
// to fit within room.
void Letter(QPainter& p, const QString& text, double x, double y, double cap, const QBrush& brush, bool right = false,
            double room = 0)
{
    QPainterPath path = StrokeText(text, cap);
    QRectF bounds = path.boundingRect();
    if (room > 0 && bounds.width() > room) {
        const double scale = room / bounds.width();
        path = StrokeText(text, cap * scale);
        path.translate(0, (cap - cap * scale) / 2);
        bounds = path.boundingRect();
    }
    path.translate(right ? x - bounds.right() : x - bounds.left(), y);
    Outlined(p, path, brush, palette::Ink, kOutline);
}

QString Signed(int n) { return (n > 0 ? "+" : "") + QString::number(n); }

QString Percent(double rate) { return QString::number(std::lround(rate * 100)) + "%"; }

QColor GradeColour(const QString& grade)
{
    if (grade == "S")
        return palette::Gold;
    if (grade == "A")
        return palette::Mint;
    if (grade == "B")
        return palette::Sky;
    if (grade == "C")
        return palette::Orange;
    return palette::Coral;
}

// Gains in mint, losses in coral.
QColor Change(std::optional<int> change)
{
    return !change || *change == 0 ? palette::Cream : *change > 0 ? palette::Mint : palette::Coral;
}

// The hit rates of the last games as bars, this game's the last and in gold.
void Chart(QPainter& p, const QRectF& box, const std::vector<double>& rates)
{
    constexpr int kSlots = 10;
    const double slot = box.width() / kSlots;
    p.setPen(QPen(Shade(palette::Indigo, 1.3), 1));
    for (double line : {0.5, 1.0})
        p.drawLine(QPointF(box.left(), box.bottom() - box.height() * line + 0.5),
                   QPointF(box.right(), box.bottom() - box.height() * line + 0.5));
    const size_t shown = std::min(rates.size(), size_t(kSlots));
    for (size_t i = 0; i < shown; ++i) {
        const double rate = std::clamp(rates[rates.size() - shown + i], 0.0, 1.0);
        const double height = std::max(1.5, box.height() * rate);
        QPainterPath bar;
        bar.addRoundedRect(QRectF(box.left() + slot * double(i) + 1.5, box.bottom() - height, slot - 3, height), 1.5, 1.5);
        const bool last = i + 1 == shown;
        Outlined(p, bar, Vertical(box.bottom() - height, box.bottom(), last ? palette::Gold : palette::Teal,
                                  last ? palette::Orange : Shade(palette::Teal, 0.7)),
                 palette::Ink, 0.8);
    }
    p.setPen(QPen(palette::Cream, 1));
    p.drawLine(QPointF(box.left(), box.bottom() + 0.5), QPointF(box.right(), box.bottom() + 0.5));
}

} // namespace

QImage ResultsPlate(const TResultsFigures& f, QSize size)
{
    QImage canvas = Canvas(size.width(), size.height());
    QPainter p;
    Begin(p, canvas);
    const double w = size.width(), h = size.height();
    QPainterPath plate;
    plate.addRoundedRect(QRectF(1, 1, w - 2, h - 2), 7, 7);
    Outlined(p, plate, Vertical(0, h, palette::Night, palette::Ink), palette::Gold, 1.0);

    // The grade in its badge, and the hit rate beside it, large.
    const QRectF badge(5, (h - 30) / 2, 30, 30);
    QPainterPath disc;
    disc.addEllipse(badge);
    const QColor colour = GradeColour(f.Grade);
    Outlined(p, disc, Vertical(badge.top(), badge.bottom(), Shade(colour, 1.3), Shade(colour, 0.55)), palette::Ink, 1.5);
    Lettering(p, f.Grade.isEmpty() ? "-" : f.Grade, badge, 15, palette::Cream, palette::Ink, 1.5);
    const QRectF rate(38, 5, 44, 12);
    Lettering(p, f.HitRate ? Percent(*f.HitRate) : "-", rate, 10, Vertical(5, 17, palette::Cream, palette::Gold),
              palette::Ink, 1.0);
    Lettering(p, QString("%1/%2").arg(f.BallsHit).arg(f.Balls), QRectF(38, 20, 44, 7), 5, palette::Cream, palette::Ink,
              kOutline);
    const QString since = f.FirstGame ? "FIRST GAME" : f.HitRateChange ? Signed(*f.HitRateChange) + "%" : "";
    Lettering(p, since, QRectF(38, 30, 44, 7), 5, Change(f.HitRateChange), palette::Ink, kOutline);

    // The rest in rows: caption, figure, and its change since last time.
    constexpr double kLeft = 86, kFigureRight = 156, kChangeRight = 178;
    double y = 4;
    Letter(p, PlateLettering(f.Player), kLeft, y, 6, Vertical(y, y + 6, palette::Cream, palette::Gold), false,
           kChangeRight - kLeft);
    y += 9;
    auto row = [&](const QString& caption, const QString& figure, std::optional<int> change) {
        Letter(p, caption, kLeft, y, kCap, palette::Sky);
        Letter(p, figure, kFigureRight, y, kCap, palette::Cream, true, kFigureRight - kLeft - 34);
        if (change)
            Letter(p, Signed(*change), kChangeRight, y, kCap, Change(change), true, kChangeRight - kFigureRight - 2);
        y += kRowStep;
    };
    row("COMBO", QString::number(f.LongestCombo), std::nullopt);
    row("GRIPS/MIN", f.GripsPerMinute ? QString::number(*f.GripsPerMinute) : "-", f.GripsPerMinuteChange);
    row("FORCE", f.MeanForce ? QString("%1/%2").arg(f.PeakForce).arg(*f.MeanForce) : QString::number(f.PeakForce),
        f.PeakChange);
    if (f.TimingMeanMs && f.TimingSpreadMs)
        row("TIMING", QString("%1/%2 MS").arg(Signed(*f.TimingMeanMs)).arg(*f.TimingSpreadMs), std::nullopt);

    // The last games' hit rates at the right.
    const QRectF chart(184, 12, w - 184 - 6, h - 12 - 6);
    Lettering(p, "LAST 10", QRectF(chart.left(), 3, chart.width(), 6), 4, palette::Sky, palette::Ink, kOutline);
    Chart(p, chart, f.LastRates);
    p.end();
    return canvas;
}

QRect TResultsPanel::Area(int lane)
{
    // Over the lane's own track, left of its ring: no ball runs there once the song has ended,
    // and the player's figure, toys and numbers all stand above or right of it. Player two's
    // lane lies 173 pixels below player one's.
    return QRect(37, 111 + (lane == 1 ? 173 : 0), 232, 44);
}

bool TResultsPanel::OnLane(int lane) const
{
    return std::any_of(figures_.begin(), figures_.end(), [&](const TResultsFigures& f) { return f.Lane == lane; });
}

void TResultsPanel::Show(const std::vector<TResultsFigures>& figures)
{
    if (figures == figures_)
        return;
    figures_ = figures;
    plates_.clear();
    const std::vector<QRect> areas = Areas();
    for (size_t i = 0; i < figures_.size(); ++i)
        plates_.push_back(ResultsPlate(figures_[i], areas[i].size()));
}

std::vector<QRect> TResultsPanel::Areas() const
{
    std::vector<QRect> areas;
    for (const TResultsFigures& f : figures_)
        areas.push_back(Area(f.Lane));
    return areas;
}

void TResultsPanel::Draw(QImage& surface) const
{
    if (plates_.empty() || surface.isNull())
        return;
    QPainter p(&surface);
    const std::vector<QRect> areas = Areas();
    for (size_t i = 0; i < plates_.size(); ++i)
        p.drawImage(areas[i].topLeft(), plates_[i]);
}
