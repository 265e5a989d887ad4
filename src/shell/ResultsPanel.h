#pragma once

#include "training/ResultsFigures.h"

#include <QImage>
#include <QRect>
#include <QSize>

#include <vector>

// The results of a game the song ended, on the game picture in the game's own lettering and
// colours: a plate for each player who played, laid where none of the figures stands, until
// the results are taken down.
class TResultsPanel {
public:
    // Puts these results up, or takes them down when there are none; the plates are painted
    // again only when the results change.
    void Show(const std::vector<TResultsFigures>& figures);
    bool Up() const { return !figures_.empty(); }
    // Each player's plate on the game surface, in the order of the results.
    std::vector<QRect> Areas() const;
    // Onto the frame's back surface, in its coordinates; nothing while down.
    void Draw(QImage& surface) const;

    // Where a lane's plate stands on the game surface.
    static QRect Area(int lane);
    // Whether a plate stands on the lane.
    bool OnLane(int lane) const;

private:
    std::vector<TResultsFigures> figures_;
    std::vector<QImage> plates_;
};

// One player's plate, transparent around its rounded outline.
QImage ResultsPlate(const TResultsFigures& figures, QSize size);
