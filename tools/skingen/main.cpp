// Writes skin.bmp (462 x 363, 24 bits) and viewport.bmp (461 x 362, 8 bits) into the folder
// given as the only argument. The skin is pure black outside a rounded outline and has exactly
// one run of skin pixels in each of its first 360 rows; its last 3 rows are black.
#include <QGuiApplication>
#include <QImage>
#include <QLinearGradient>
#include <QPainter>
#include <QRadialGradient>

#include <algorithm>
#include <cmath>
#include <cstdio>

namespace {

constexpr int kSkinWidth = 462;
constexpr int kSkinHeight = 363;
constexpr int kOutlineRows = 360;
constexpr double kCorner = 28.0;

// How far the rounded outline stands in from both sides on row y.
int Inset(int y)
{
    const double fromTop = y + 0.5;
    const double fromBottom = kOutlineRows - y - 0.5;
    const double d = std::min(fromTop, fromBottom);
    if (d >= kCorner)
        return 0;
    const double dy = kCorner - d;
    return static_cast<int>(std::ceil(kCorner - std::sqrt(kCorner * kCorner - dy * dy)));
}

// Nothing inside the outline may be pure black, or the window region would have holes.
QRgb NeverBlack(QRgb c)
{
    if (qRed(c) == 0 && qGreen(c) == 0 && qBlue(c) == 0)
        return qRgb(1, 1, 1);
    return c;
}

QImage Skin()
{
    QImage art(kSkinWidth, kSkinHeight, QImage::Format_RGB32);
    art.fill(Qt::black);
    {
        QPainter p(&art);
        p.setRenderHint(QPainter::Antialiasing);
        QLinearGradient body(0, 0, 0, kOutlineRows);
        body.setColorAt(0.0, QColor(58, 36, 110));
        body.setColorAt(0.5, QColor(24, 64, 120));
        body.setColorAt(1.0, QColor(20, 96, 110));
        p.fillRect(QRect(0, 0, kSkinWidth, kOutlineRows), body);
        QRadialGradient glow(kSkinWidth / 2.0, kOutlineRows / 2.0, kSkinWidth / 1.6);
        glow.setColorAt(0.0, QColor(255, 255, 255, 40));
        glow.setColorAt(1.0, QColor(255, 255, 255, 0));
        p.fillRect(QRect(0, 0, kSkinWidth, kOutlineRows), glow);
        p.setPen(QPen(QColor(150, 200, 255), 3));
        p.drawRoundedRect(QRectF(3, 3, kSkinWidth - 6, kOutlineRows - 6), kCorner - 4, kCorner - 4);
        // Minimise and close marks, where the window's hit areas fall on the presented skin.
        p.setPen(QPen(QColor(255, 230, 120), 2));
        p.drawLine(QPointF(395, 3), QPointF(401, 3));
        p.setPen(QPen(QColor(255, 120, 110), 2));
        p.drawLine(QPointF(403, 12), QPointF(408, 19));
        p.drawLine(QPointF(408, 12), QPointF(403, 19));
    }
    QImage skin(kSkinWidth, kSkinHeight, QImage::Format_RGB888);
    skin.fill(Qt::black);
    for (int y = 0; y < kOutlineRows; ++y) {
        const int inset = Inset(y);
        for (int x = inset; x < kSkinWidth - inset; ++x)
            skin.setPixel(x, y, NeverBlack(art.pixel(x, y)));
    }
    return skin;
}

QImage Viewport()
{
    QImage art(461, 362, QImage::Format_RGB32);
    QPainter p(&art);
    QLinearGradient g(0, 0, 461, 362);
    g.setColorAt(0.0, QColor(30, 30, 60));
    g.setColorAt(1.0, QColor(60, 90, 120));
    p.fillRect(art.rect(), g);
    p.setPen(QColor(120, 160, 220));
    for (int x = 0; x < 461; x += 24)
        p.drawLine(x, 0, x, 361);
    for (int y = 0; y < 362; y += 24)
        p.drawLine(0, y, 460, y);
    p.end();
    return art.convertToFormat(QImage::Format_Indexed8, Qt::ThresholdDither);
}

} // namespace

int main(int argc, char** argv)
{
    if (argc != 2) {
        std::fprintf(stderr, "usage: skingen OUTPUT_FOLDER\n");
        return 1;
    }
    qputenv("QT_QPA_PLATFORM", "offscreen");
    QGuiApplication app(argc, argv);
    const QString out = QString::fromLocal8Bit(argv[1]);
    if (!Skin().save(out + "/skin.bmp", "BMP") || !Viewport().save(out + "/viewport.bmp", "BMP")) {
        std::fprintf(stderr, "skingen: cannot write into %s\n", argv[1]);
        return 1;
    }
    return 0;
}
