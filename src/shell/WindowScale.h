#pragma once

#include <QFont>
#include <QHash>
#include <QObject>
#include <QRect>
#include <QSize>

#include <optional>

class QWidget;
class TScaledStyle;

// The controls of a window at a whole-number multiple of their designed places and sizes,
// with their lettering and the style's measures grown alike: at a larger scale they are drawn
// anew at that size, never enlarged as a picture. The window's own size is its owner's.
class TWindowScale : public QObject {
public:
    // Takes the window's controls as they stand as their designed places.
    explicit TWindowScale(QWidget& window);

    int Scale() const { return scale_; }
    // Places every control at n times its designed geometry; a control made since is taken
    // as designed at the scale in force when it was first seen.
    void Apply(int n);

private:
    struct TDesigned {
        QRect Geometry;
        std::optional<QFont> Font;
    };
    void Take(QWidget* control);

    QWidget& window_;
    QFont windowFont_;
    QHash<QWidget*, TDesigned> designed_;
    TScaledStyle* style_ = nullptr;
    int scale_ = 1;
};

// The font at n times its size, in pixels or points as it is given.
QFont ScaledFont(QFont font, int n);

// The largest whole scale at which something of the designed size fits the available area
// (at least 1).
int LargestFittingScale(QSize designed, const QRect& available);

// The rectangle moved as little as may be so that it lies on the available area; one larger
// than the area keeps to its top left.
QRect KeptOn(const QRect& wanted, const QRect& available);
