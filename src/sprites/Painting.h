#pragma once

// The kit the game's pictures are painted with: one palette, outlined and shaded shapes, the
// game's own lettering, and the conversion of painted art into colour-keyed patterns. The data
// generators draw every picture with it, and the game draws the few it makes at run time.

#include <QColor>
#include <QImage>
#include <QLinearGradient>
#include <QPainter>
#include <QPainterPath>

namespace art {

namespace palette {
inline const QColor Ink(34, 20, 62);         // outlines
inline const QColor Night(40, 30, 92);       // deep backgrounds
inline const QColor Indigo(62, 48, 140);
inline const QColor Violet(120, 70, 190);
inline const QColor Magenta(226, 72, 170);
inline const QColor Coral(255, 120, 110);
inline const QColor Orange(255, 160, 60);
inline const QColor Gold(255, 208, 80);
inline const QColor Cream(255, 244, 214);
inline const QColor Mint(90, 220, 170);
inline const QColor Teal(40, 170, 190);
inline const QColor Sky(110, 200, 255);
inline const QColor BallRed(236, 50, 60);
inline const QColor BallBlue(50, 120, 240);
inline const QColor BallYellow(255, 214, 40);
} // namespace palette

// A transparent canvas to paint one pattern on, anti-aliased.
QImage Canvas(int width, int height);
void Begin(QPainter& p, QImage& canvas);

// The pattern as the game draws it: black is the transparent colour, so pixels that are mostly
// transparent become black and every shown pixel is kept off pure black. Edge pixels take their
// own colour at full strength, which keeps dark fringes out against any background.
QImage Keyed(const QImage& canvas);

// Fills path with brush and draws its outline outside the fill.
void Outlined(QPainter& p, const QPainterPath& path, const QBrush& brush, const QColor& outline = palette::Ink,
              double outlineWidth = 2.0);

// Lighter or darker by a factor (1 keeps the colour).
QColor Shade(const QColor& c, double factor);

// A vertical gradient between two colours over [top, bottom].
QLinearGradient Vertical(double top, double bottom, const QColor& from, const QColor& to);

// Text in the game's own rounded stroke letters, filled with brush and outlined, fitted into
// box (centred; scaled down if it would not fit at capHeight).
void Lettering(QPainter& p, const QString& text, const QRectF& box, double capHeight, const QBrush& brush,
               const QColor& outline = palette::Ink, double outlineWidth = 2.0, double weight = 0.0);

} // namespace art
