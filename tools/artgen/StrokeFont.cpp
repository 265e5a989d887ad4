#include "StrokeFont.h"

#include <QPainterPathStroker>

#include <map>
#include <vector>

namespace art {
namespace {

using TStroke = std::vector<QPointF>;
struct TGlyph {
    double Advance;
    std::vector<TStroke> Strokes;
};

const std::map<QChar, TGlyph>& Glyphs()
{
    static const std::map<QChar, TGlyph> glyphs = {
        {'0', {4, {{{1, 0}, {3, 0}, {4, 1}, {4, 5}, {3, 6}, {1, 6}, {0, 5}, {0, 1}, {1, 0}}}}},
        {'1', {4, {{{0.8, 1.2}, {2.2, 0}, {2.2, 6}}, {{0.8, 6}, {3.6, 6}}}}},
        {'2', {4, {{{0, 1.2}, {1, 0}, {3, 0}, {4, 1}, {4, 2.2}, {0, 6}, {4, 6}}}}},
        {'3', {4, {{{0, 0}, {4, 0}, {1.8, 2.6}, {3, 2.6}, {4, 3.6}, {4, 5}, {3, 6}, {1, 6}, {0, 5}}}}},
        {'4', {4, {{{3, 6}, {3, 0}, {0, 4}, {4, 4}}}}},
        {'5', {4, {{{4, 0}, {0.3, 0}, {0, 2.6}, {3, 2.6}, {4, 3.6}, {4, 5}, {3, 6}, {0, 6}}}}},
        {'6', {4, {{{3.5, 0}, {1, 0}, {0, 1}, {0, 5}, {1, 6}, {3, 6}, {4, 5}, {4, 3.6}, {3, 2.6}, {0, 2.6}}}}},
        {'7', {4, {{{0, 0}, {4, 0}, {1.4, 6}}}}},
        {'8', {4, {{{1, 0}, {3, 0}, {4, 1}, {4, 1.8}, {3, 2.8}, {1, 2.8}, {0, 1.8}, {0, 1}, {1, 0}},
                   {{1, 2.8}, {3, 2.8}, {4, 3.8}, {4, 5}, {3, 6}, {1, 6}, {0, 5}, {0, 3.8}, {1, 2.8}}}}},
        {'9', {4, {{{4, 3.4}, {1, 3.4}, {0, 2.4}, {0, 1}, {1, 0}, {3, 0}, {4, 1}, {4, 5}, {3, 6}, {0.5, 6}}}}},
        {'A', {4, {{{0, 6}, {0, 1.6}, {1.6, 0}, {2.4, 0}, {4, 1.6}, {4, 6}}, {{0, 3.6}, {4, 3.6}}}}},
        {'B', {4, {{{0, 0}, {0, 6}, {3, 6}, {4, 5}, {4, 4}, {3, 3}, {0, 3}}, {{0, 0}, {2.8, 0}, {3.8, 1}, {3.8, 2}, {2.8, 3}}}}},
        {'C', {4, {{{4, 1}, {3, 0}, {1, 0}, {0, 1}, {0, 5}, {1, 6}, {3, 6}, {4, 5}}}}},
        {'E', {4, {{{4, 0}, {0, 0}, {0, 6}, {4, 6}}, {{0, 3}, {3, 3}}}}},
        {'G', {4, {{{4, 1}, {3, 0}, {1, 0}, {0, 1}, {0, 5}, {1, 6}, {3, 6}, {4, 5}, {4, 3.4}, {2.4, 3.4}}}}},
        {'H', {4, {{{0, 0}, {0, 6}}, {{4, 0}, {4, 6}}, {{0, 3}, {4, 3}}}}},
        {'I', {2, {{{1, 0}, {1, 6}}}}},
        {'K', {4, {{{0, 0}, {0, 6}}, {{4, 0}, {0, 3.6}}, {{1.4, 2.4}, {4, 6}}}}},
        {'L', {4, {{{0, 0}, {0, 6}, {4, 6}}}}},
        {'M', {5, {{{0, 6}, {0, 0}, {2.5, 3.4}, {5, 0}, {5, 6}}}}},
        {'N', {4, {{{0, 6}, {0, 0}, {4, 6}, {4, 0}}}}},
        {'O', {4, {{{1, 0}, {3, 0}, {4, 1}, {4, 5}, {3, 6}, {1, 6}, {0, 5}, {0, 1}, {1, 0}}}}},
        {'P', {4, {{{0, 6}, {0, 0}, {3, 0}, {4, 1}, {4, 2}, {3, 3}, {0, 3}}}}},
        {'R', {4, {{{0, 6}, {0, 0}, {3, 0}, {4, 1}, {4, 2}, {3, 3}, {0, 3}}, {{2, 3}, {4, 6}}}}},
        {'S', {4, {{{4, 1}, {3, 0}, {1, 0}, {0, 1}, {0, 2}, {1, 3}, {3, 3}, {4, 4}, {4, 5}, {3, 6}, {1, 6}, {0, 5}}}}},
        {'T', {4, {{{0, 0}, {4, 0}}, {{2, 0}, {2, 6}}}}},
        {'U', {4, {{{0, 0}, {0, 5}, {1, 6}, {3, 6}, {4, 5}, {4, 0}}}}},
        {'V', {4, {{{0, 0}, {2, 6}, {4, 0}}}}},
        {'Y', {4, {{{0, 0}, {2, 3}, {4, 0}}, {{2, 3}, {2, 6}}}}},
        {'Z', {4, {{{0, 0}, {4, 0}, {0, 6}, {4, 6}}}}},
        {'!', {2, {{{1, 0}, {1, 3.8}}, {{1, 5.9}, {1, 6}}}}},
        {'%', {4, {{{4, 0}, {0, 6}},
                   {{0.9, 0}, {1.5, 0.3}, {1.8, 0.9}, {1.5, 1.5}, {0.9, 1.8}, {0.3, 1.5}, {0, 0.9}, {0.3, 0.3}, {0.9, 0}},
                   {{3.1, 4.2}, {3.7, 4.5}, {4, 5.1}, {3.7, 5.7}, {3.1, 6}, {2.5, 5.7}, {2.2, 5.1}, {2.5, 4.5}, {3.1, 4.2}}}}},
        {' ', {2.5, {}}},
    };
    return glyphs;
}

constexpr double kGap = 1.6; // grid units between letters

} // namespace

bool CanLetter(const QString& text)
{
    for (QChar c : text)
        if (!Glyphs().contains(c))
            return false;
    return true;
}

QPainterPath StrokeText(const QString& text, double capHeight, double weight)
{
    // Strokes are centred on the grid lines; the pen's half width is added round the outside.
    const double pen = weight > 0 ? weight : std::max(1.2, capHeight * 0.2);
    const double scale = (capHeight - pen) / 6.0;
    QPainterPath lines;
    double x = 0;
    for (QChar c : text) {
        const auto it = Glyphs().find(c);
        if (it == Glyphs().end())
            continue;
        for (const TStroke& stroke : it->second.Strokes) {
            lines.moveTo(QPointF(pen / 2 + (x + stroke[0].x()) * scale, pen / 2 + stroke[0].y() * scale));
            for (size_t i = 1; i < stroke.size(); ++i)
                lines.lineTo(QPointF(pen / 2 + (x + stroke[i].x()) * scale, pen / 2 + stroke[i].y() * scale));
        }
        x += it->second.Advance + kGap;
    }
    QPainterPathStroker stroker;
    stroker.setWidth(pen);
    stroker.setCapStyle(Qt::RoundCap);
    stroker.setJoinStyle(Qt::RoundJoin);
    return stroker.createStroke(lines).simplified();
}

} // namespace art
