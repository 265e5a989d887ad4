#include "ArtKit.h"

#include "StrokeFont.h"

#include <algorithm>
#include <cmath>

namespace art {

QImage Canvas(int width, int height)
{
    QImage canvas(width, height, QImage::Format_ARGB32_Premultiplied);
    canvas.fill(Qt::transparent);
    return canvas;
}

void Begin(QPainter& p, QImage& canvas)
{
    p.begin(&canvas);
    p.setRenderHint(QPainter::Antialiasing);
    p.setRenderHint(QPainter::SmoothPixmapTransform);
}

QImage Keyed(const QImage& canvas)
{
    const QImage argb = canvas.convertToFormat(QImage::Format_ARGB32);
    QImage out(argb.size(), QImage::Format_RGB32);
    for (int y = 0; y < argb.height(); ++y) {
        const QRgb* in = reinterpret_cast<const QRgb*>(argb.constScanLine(y));
        QRgb* o = reinterpret_cast<QRgb*>(out.scanLine(y));
        for (int x = 0; x < argb.width(); ++x) {
            const QRgb c = in[x];
            if (qAlpha(c) < 110) {
                o[x] = qRgb(0, 0, 0);
                continue;
            }
            const int r = qRed(c), g = qGreen(c), b = qBlue(c);
            o[x] = (r | g | b) == 0 ? qRgb(1, 1, 2) : qRgb(r, g, b);
        }
    }
    return out;
}

void Outlined(QPainter& p, const QPainterPath& path, const QBrush& brush, const QColor& outline, double outlineWidth)
{
    if (outlineWidth > 0) {
        p.strokePath(path, QPen(outline, outlineWidth * 2, Qt::SolidLine, Qt::RoundCap, Qt::RoundJoin));
    }
    p.fillPath(path, brush);
}

QColor Shade(const QColor& c, double factor)
{
    if (factor >= 1.0) {
        const double t = std::min(1.0, factor - 1.0);
        return QColor::fromRgbF(c.redF() + (1 - c.redF()) * t, c.greenF() + (1 - c.greenF()) * t,
                                c.blueF() + (1 - c.blueF()) * t);
    }
    return QColor::fromRgbF(c.redF() * factor, c.greenF() * factor, c.blueF() * factor);
}

QLinearGradient Vertical(double top, double bottom, const QColor& from, const QColor& to)
{
    QLinearGradient g(0, top, 0, bottom);
    g.setColorAt(0, from);
    g.setColorAt(1, to);
    return g;
}

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

void Lettering(QPainter& p, const QString& text, const QRectF& box, double capHeight, const QBrush& brush,
               const QColor& outline, double outlineWidth, double weight)
{
    QPainterPath path = StrokeText(text, capHeight, weight);
    QRectF bounds = path.boundingRect();
    const double room = box.width() - outlineWidth * 2;
    if (bounds.width() > room && bounds.width() > 0) {
        const double scale = room / bounds.width();
        path = StrokeText(text, capHeight * scale, weight * scale);
        bounds = path.boundingRect();
    }
    path.translate(box.center() - bounds.center());
    Outlined(p, path, brush, outline, outlineWidth);
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
