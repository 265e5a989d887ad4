// The fixed pieces of both players' halves: sceneries with their lanes, the rule marks, the
// lane light, the pillars that hide the lane ends, the grip meters with their steps and the
// lamp column beside them.
#include "ArtKit.h"

#include <cmath>

namespace art {
namespace {

// Scenery: 400 x 165 at (33, 5) for player one and (33, 178) for player two.
constexpr int kSceneryW = 400, kSceneryH = 165;
// The lane line (where every ball is centred) inside each scenery.
constexpr double kLaneLineOne = 135 - 5, kLaneLineTwo = 305 - 178;
constexpr double kLaneHalf = 25;

void Lane(QPainter& p, double line, const QColor& rim)
{
    const QRectF channel(-4, line - kLaneHalf, kSceneryW + 8, kLaneHalf * 2);
    QLinearGradient g(0, channel.top(), 0, channel.bottom());
    g.setColorAt(0, palette::Night);
    g.setColorAt(0.5, QColor(58, 44, 120));
    g.setColorAt(1, palette::Night);
    QPainterPath path;
    path.addRect(channel);
    Outlined(p, path, g, palette::Ink, 1.5);
    p.setPen(QPen(rim, 2));
    p.drawLine(QPointF(0, channel.top() + 2), QPointF(kSceneryW, channel.top() + 2));
    p.drawLine(QPointF(0, channel.bottom() - 2), QPointF(kSceneryW, channel.bottom() - 2));
    // Faint beat studs along the line, so the lane reads as a track even when empty.
    p.setPen(Qt::NoPen);
    p.setBrush(QColor(90, 76, 170));
    for (double x = 8; x < kSceneryW; x += 25)
        p.drawEllipse(QPointF(x, line), 1.8, 1.8);
}

QPainterPath Hills(double base, double amplitude, double period, double phase, double width)
{
    QPainterPath hills;
    hills.moveTo(-2, base + 40);
    for (double x = -2; x <= width + 2; x += 4)
        hills.lineTo(x, base - amplitude * (0.5 + 0.5 * std::sin(x / period + phase)) -
                            amplitude * 0.3 * std::sin(x / (period * 0.37) + phase * 2));
    hills.lineTo(width + 2, base + 40);
    hills.closeSubpath();
    return hills;
}

void Sparkles(QPainter& p, int frame, double bottom, const QColor& colour)
{
    // Fixed places; each frame lights a different half of them.
    unsigned seed = 12345;
    for (int i = 0; i < 22; ++i) {
        seed = seed * 1103515245u + 12345u;
        const double x = 8 + (seed >> 8) % 380;
        seed = seed * 1103515245u + 12345u;
        const double y = 6 + (seed >> 8) % int(bottom - 6);
        const bool lit = (i + frame) % 2 == 0;
        p.setPen(Qt::NoPen);
        p.setBrush(lit ? colour : Shade(colour, 0.75));
        p.drawPath(Star(QPointF(x, y), 4, lit ? 3.2 : 1.6, lit ? 0.9 : 0.6));
    }
}

QImage SceneryOne(int frame)
{
    QImage canvas = Canvas(kSceneryW, kSceneryH);
    QPainter p;
    Begin(p, canvas);
    QLinearGradient sky(0, 0, 0, 100);
    sky.setColorAt(0, QColor(74, 40, 140));
    sky.setColorAt(0.55, QColor(196, 78, 164));
    sky.setColorAt(1, QColor(255, 166, 96));
    p.fillRect(QRectF(0, 0, kSceneryW, 104), sky);
    Sparkles(p, frame, 60, palette::Cream);
    // The sun, its rays turning a step each frame.
    const QPointF sun(168, 74);
    p.save();
    p.setPen(Qt::NoPen);
    p.setBrush(QColor(255, 214, 120));
    for (int i = 0; i < 12; ++i) {
        const double a = M_PI * 2 * i / 12 + frame * M_PI / 12;
        QPainterPath ray;
        ray.moveTo(sun + QPointF(std::cos(a - 0.09) * 30, std::sin(a - 0.09) * 30));
        ray.lineTo(sun + QPointF(std::cos(a) * 42, std::sin(a) * 42));
        ray.lineTo(sun + QPointF(std::cos(a + 0.09) * 30, std::sin(a + 0.09) * 30));
        ray.closeSubpath();
        p.drawPath(ray);
    }
    p.restore();
    QRadialGradient disc(sun + QPointF(-6, -8), 34);
    disc.setColorAt(0, QColor(255, 250, 210));
    disc.setColorAt(0.6, palette::Gold);
    disc.setColorAt(1, palette::Orange);
    QPainterPath sunPath;
    sunPath.addEllipse(sun, 26, 26);
    Outlined(p, sunPath, disc, QColor(230, 110, 80), 1.5);
    Outlined(p, Hills(96, 26, 38, 1.0, kSceneryW), Vertical(60, 100, QColor(150, 86, 190), QColor(96, 60, 160)),
             palette::Ink, 1.2);
    Outlined(p, Hills(100, 14, 24, 2.4, kSceneryW), Vertical(80, 104, QColor(70, 190, 150), QColor(30, 130, 120)),
             palette::Ink, 1.2);
    Lane(p, kLaneLineOne, palette::Gold);
    p.fillRect(QRectF(0, kLaneLineOne + kLaneHalf + 1.5, kSceneryW, kSceneryH), QColor(30, 120, 112));
    p.fillRect(QRectF(0, kLaneLineOne + kLaneHalf + 1.5, kSceneryW, 2), QColor(90, 210, 170));
    // The scoreboard behind score, caption and hit percentage.
    // It steps up on the left, over the score only, to leave the toys room below.
    QPainterPath board;
    board.addRoundedRect(QRectF(198, -12, 156, 38), 10, 10);
    QPainterPath lower;
    lower.addRoundedRect(QRectF(262, -12, 92, 76), 10, 10);
    board = board.united(lower).simplified();
    Outlined(p, board, Vertical(0, 64, QColor(52, 36, 112), QColor(36, 26, 84)), palette::Gold, 1.5);
    p.setPen(QPen(QColor(96, 76, 170), 1));
    p.drawLine(QPointF(270, 23), QPointF(346, 23));
    // A cut-out at the top right lets the window's own buttons show.
    p.setCompositionMode(QPainter::CompositionMode_Clear);
    p.setPen(Qt::NoPen);
    p.setBrush(Qt::black);
    p.drawRoundedRect(QRectF(352, -12, 60, 38), 9, 9);
    p.setCompositionMode(QPainter::CompositionMode_SourceOver);
    p.setBrush(Qt::NoBrush);
    p.setPen(QPen(palette::Gold, 1.5));
    p.drawRoundedRect(QRectF(352.5, -12, 60, 38), 9, 9);
    p.end();
    return Keyed(canvas);
}

QImage SceneryTwo()
{
    QImage canvas = Canvas(kSceneryW, kSceneryH);
    QPainter p;
    Begin(p, canvas);
    QLinearGradient sky(0, 0, 0, 100);
    sky.setColorAt(0, QColor(30, 36, 108));
    sky.setColorAt(0.55, QColor(44, 108, 172));
    sky.setColorAt(1, QColor(100, 206, 200));
    p.fillRect(QRectF(0, 0, kSceneryW, 102), sky);
    Sparkles(p, 0, 56, palette::Cream);
    // A crescent moon.
    QPainterPath moon;
    moon.addEllipse(QPointF(300, 34), 17, 17);
    QPainterPath bite;
    bite.addEllipse(QPointF(309, 28), 15, 15);
    Outlined(p, moon.subtracted(bite), Vertical(17, 51, palette::Cream, palette::Gold), palette::Ink, 1.2);
    Outlined(p, Hills(94, 24, 34, 3.0, kSceneryW), Vertical(60, 100, QColor(70, 90, 190), QColor(50, 60, 150)),
             palette::Ink, 1.2);
    Outlined(p, Hills(98, 13, 22, 0.7, kSceneryW), Vertical(80, 104, QColor(60, 200, 200), QColor(30, 120, 150)),
             palette::Ink, 1.2);
    Lane(p, kLaneLineTwo, palette::Sky);
    p.fillRect(QRectF(0, kLaneLineTwo + kLaneHalf + 1.5, kSceneryW, kSceneryH), QColor(30, 100, 130));
    p.fillRect(QRectF(0, kLaneLineTwo + kLaneHalf + 1.5, kSceneryW, 2), QColor(90, 200, 220));
    p.end();
    return Keyed(canvas);
}

// The static rule: a ring round the point where balls are judged, centred on the lane line.
QImage Rule(double centreY)
{
    QImage canvas = Canvas(46, 40);
    QPainter p;
    Begin(p, canvas);
    const QPointF c(23, centreY);
    p.setBrush(Qt::NoBrush);
    p.setPen(QPen(palette::Ink, 6));
    p.drawEllipse(c, 11.5, 11.5);
    p.setPen(QPen(QColor(160, 240, 255), 3));
    p.drawEllipse(c, 11.5, 11.5);
    p.setPen(QPen(QColor(255, 255, 255), 1));
    p.drawArc(QRectF(c.x() - 11.5, c.y() - 11.5, 23, 23), 60 * 16, 70 * 16);
    p.end();
    return Keyed(canvas);
}

// The judging mark: brackets and pointers on both sides of the ring.
QImage Detect()
{
    QImage canvas = Canvas(46, 40);
    QPainter p;
    Begin(p, canvas);
    const QBrush gold = Vertical(0, 40, palette::Cream, palette::Gold);
    QPainterPath brackets;
    brackets.moveTo(8, 4);
    brackets.lineTo(3, 4);
    brackets.lineTo(3, 36);
    brackets.lineTo(8, 36);
    brackets.moveTo(38, 4);
    brackets.lineTo(43, 4);
    brackets.lineTo(43, 36);
    brackets.lineTo(38, 36);
    p.strokePath(brackets, QPen(palette::Ink, 5, Qt::SolidLine, Qt::RoundCap, Qt::RoundJoin));
    p.strokePath(brackets, QPen(gold, 2.4, Qt::SolidLine, Qt::RoundCap, Qt::RoundJoin));
    QPainterPath pointers;
    pointers.moveTo(18.5, 1.5);
    pointers.lineTo(27.5, 1.5);
    pointers.lineTo(23, 7);
    pointers.closeSubpath();
    pointers.moveTo(18.5, 38.5);
    pointers.lineTo(27.5, 38.5);
    pointers.lineTo(23, 33);
    pointers.closeSubpath();
    Outlined(p, pointers, gold, palette::Ink, 1.0);
    p.end();
    return Keyed(canvas);
}

// The lane lit while the ball is gripped, with chevrons showing the way the balls run.
QImage LaneLight(int frame)
{
    const int w = 150, h = 46;
    QImage canvas = Canvas(w, h);
    QPainter p;
    Begin(p, canvas);
    QPainterPath band;
    band.addRoundedRect(QRectF(2, 3, w - 4, h - 6), 14, 14);
    QLinearGradient g(0, 3, 0, h - 3);
    g.setColorAt(0, QColor(60, 120, 200));
    g.setColorAt(0.5, QColor(120, 230, 255));
    g.setColorAt(1, QColor(60, 120, 200));
    Outlined(p, band, g, palette::Ink, 1.2);
    p.setPen(QPen(QColor(220, 250, 255), 3, Qt::SolidLine, Qt::RoundCap, Qt::RoundJoin));
    for (double x = 14 + frame * 10; x < w - 12; x += 20) {
        QPainterPath chevron;
        chevron.moveTo(x, h / 2.0 - 8);
        chevron.lineTo(x + 7, h / 2.0);
        chevron.lineTo(x, h / 2.0 + 8);
        p.drawPath(chevron);
    }
    p.end();
    return Keyed(canvas);
}

// A pillar hiding the lane ends, with a cuff and an arrow where each lane passes.
QImage Pillar(int w, int h, const double laneLines[2], bool arrows)
{
    QImage canvas = Canvas(w, h);
    QPainter p;
    Begin(p, canvas);
    QPainterPath column;
    column.addRoundedRect(QRectF(2, 2, w - 4, h - 4), 8, 8);
    QLinearGradient g(0, 0, w, 0);
    g.setColorAt(0, palette::Indigo);
    g.setColorAt(0.4, palette::Violet);
    g.setColorAt(1, QColor(70, 40, 130));
    Outlined(p, column, g, palette::Ink, 1.5);
    p.setPen(QPen(QColor(170, 130, 230), 1.5));
    p.drawLine(QPointF(w * 0.35, 10), QPointF(w * 0.35, h - 10));
    for (int i = 0; i < 2; ++i) {
        QPainterPath cuff;
        cuff.addRoundedRect(QRectF(1, laneLines[i] - 22, w - 2, 44), 6, 6);
        Outlined(p, cuff, Vertical(laneLines[i] - 22, laneLines[i] + 22, palette::Gold, palette::Orange),
                 palette::Ink, 1.5);
        QPainterPath inset;
        inset.addRoundedRect(QRectF(5, laneLines[i] - 16, w - 10, 32), 5, 5);
        Outlined(p, inset, Vertical(laneLines[i] - 16, laneLines[i] + 16, palette::Night, palette::Indigo),
                 palette::Ink, 0.8);
        if (arrows) {
            Outlined(p,
                     Star(QPointF(w / 2.0, laneLines[i]), 3, 8, 4, M_PI / 2).simplified(),
                     Vertical(laneLines[i] - 8, laneLines[i] + 8, palette::Cream, palette::Gold), palette::Ink, 1.0);
        } else {
            p.setPen(Qt::NoPen);
            p.setBrush(palette::Sky);
            p.drawEllipse(QPointF(w / 2.0, laneLines[i]), 4, 4);
        }
    }
    p.end();
    return Keyed(canvas);
}

// The grip meter of player one: a glass tube the level steps light up inside.
QImage MeterOne()
{
    QImage canvas = Canvas(24, 92);
    QPainter p;
    Begin(p, canvas);
    QPainterPath tube;
    tube.addRoundedRect(QRectF(1.5, 14, 21, 76), 9, 9);
    Outlined(p, tube, Vertical(14, 90, QColor(56, 44, 120), palette::Night), palette::Gold, 1.5);
    p.setPen(QPen(QColor(120, 100, 200), 1));
    for (int i = 0; i <= 6; ++i)
        p.drawLine(QPointF(3, 28 + i * 10), QPointF(5, 28 + i * 10));
    p.end();
    return Keyed(canvas);
}

// Player two's meter is drawn over its steps, so it is an open frame round them.
QImage MeterTwo()
{
    QImage canvas = Canvas(24, 92);
    QPainter p;
    Begin(p, canvas);
    QPainterPath frame;
    frame.addRoundedRect(QRectF(1, 12, 22, 10), 5, 5);
    frame.addRoundedRect(QRectF(15, 12, 8, 78), 4, 4);
    frame.addRoundedRect(QRectF(1, 84, 22, 6), 3, 3);
    Outlined(p, frame.simplified(), Vertical(12, 90, palette::Violet, palette::Indigo), palette::Gold, 1.2);
    p.end();
    return Keyed(canvas);
}

// The six level steps, light yellow at the bottom through blue to red at the top.
std::vector<QImage> Steps()
{
    const QColor colours[6] = {palette::BallYellow, QColor(255, 170, 40), QColor(80, 190, 255),
                               palette::BallBlue,   palette::Coral,         palette::BallRed};
    std::vector<QImage> steps;
    for (const QColor& c : colours) {
        QImage canvas = Canvas(16, 8);
        QPainter p;
        Begin(p, canvas);
        QPainterPath bar;
        bar.addRoundedRect(QRectF(2.5, 1, 11, 6), 3, 3);
        Outlined(p, bar, Vertical(1, 7, Shade(c, 1.4), c), palette::Ink, 1.0);
        p.end();
        steps.push_back(Keyed(canvas));
    }
    return steps;
}

// The lamp column beside the meter: the lamp of the balls the grip catches is lit.
QImage Lamps(int lit)
{
    const QColor colours[3] = {palette::BallYellow, palette::BallBlue, palette::BallRed};
    QImage canvas = Canvas(16, 56);
    QPainter p;
    Begin(p, canvas);
    QPainterPath housing;
    housing.addRoundedRect(QRectF(1.5, 1.5, 13, 53), 6, 6);
    Outlined(p, housing, Vertical(0, 56, palette::Indigo, palette::Night), lit < 0 ? QColor(130, 126, 150)
                                                                                    : palette::Gold, 1.2);
    for (int k = 0; k < 3; ++k) {
        const QPointF c(8, 44 - k * 16);
        if (lit < 0)
            GlossyBall(p, c, 5, QColor(120, 118, 140), 1.0);
        else if (k == lit)
            GlossyBall(p, c, 5.5, colours[k], 1.0);
        else
            GlossyBall(p, c, 4.5, Shade(colours[k], 0.45), 1.0);
    }
    p.end();
    return Keyed(canvas);
}

} // namespace

std::vector<TPicture> FixedPictures()
{
    // The pillars stand at (1, 106) and (433, 87); each covers both lanes' ends.
    const double leftLanes[2] = {135 - 106, 305 - 106};
    const double rightLanes[2] = {135 - 87, 305 - 87};
    return {
        {TStore::Fixed, "detect", {Detect()}},
        // The rule marks stand at y 117 and 290; the lanes' lines are 135 and 305.
        {TStore::Fixed, "Rule1P", {Rule(135 - 117)}},
        {TStore::Fixed, "Rule2P", {Rule(305 - 290)}},
        {TStore::Fixed, "pipeback1p", {LaneLight(0)}},
        {TStore::Fixed, "pipeback2p", {LaneLight(0), LaneLight(1)}},
        {TStore::Fixed, "sunshadeleft", {Pillar(36, 230, leftLanes, true)}},
        {TStore::Fixed, "sunshaderight", {Pillar(29, 250, rightLanes, false)}},
        {TStore::Fixed, "meter1p", {MeterOne()}},
        {TStore::Fixed, "meter2p", {MeterTwo()}},
        {TStore::Fixed, "stratum", Steps()},
        {TStore::Fixed, "gesture", {Lamps(0), Lamps(1), Lamps(2)}},
        {TStore::Fixed, "gray", {Lamps(-1)}},
        {TStore::Fixed, "Back1p", {SceneryOne(0), SceneryOne(1)}},
        {TStore::Fixed, "Back2P", {SceneryTwo()}},
    };
}

} // namespace art
