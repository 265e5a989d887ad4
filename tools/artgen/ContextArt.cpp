// Captions and digits: score and combo digits share one small face, the hit percentage has
// large ones, and every caption is lettered in the same rounded strokes.
#include "ArtKit.h"

#include "game/TitlePlate.h"

namespace art {
namespace {

QImage Digits(int width, int height, int digit, double capHeight, const QColor& top, const QColor& bottom,
              double outline)
{
    QImage canvas = Canvas(width, height);
    QPainter p;
    Begin(p, canvas);
    Lettering(p, QString::number(digit), QRectF(0, 0, width, height), capHeight, Vertical(0, height, top, bottom),
              palette::Ink, outline);
    p.end();
    return Keyed(canvas);
}

std::vector<QImage> DigitStrip(int width, int height, double capHeight, const QColor& top, const QColor& bottom,
                               double outline)
{
    std::vector<QImage> digits;
    for (int d = 0; d < 10; ++d)
        digits.push_back(Digits(width, height, d, capHeight, top, bottom, outline));
    return digits;
}

QImage Caption(int width, int height, const QString& text, double capHeight, const QBrush& brush, double outline)
{
    QImage canvas = Canvas(width, height);
    QPainter p;
    Begin(p, canvas);
    Lettering(p, text, QRectF(0, 0, width, height), capHeight, brush, palette::Ink, outline);
    p.end();
    return Keyed(canvas);
}

// The hit flash's word, on a small burst so it reads over anything.
QImage Ok()
{
    const int w = 46, h = 24;
    QImage canvas = Canvas(w, h);
    QPainter p;
    Begin(p, canvas);
    QPainterPath badge;
    badge.addRoundedRect(QRectF(3, 3, w - 6, h - 6), 8, 8);
    Outlined(p, badge, Vertical(3, h - 3, QColor(120, 250, 170), QColor(20, 160, 110)), palette::Ink, 1.5);
    Lettering(p, "OK!", QRectF(4, 3, w - 8, h - 6), 13, QBrush(palette::Cream), palette::Ink, 1.5);
    p.end();
    return Keyed(canvas);
}

} // namespace

std::vector<TPicture> ContextPictures()
{
    const QColor white(255, 255, 250);
    return {
        {TStore::Context, "ok", {Ok()}},
        {TStore::Context, "score", DigitStrip(10, 14, 12, white, palette::Gold, 1.0)},
        {TStore::Context, "combo",
         {Caption(52, 10, "COMBO", 8, Vertical(0, 10, palette::Cream, palette::Orange), 1.0)}},
        {TStore::Context, "qualified1", DigitStrip(30, 34, 30, palette::Cream, palette::Orange, 2.0)},
        {TStore::Context, "percentsign",
         {Caption(26, 34, "%", 22, Vertical(6, 30, palette::Cream, palette::Coral), 2.0)}},
        {TStore::Context, "songname", {TitlePlate("INVINCIBLE")}},
        {TStore::Context, "qualifiedrate",
         {Caption(64, 18, "HIT RATE", 10, Vertical(3, 14, palette::Sky, palette::Mint), 1.5)}},
    };
}

} // namespace art
