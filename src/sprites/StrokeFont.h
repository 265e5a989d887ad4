#pragma once

// The game's own lettering: rounded strokes on a 4 x 6 grid, so digits and captions read the
// same on every machine, whatever fonts it has.

#include <QPainterPath>
#include <QString>

namespace art {

// The filled outline of text whose capitals are capHeight pixels tall, top-left at (0, 0).
// weight is the stroke width in pixels; 0 picks one that suits the height.
QPainterPath StrokeText(const QString& text, double capHeight, double weight = 0.0);

// Whether every character of text has a glyph.
bool CanLetter(const QString& text);

} // namespace art
