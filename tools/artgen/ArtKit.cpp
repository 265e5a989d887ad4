#include "ArtKit.h"

#include <algorithm>
#include <cmath>

namespace art {

void GlossyBall(QPainter& p, QPointF centre, double radius, const QColor& base, double outlineWidth)
{
    QPainterPath ball;
    ball.addEllipse(centre, radius, radius);
    QRadialGradient shade(centre + QPointF(-radius * 0.35, -radius * 0.4), radius * 1.45);
    shade.setColorAt(0.0, Shade(base, 1.45));
    shade.setColorAt(0.45, base);
    shade.setColorAt(1.0, Shade(base, 0.45));
    Outlined(p, ball, shade, palette::Ink, outlineWidth);
    // Rim light from below, then the window highlight.
    p.save();
    p.setClipPath(ball);
    p.setPen(QPen(Shade(base, 1.3), std::max(1.0, radius * 0.12)));
    p.setBrush(Qt::NoBrush);
    p.drawArc(QRectF(centre.x() - radius * 0.85, centre.y() - radius * 0.85, radius * 1.7, radius * 1.7), 200 * 16,
              140 * 16);
    p.restore();
    QRadialGradient gloss(centre + QPointF(-radius * 0.3, -radius * 0.45), radius * 0.45);
    gloss.setColorAt(0.0, QColor(255, 255, 255, 235));
    gloss.setColorAt(1.0, QColor(255, 255, 255, 0));
    p.setPen(Qt::NoPen);
    p.setBrush(gloss);
    p.drawEllipse(QRectF(centre.x() - radius * 0.75, centre.y() - radius * 0.85, radius * 0.9, radius * 0.7));
}

QPainterPath Star(QPointF centre, int points, double outer, double inner, double turn)
{
    QPainterPath star;
    for (int i = 0; i < points * 2; ++i) {
        const double a = turn + M_PI * i / points - M_PI / 2;
        const double r = (i % 2 == 0) ? outer : inner;
        const QPointF pt = centre + QPointF(std::cos(a) * r, std::sin(a) * r);
        if (i == 0)
            star.moveTo(pt);
        else
            star.lineTo(pt);
    }
    star.closeSubpath();
    return star;
}

} // namespace art
