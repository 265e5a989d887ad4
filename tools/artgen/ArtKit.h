#pragma once

// What the generator adds to the game's painting kit: glossy balls, stars, and the pictures of
// each store.

#include "ArtCatalogue.h"
#include "sprites/Painting.h"

#include <QColor>
#include <QImage>
#include <QPainter>
#include <QPainterPath>

#include <string>
#include <vector>

namespace art {

// One image of a store: its name and its patterns, all of one size.
struct TPicture {
    TStore Store;
    std::string Name;
    std::vector<QImage> Patterns;
};

// A glossy ball: radial shading, rim, highlight.
void GlossyBall(QPainter& p, QPointF centre, double radius, const QColor& base, double outlineWidth = 1.5);

// A soft star of the given points, for sparkles and bursts.
QPainterPath Star(QPointF centre, int points, double outer, double inner, double turn = 0.0);

// The pictures of each store.
std::vector<TPicture> BallPictures();
std::vector<TPicture> ContextPictures();
std::vector<TPicture> EffectPictures();
std::vector<TPicture> FixedPictures();
std::vector<TPicture> GesturePictures();
std::vector<TPicture> AnimationPictures();

} // namespace art
