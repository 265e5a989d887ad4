#include "sprites/Painting.h"

#include "sprites/StrokeFont.h"

#include <algorithm>

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

} // namespace art
