// The balls. Their size says how hard to grip: the red ball (hit with a full squeeze) is
// large, the yellow (a light touch) small, the blue in between. Each is drawn at its own height
// on the lane so that all of them are centred on one lane line, and all share one width so that
// every ball passes through the middle of the rule mark when it is judged.
#include "ArtKit.h"

#include <cmath>

namespace art {
namespace {

constexpr int kWidth = 46; // common to every ball

QImage Ball(int diameter, const QColor& colour)
{
    QImage canvas = Canvas(kWidth, diameter);
    QPainter p;
    Begin(p, canvas);
    GlossyBall(p, QPointF(kWidth / 2.0, diameter / 2.0), diameter / 2.0 - 1.2, colour, diameter > 20 ? 1.5 : 1.0);
    p.end();
    return Keyed(canvas);
}

// A steel ball held in a chain: gripping it never counts.
QImage ChainBall(int diameter)
{
    QImage canvas = Canvas(kWidth, diameter);
    QPainter p;
    Begin(p, canvas);
    const QPointF c(kWidth / 2.0, diameter / 2.0);
    const double r = diameter / 2.0 - 1.2;
    GlossyBall(p, c, r, QColor(150, 140, 190));
    // Links across the ball and out to both sides.
    for (int i = -3; i <= 3; ++i) {
        const QPointF at(c.x() + i * 6.5, c.y());
        const bool flat = i % 2 == 0;
        QPainterPath link;
        link.addRoundedRect(QRectF(at.x() - (flat ? 4.5 : 3), at.y() - (flat ? 2.6 : 4), flat ? 9 : 6, flat ? 5.2 : 8),
                            2.5, 2.5);
        p.strokePath(link, QPen(palette::Ink, 3.4));
        p.strokePath(link, QPen(QColor(225, 225, 240), 1.6));
    }
    p.end();
    return Keyed(canvas);
}

// A brown swirl: touching it never counts.
QImage Stool(int height)
{
    QImage canvas = Canvas(kWidth, height);
    QPainter p;
    Begin(p, canvas);
    const double cx = kWidth / 2.0;
    const QColor brown(150, 92, 50);
    const double hd = height;
    const double tiers[3][3] = {{hd - 6.5, 11, 5.5}, {hd - 13, 8, 4.5}, {hd - 18.5, 5, 4}};
    for (const auto& t : tiers) {
        QPainterPath tier;
        tier.addRoundedRect(QRectF(cx - t[1], t[0] - t[2], t[1] * 2, t[2] * 2), t[2], t[2]);
        QLinearGradient g(0, t[0] - t[2], 0, t[0] + t[2]);
        g.setColorAt(0, Shade(brown, 1.35));
        g.setColorAt(1, Shade(brown, 0.6));
        Outlined(p, tier, g, palette::Ink, 1.2);
    }
    QPainterPath tip;
    tip.moveTo(cx - 3, 5.5);
    tip.quadTo(cx + 1, 0.8, cx + 2.5, 1.5);
    tip.quadTo(cx + 3, 4.5, cx + 3, 5.5);
    tip.closeSubpath();
    Outlined(p, tip, Shade(brown, 1.1), palette::Ink, 1.0);
    // A wink of shine on each tier.
    p.setPen(QPen(QColor(255, 230, 200), 1.2, Qt::SolidLine, Qt::RoundCap));
    for (const auto& t : tiers)
        p.drawLine(QPointF(cx - t[1] * 0.6, t[0] - t[2] * 0.45), QPointF(cx - t[1] * 0.2, t[0] - t[2] * 0.55));
    p.end();
    return Keyed(canvas);
}

} // namespace

std::vector<TPicture> BallPictures()
{
    // Drawn at y 112 (red), 122 (blue, chain, stool) and 128 (yellow): centred on line 135.
    return {
        {TStore::Balls, "blue", {Ball(26, palette::BallBlue)}},
        {TStore::Balls, "yellow", {Ball(14, palette::BallYellow)}},
        {TStore::Balls, "red", {Ball(46, palette::BallRed)}},
        {TStore::Balls, "unbroken", {ChainBall(26)}},
        {TStore::Balls, "stool", {Stool(26)}},
    };
}

} // namespace art
