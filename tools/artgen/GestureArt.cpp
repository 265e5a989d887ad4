// A hand round the grip ball, squeezing harder from column to column. The ball takes the colour
// of the balls that squeeze catches: yellow for a light touch, blue, then red for a full grip.
#include "ArtKit.h"

namespace art {
namespace {

constexpr int kSize = 32;

QImage Hand(double squeeze, const QColor& ball, bool resting)
{
    QImage canvas = Canvas(kSize, kSize);
    QPainter p;
    Begin(p, canvas);
    const QPointF c(kSize / 2.0, kSize / 2.0 + 1);
    // The ball flattens between palm and fingers as the squeeze grows.
    const double rx = 9 + squeeze * 3, ry = 9 - squeeze * 3;
    QPainterPath body;
    body.addEllipse(c, rx, ry);
    QRadialGradient shade(c + QPointF(-3, -3), rx * 1.5);
    shade.setColorAt(0, Shade(ball, 1.5));
    shade.setColorAt(0.5, ball);
    shade.setColorAt(1, Shade(ball, 0.5));
    Outlined(p, body, shade, palette::Ink, 1.2);
    const QColor skin(255, 196, 150);
    // Fingers over the top, the thumb under the ball.
    for (int i = 0; i < 4; ++i) {
        QPainterPath finger;
        const double x = c.x() - 9 + i * 6;
        finger.addRoundedRect(QRectF(x - 2.6, c.y() - ry - 6 + squeeze * 1.5, 5.2, 9), 2.6, 2.6);
        Outlined(p, finger, Vertical(c.y() - ry - 6, c.y() - ry + 3, Shade(skin, 1.2), skin), palette::Ink, 1.0);
    }
    QPainterPath thumb;
    thumb.addRoundedRect(QRectF(c.x() - 11, c.y() + ry - 3 - squeeze * 1.5, 16, 6), 3, 3);
    Outlined(p, thumb, Vertical(c.y() + ry - 3, c.y() + ry + 3, skin, Shade(skin, 0.8)), palette::Ink, 1.0);
    if (!resting && squeeze > 0.4) {
        p.setPen(QPen(palette::Cream, 1.4, Qt::SolidLine, Qt::RoundCap));
        p.drawLine(QPointF(c.x() + rx + 2, c.y() - 4), QPointF(c.x() + rx + 5, c.y() - 6));
        p.drawLine(QPointF(c.x() + rx + 2, c.y() + 4), QPointF(c.x() + rx + 5, c.y() + 6));
    }
    if (resting) {
        Lettering(p, "Z", QRectF(22, 0, 10, 10), 8, QBrush(palette::Sky), palette::Ink, 1.0);
    }
    p.end();
    return Keyed(canvas);
}

} // namespace

std::vector<TPicture> GesturePictures()
{
    return {
        {TStore::Gesture, "idle", {Hand(0, QColor(170, 165, 200), true)}},
        {TStore::Gesture,
         "gesture",
         {Hand(0.25, palette::BallYellow, false), Hand(0.6, palette::BallBlue, false),
          Hand(1.0, palette::BallRed, false)}},
    };
}

} // namespace art
