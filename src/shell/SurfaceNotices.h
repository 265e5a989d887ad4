#pragma once

#include <QImage>
#include <QRect>
#include <QString>
#include <QStringList>

#include <utility>
#include <vector>

// Short texts over the game picture: a hint, a warning, a prompt, a result. Each is put up
// under a key, so whoever put it up changes or takes down its own and leaves the others be;
// they stack in one box, in the order put up, drawn above every layer on each frame.
class TSurfaceNotices {
public:
    // Puts the text up, or changes it in place when the key is up already.
    void Show(const QString& key, const QString& text);
    void Hide(const QString& key);
    // Empty when nothing is up under the key.
    QString Text(const QString& key) const;
    QStringList Texts() const;
    bool Empty() const { return notices_.empty(); }

    // Onto the frame's back surface, in its coordinates; nothing when none is up.
    void Draw(QImage& surface) const;

    // Where the box goes: its top left corner and its widest; it grows down as it needs, and is
    // lifted as far as it would otherwise run off the picture's bottom.
    // By default the top left of player two's half, where no ball runs and nothing is judged.
    static constexpr QRect DefaultArea{38, 186, 196, 64};
    QRect Area = DefaultArea;
    // The box as last drawn, on the surface; empty when nothing was up.
    QRect Bounds() const;

private:
    std::vector<std::pair<QString, QString>> notices_;
    // The box as last laid out, kept while its texts and area stay: laying text out and
    // filling a rounded outline on every frame of a moving game costs more than the rest of
    // the frame's drawing.
    mutable QImage box_;
    mutable QPoint boxOrigin_;
    // Where it was last blended: the origin, lifted to keep the box on the picture.
    mutable QPoint drawnOrigin_;
    mutable QString boxText_;
    mutable QRect boxArea_;
};
