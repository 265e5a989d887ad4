// The jumping mascots and their toys. Each stands on the ground just above its lane; the
// patterns are tall so that a toy placed high still stands on that ground.
#include "ArtKit.h"

#include <cmath>

namespace art {
namespace {

// A round mascot in one of six poses of a jump: stand, crouch, launch, top, fall, land.
QImage Mascot(int frame, const QColor& body)
{
    struct TPose {
        double lift, sx, sy, arms;
    };
    // arms: the arms' angle above the horizontal, in degrees.
    // The jump stays low enough that the ball held overhead clears the song's title plate.
    const TPose poses[6] = {{0, 1, 1, -25},   {0, 1.14, 0.82, -40}, {6, 0.9, 1.12, 55},
                            {12, 1, 1, 90},   {7, 0.95, 1.06, 40},  {0, 1.08, 0.9, -10}};
    const TPose& pose = poses[frame];
    const int w = 80, h = 104;
    const double ground = h - 3;
    QImage canvas = Canvas(w, h);
    QPainter p;
    Begin(p, canvas);
    const double cx = 44;
    // Shadow on the ground, smaller the higher the jump.
    p.setPen(Qt::NoPen);
    p.setBrush(QColor(60, 40, 110));
    const double shadow = 15 - pose.lift * 0.4;
    p.drawEllipse(QPointF(cx, ground - 1), shadow, 2.5);
    const double bw = 34 * pose.sx, bh = 38 * pose.sy;
    const double bottom = ground - 5 - pose.lift;
    const QRectF bodyBox(cx - bw / 2, bottom - bh, bw, bh);
    // Feet.
    for (int side : {-1, 1}) {
        QPainterPath foot;
        foot.addEllipse(QPointF(cx + side * bw * 0.24, bottom + 1), 7, 4.5);
        Outlined(p, foot, Shade(body, 0.7), palette::Ink, 1.2);
    }
    // Arms reach out from the sides; at the top of the jump they hold the ball overhead, in
    // front of the body.
    auto drawArms = [&] {
        for (int side : {-1, 1}) {
            const QPointF shoulder = frame == 3 ? QPointF(cx + side * bw * 0.47, bodyBox.top() + bh * 0.3)
                                                : QPointF(cx + side * bw * 0.42, bodyBox.center().y() + 2);
            const double a = pose.arms * M_PI / 180;
            QPointF hand = shoulder + QPointF(side * std::cos(a) * 13, -std::sin(a) * 13);
            if (frame == 3)
                hand = QPointF(cx + side * 7, bodyBox.top() - 5);
            p.setPen(QPen(palette::Ink, 7, Qt::SolidLine, Qt::RoundCap));
            p.drawLine(shoulder, hand);
            p.setPen(QPen(Shade(body, 0.85), 4, Qt::SolidLine, Qt::RoundCap));
            p.drawLine(shoulder, hand);
        }
    };
    const bool overhead = frame == 3;
    if (!overhead)
        drawArms();
    QPainterPath blob;
    blob.addEllipse(bodyBox);
    QRadialGradient shade(bodyBox.center() + QPointF(-bw * 0.2, -bh * 0.25), bh * 0.85);
    shade.setColorAt(0, Shade(body, 1.45));
    shade.setColorAt(0.55, body);
    shade.setColorAt(1, Shade(body, 0.6));
    Outlined(p, blob, shade, palette::Ink, 1.8);
    // Belly, eyes, cheeks, mouth.
    p.setPen(Qt::NoPen);
    p.setBrush(Shade(body, 1.55));
    p.drawEllipse(QPointF(cx, bodyBox.center().y() + bh * 0.2), bw * 0.26, bh * 0.2);
    const double eyeY = bodyBox.top() + bh * 0.36;
    for (int side : {-1, 1}) {
        p.setBrush(QColor(255, 255, 255));
        p.setPen(QPen(palette::Ink, 1.2));
        p.drawEllipse(QPointF(cx + side * 7, eyeY), 5, 6 * pose.sy);
        p.setPen(Qt::NoPen);
        p.setBrush(palette::Ink);
        p.drawEllipse(QPointF(cx + side * 7 + 1, eyeY + 1), 2.4, 3 * pose.sy);
        p.setBrush(QColor(255, 255, 255));
        p.drawEllipse(QPointF(cx + side * 7 + 1.8, eyeY - 0.6), 0.9, 0.9);
        p.setBrush(QColor(255, 140, 160));
        p.drawEllipse(QPointF(cx + side * 11.5, eyeY + 8), 3, 2);
    }
    if (overhead)
        drawArms();
    p.setPen(QPen(palette::Ink, 1.6, Qt::SolidLine, Qt::RoundCap));
    p.setBrush(frame == 3 ? QBrush(QColor(200, 50, 90)) : Qt::NoBrush);
    const QRectF mouth(cx - 5, eyeY + 4, 10, frame == 3 ? 8 : 6);
    if (frame == 3)
        p.drawChord(mouth, 180 * 16, 180 * 16);
    else
        p.drawArc(mouth, 200 * 16, 140 * 16);
    if (frame == 3)
        GlossyBall(p, QPointF(cx, bodyBox.top() - 7), 5.5, palette::BallYellow, 1.2);
    p.end();
    return Keyed(canvas);
}

// A toy block turning on its corner, a quarter turn over six patterns.
QImage Cube(int frame)
{
    const int w = 28, h = 100;
    QImage canvas = Canvas(w, h);
    QPainter p;
    Begin(p, canvas);
    // One colour all round, so that a quarter turn ends where the next begins.
    const QColor block(255, 128, 96);
    const double cx = w / 2.0, top = h - 28, height = 19, r = 12.5, tilt = 0.42;
    const double turn = M_PI / 8 + frame * M_PI / 12;
    QPointF upper[4], lower[4];
    for (int j = 0; j < 4; ++j) {
        const double a = turn + M_PI / 4 + j * M_PI / 2;
        upper[j] = QPointF(cx + std::cos(a) * r, top + std::sin(a) * r * tilt);
        lower[j] = upper[j] + QPointF(0, height);
    }
    for (int j = 0; j < 4; ++j) {
        const int n = (j + 1) % 4;
        const double facing = std::sin(turn + M_PI / 4 + j * M_PI / 2 + M_PI / 4);
        if (facing <= 0)
            continue;
        QPainterPath face;
        face.moveTo(upper[j]);
        face.lineTo(upper[n]);
        face.lineTo(lower[n]);
        face.lineTo(lower[j]);
        face.closeSubpath();
        const QColor c = Shade(block, 0.55 + 0.45 * facing);
        Outlined(p, face, Vertical(upper[j].y(), lower[j].y(), Shade(c, 1.15), c), palette::Ink, 1.0);
        // A dot on each face, as on a toy block.
        const QPointF mid = (upper[j] + upper[n] + lower[n] + lower[j]) / 4;
        p.setPen(Qt::NoPen);
        p.setBrush(Shade(c, 1.5));
        p.drawEllipse(mid, 2.6 * facing, 2.6);
    }
    QPainterPath lid;
    lid.moveTo(upper[0]);
    for (int j = 1; j < 4; ++j)
        lid.lineTo(upper[j]);
    lid.closeSubpath();
    Outlined(p, lid, QBrush(palette::Cream), palette::Ink, 1.0);
    p.end();
    return Keyed(canvas);
}

// A drum standing on end, its stripes running round as it spins.
QImage Cylinder(int frame)
{
    const int w = 40, h = 120;
    QImage canvas = Canvas(w, h);
    QPainter p;
    Begin(p, canvas);
    const double left = 8, right = 34, top = h - 40, bottom = h - 6, ry = 4.5;
    QPainterPath body;
    body.moveTo(left, top);
    body.lineTo(left, bottom);
    body.arcTo(QRectF(left, bottom - ry, right - left, ry * 2), 180, 180);
    body.lineTo(right, top);
    body.closeSubpath();
    QLinearGradient g(left, 0, right, 0);
    g.setColorAt(0, Shade(palette::Violet, 0.7));
    g.setColorAt(0.35, Shade(palette::Violet, 1.35));
    g.setColorAt(1, Shade(palette::Violet, 0.55));
    Outlined(p, body, g, palette::Ink, 1.2);
    p.save();
    p.setClipPath(body);
    const double period = 12;
    for (double s = -40 + frame * period / 6; s < 60; s += period) {
        QPainterPath stripe;
        stripe.moveTo(left + s, top - 6);
        stripe.lineTo(left + s + 5, top - 6);
        stripe.lineTo(left + s + 5 - 14, bottom + 8);
        stripe.lineTo(left + s - 14, bottom + 8);
        stripe.closeSubpath();
        p.fillPath(stripe, QColor(255, 236, 150));
    }
    // Keep the round shading over the stripes.
    QLinearGradient dark(left, 0, right, 0);
    dark.setColorAt(0, QColor(40, 20, 80, 110));
    dark.setColorAt(0.4, QColor(40, 20, 80, 0));
    dark.setColorAt(1, QColor(40, 20, 80, 140));
    p.fillPath(body, dark);
    p.restore();
    QPainterPath lid;
    lid.addEllipse(QRectF(left, top - ry, right - left, ry * 2));
    Outlined(p, lid, Vertical(top - ry, top + ry, palette::Cream, palette::Gold), palette::Ink, 1.2);
    p.end();
    return Keyed(canvas);
}

// A tomato bouncing on the spot: squashed on the ground, round in the air.
QImage Tomato(int frame)
{
    const int w = 40, h = 100;
    QImage canvas = Canvas(w, h);
    QPainter p;
    Begin(p, canvas);
    const double phase = frame / 9.0;
    const double lift = std::sin(M_PI * phase) * 22;
    const double squash = frame == 0 ? 0.8 : (frame == 1 || frame == 8 ? 0.92 : 1.0);
    const double rx = 14 / std::sqrt(squash), ry = 13 * squash;
    const double ground = h - 3;
    p.setPen(Qt::NoPen);
    p.setBrush(QColor(60, 40, 110));
    p.drawEllipse(QPointF(w / 2.0, ground - 1), 13 - lift * 0.3, 2.2);
    const QPointF c(w / 2.0, ground - 2 - ry - lift);
    QPainterPath fruit;
    fruit.addEllipse(c, rx, ry);
    QRadialGradient shade(c + QPointF(-4, -5), rx * 1.4);
    shade.setColorAt(0, QColor(255, 150, 130));
    shade.setColorAt(0.5, QColor(232, 48, 40));
    shade.setColorAt(1, QColor(140, 20, 40));
    Outlined(p, fruit, shade, palette::Ink, 1.5);
    Outlined(p, Star(c + QPointF(0, -ry + 1), 5, 7, 2.5, frame * 0.2), QBrush(QColor(60, 190, 80)), palette::Ink,
             1.0);
    p.setPen(Qt::NoPen);
    p.setBrush(palette::Ink);
    p.drawEllipse(c + QPointF(-4.5, 0), 1.6, 2.2);
    p.drawEllipse(c + QPointF(4.5, 0), 1.6, 2.2);
    p.setPen(QPen(palette::Ink, 1.3, Qt::SolidLine, Qt::RoundCap));
    p.setBrush(Qt::NoBrush);
    p.drawArc(QRectF(c.x() - 4, c.y() + 1, 8, 5), 200 * 16, 140 * 16);
    p.setPen(Qt::NoPen);
    p.setBrush(QColor(255, 230, 220));
    p.drawEllipse(c + QPointF(-6, -6), 3, 2);
    p.end();
    return Keyed(canvas);
}

template <typename F>
std::vector<QImage> Frames(int count, F draw)
{
    std::vector<QImage> frames;
    for (int i = 0; i < count; ++i)
        frames.push_back(draw(i));
    return frames;
}

} // namespace

std::vector<TPicture> AnimationPictures()
{
    return {
        {TStore::Animation, "jump1p", Frames(6, [](int i) { return Mascot(i, QColor(255, 110, 170)); })},
        {TStore::Animation, "jump2p", Frames(6, [](int i) { return Mascot(i, QColor(70, 200, 225)); })},
        {TStore::Animation, "cube", Frames(6, Cube)},
        {TStore::Animation, "cylinder", Frames(6, Cylinder)},
        {TStore::Animation, "tomoto", Frames(9, Tomato)},
    };
}

} // namespace art
