// The flash of a caught ball: a tight starburst, then a wider ring of sparks.
#include "ArtKit.h"

#include <cmath>

namespace art {
namespace {

constexpr int kWidth = 56, kHeight = 50; // centred on the middle of the rule mark

QImage Burst()
{
    QImage canvas = Canvas(kWidth, kHeight);
    QPainter p;
    Begin(p, canvas);
    const QPointF c(kWidth / 2.0, kHeight / 2.0);
    QRadialGradient hot(c, 22);
    hot.setColorAt(0, QColor(255, 255, 235));
    hot.setColorAt(0.45, palette::Gold);
    hot.setColorAt(1, palette::Orange);
    Outlined(p, Star(c, 10, 23, 10), hot, palette::Magenta, 1.2);
    QRadialGradient core(c, 9);
    core.setColorAt(0, QColor(255, 255, 255));
    core.setColorAt(1, QColor(255, 240, 170));
    p.setPen(Qt::NoPen);
    p.setBrush(core);
    p.drawEllipse(c, 8, 8);
    p.end();
    return Keyed(canvas);
}

QImage Sparks()
{
    QImage canvas = Canvas(kWidth, kHeight);
    QPainter p;
    Begin(p, canvas);
    const QPointF c(kWidth / 2.0, kHeight / 2.0);
    p.setBrush(Qt::NoBrush);
    p.setPen(QPen(palette::Magenta, 4));
    p.drawEllipse(c, 20, 18);
    p.setPen(QPen(palette::Gold, 2));
    p.drawEllipse(c, 20, 18);
    for (int i = 0; i < 8; ++i) {
        const double a = M_PI * 2 * i / 8 + M_PI / 8;
        const QPointF at = c + QPointF(std::cos(a) * 22, std::sin(a) * 19);
        const QColor colour = i % 2 ? palette::Sky : palette::Cream;
        Outlined(p, Star(at, 4, 5.5, 2), colour, palette::Ink, 0.8);
    }
    p.end();
    return Keyed(canvas);
}

} // namespace

std::vector<TPicture> EffectPictures() { return {{TStore::Effect, "explode", {Burst(), Sparks()}}}; }

} // namespace art
