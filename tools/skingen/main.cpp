// Writes skin.bmp (462 x 363, 24 bits) and viewport.bmp (461 x 362, 8 bits) into the folder
// given as the only argument, and the menu icon as hicolor/NxN/apps/griprhythm.png there.
// The skin is pure black outside a rounded outline and has exactly one run of skin pixels in
// each of its first 360 rows; its last 3 rows are black. The game
// draws it at (-2, 11) on its surface, so the window's minimise area (390..400, 5..16 there)
// falls on skin pixels 393..401 x 0..4 and the close area (398..409, 20..33) on 401..410 x 10..21.
#include <QDir>
#include <QGuiApplication>
#include <QImage>
#include <QLinearGradient>
#include <QPainter>
#include <QPainterPath>
#include <QRadialGradient>

#include "sprites/StrokeFont.h"

#include <algorithm>
#include <cmath>
#include <cstdio>
#include <vector>

namespace {

constexpr int kSkinWidth = 462;
constexpr int kSkinHeight = 363;
constexpr int kOutlineRows = 360;
constexpr double kCorner = 28.0;
// The sizes desktops and software centres look for in the hicolor theme.
constexpr int kIconSizes[] = {16, 24, 32, 48, 64, 128, 256};

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

// The frame's colours, shared with the game's pictures.
const QColor kInk(34, 20, 62);
const QColor kGold(255, 208, 80);
const QColor kCream(255, 244, 214);
const QColor kCoral(255, 120, 110);

// A recessed well behind one player's scenery; its gold lip shows round the scenery's edge.
void Well(QPainter& p, const QRectF& box)
{
    QPainterPath well;
    well.addRoundedRect(box, 8, 8);
    p.fillPath(well, QColor(30, 20, 70));
    p.strokePath(well, QPen(kInk, 3));
    p.strokePath(well, QPen(kGold, 1.5));
}

void Lettered(QPainter& p, const QString& text, QPointF centre, double capHeight)
{
    QPainterPath path = art::StrokeText(text, capHeight);
    path.translate(centre - path.boundingRect().center());
    p.strokePath(path, QPen(kInk, 3, Qt::SolidLine, Qt::RoundCap, Qt::RoundJoin));
    QLinearGradient fill(0, centre.y() - capHeight / 2, 0, centre.y() + capHeight / 2);
    fill.setColorAt(0, kCream);
    fill.setColorAt(1, kGold);
    p.fillPath(path, fill);
}

QImage Skin()
{
    QImage art(kSkinWidth, kSkinHeight, QImage::Format_RGB32);
    art.fill(Qt::black);
    {
        QPainter p(&art);
        p.setRenderHint(QPainter::Antialiasing);
        QLinearGradient body(0, 0, 0, kOutlineRows);
        body.setColorAt(0.0, QColor(84, 52, 160));
        body.setColorAt(0.5, QColor(56, 38, 126));
        body.setColorAt(1.0, QColor(72, 46, 150));
        p.fillRect(QRect(0, 0, kSkinWidth, kOutlineRows), body);
        // A faint scatter of sparkles over the frame.
        unsigned seed = 7;
        p.setPen(Qt::NoPen);
        p.setBrush(QColor(150, 120, 230));
        for (int i = 0; i < 160; ++i) {
            seed = seed * 1103515245u + 12345u;
            const double x = (seed >> 8) % kSkinWidth;
            seed = seed * 1103515245u + 12345u;
            const double y = (seed >> 8) % kOutlineRows;
            p.drawEllipse(QPointF(x, y), 0.9, 0.9);
        }
        // Rim: dark edge, then a gold line just inside it.
        QPainterPath rim;
        rim.addRoundedRect(QRectF(1.5, 1.5, kSkinWidth - 3, kOutlineRows - 3), kCorner - 1.5, kCorner - 1.5);
        p.strokePath(rim, QPen(kInk, 3));
        QPainterPath lip;
        lip.addRoundedRect(QRectF(4, 4, kSkinWidth - 8, kOutlineRows - 8), kCorner - 4, kCorner - 4);
        p.strokePath(lip, QPen(kGold, 1.5));
        // Wells behind both players' sceneries (at (33, 5) and (33, 178), 400 x 165).
        Well(p, QRectF(30.5, 2.5, 405, 170));
        Well(p, QRectF(30.5, 175.5, 405, 170));
        // The button pod at the top right, where the window's minimise and close areas fall.
        QPainterPath pod;
        pod.addRoundedRect(QRectF(384, -10, 50, 37), 9, 9);
        QLinearGradient podFill(0, 0, 0, 27);
        podFill.setColorAt(0, QColor(120, 70, 190));
        podFill.setColorAt(1, QColor(70, 44, 140));
        p.fillPath(pod, podFill);
        p.strokePath(pod, QPen(kGold, 1.5));
        // Minimise: a bar along the very top; close: a cross below it.
        p.setPen(QPen(kInk, 4, Qt::SolidLine, Qt::RoundCap));
        p.drawLine(QPointF(394.5, 2), QPointF(400.5, 2));
        p.setPen(QPen(kCream, 2, Qt::SolidLine, Qt::RoundCap));
        p.drawLine(QPointF(394.5, 2), QPointF(400.5, 2));
        QPainterPath cross;
        cross.moveTo(402.5, 11.5);
        cross.lineTo(408.5, 19.5);
        cross.moveTo(408.5, 11.5);
        cross.lineTo(402.5, 19.5);
        p.strokePath(cross, QPen(kInk, 4.5, Qt::SolidLine, Qt::RoundCap));
        p.strokePath(cross, QPen(kCoral, 2.4, Qt::SolidLine, Qt::RoundCap));
        // The name along the bottom edge.
        Lettered(p, QStringLiteral("GRIP RHYTHM"), QPointF(kSkinWidth / 2.0, 352), 9);
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

// 256 colours for the picture: the most used of its colours at 5 bits a channel (averaged
// within each), with error diffusion hiding the steps that remain.
QImage ToPalette(const QImage& art)
{
    struct TBin {
        long count = 0;
        long r = 0, g = 0, b = 0;
    };
    std::vector<TBin> bins(32768);
    for (int y = 0; y < art.height(); ++y)
        for (int x = 0; x < art.width(); ++x) {
            const QRgb c = art.pixel(x, y);
            TBin& bin = bins[size_t((qRed(c) >> 3) << 10 | (qGreen(c) >> 3) << 5 | (qBlue(c) >> 3))];
            ++bin.count;
            bin.r += qRed(c);
            bin.g += qGreen(c);
            bin.b += qBlue(c);
        }
    std::vector<size_t> order(bins.size());
    for (size_t i = 0; i < order.size(); ++i)
        order[i] = i;
    std::stable_sort(order.begin(), order.end(), [&](size_t a, size_t b) { return bins[a].count > bins[b].count; });
    QList<QRgb> table;
    for (size_t i = 0; i < order.size() && table.size() < 256 && bins[order[i]].count > 0; ++i) {
        const TBin& bin = bins[order[i]];
        table.push_back(qRgb(int(bin.r / bin.count), int(bin.g / bin.count), int(bin.b / bin.count)));
    }
    return art.convertToFormat(QImage::Format_Indexed8, table, Qt::DiffuseDither);
}

// The debug form's picture: the frame's colours, a grid and the name, in 256 colours.
QImage Viewport()
{
    QImage art(461, 362, QImage::Format_RGB32);
    QPainter p(&art);
    p.setRenderHint(QPainter::Antialiasing);
    QLinearGradient g(0, 0, 461, 362);
    g.setColorAt(0.0, QColor(56, 38, 126));
    g.setColorAt(1.0, QColor(40, 90, 150));
    p.fillRect(art.rect(), g);
    p.setPen(QColor(90, 80, 180));
    for (int x = 0; x < 461; x += 24)
        p.drawLine(x, 0, x, 361);
    for (int y = 0; y < 362; y += 24)
        p.drawLine(0, y, 460, y);
    // Three balls, large to small, on one line.
    const struct {
        double x, r;
        QColor c;
    } balls[] = {{150, 34, QColor(236, 50, 60)}, {240, 20, QColor(50, 120, 240)}, {300, 11, QColor(255, 214, 40)}};
    for (const auto& b : balls) {
        QRadialGradient shade(QPointF(b.x - b.r * 0.35, 150 - b.r * 0.4), b.r * 1.45);
        shade.setColorAt(0, b.c.lighter(160));
        shade.setColorAt(0.45, b.c);
        shade.setColorAt(1, b.c.darker(220));
        p.setPen(QPen(kInk, 3));
        p.setBrush(shade);
        p.drawEllipse(QPointF(b.x, 150), b.r, b.r);
    }
    Lettered(p, QStringLiteral("GRIP RHYTHM"), QPointF(230.5, 240), 30);
    p.end();
    return ToPalette(art);
}

// The menu icon: the grip ball itself, glossy red, on a transparent ground. Drawn on a
// 128-pixel design grid and painted at each size rather than scaled from one picture, so the
// small sizes stay sharp.
QImage Icon(int size)
{
    QImage icon(size, size, QImage::Format_ARGB32_Premultiplied);
    icon.fill(Qt::transparent);
    QPainter p(&icon);
    p.setRenderHint(QPainter::Antialiasing);
    p.scale(size / 128.0, size / 128.0);
    QRadialGradient body(QPointF(52, 46), 70);
    body.setColorAt(0.0, QColor(255, 150, 140));
    body.setColorAt(0.45, QColor(225, 40, 45));
    body.setColorAt(1.0, QColor(110, 10, 25));
    p.setPen(QPen(QColor(70, 10, 20), 3));
    p.setBrush(body);
    p.drawEllipse(QRectF(8, 8, 112, 112));
    QRadialGradient shine(QPointF(46, 38), 26);
    shine.setColorAt(0.0, QColor(255, 255, 255, 210));
    shine.setColorAt(1.0, QColor(255, 255, 255, 0));
    p.setPen(Qt::NoPen);
    p.setBrush(shine);
    p.drawEllipse(QRectF(20, 14, 52, 40));
    // Two beats of a rhythm across the ball.
    p.setBrush(QColor(255, 230, 120));
    p.drawEllipse(QRectF(40, 78, 14, 14));
    p.drawEllipse(QRectF(74, 78, 14, 14));
    p.setPen(QPen(QColor(255, 230, 120), 4, Qt::SolidLine, Qt::RoundCap));
    p.drawLine(QPointF(52, 84), QPointF(52, 52));
    p.drawLine(QPointF(86, 84), QPointF(86, 52));
    p.drawLine(QPointF(52, 52), QPointF(86, 46));
    return icon;
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
    bool written = Skin().save(out + "/skin.bmp", "BMP") && Viewport().save(out + "/viewport.bmp", "BMP");
    // The icon theme's layout, so the folder installs as it is.
    for (int size : kIconSizes) {
        const QString folder = QString("%1/hicolor/%2x%2/apps").arg(out).arg(size);
        written = written && QDir().mkpath(folder) && Icon(size).save(folder + "/griprhythm.png", "PNG");
    }
    if (!written) {
        std::fprintf(stderr, "skingen: cannot write into %s\n", argv[1]);
        return 1;
    }
    return 0;
}
