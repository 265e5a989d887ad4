#pragma once

#include "training/GameRecord.h"

#include <QString>
#include <QWidget>

#include <vector>

class QChartView;
class QLabel;

// A window of its own with a player's progress over the weeks: the chart griptool history
// draws, or a line saying there is nothing to draw yet.
class TProgressWindow : public QWidget {
public:
    explicit TProgressWindow(QWidget* parent = nullptr);

    // The games of that player (empty for every player's), read from the record now.
    void ShowPlayer(const QString& player, const std::vector<TGameRecord>& games);

    QChartView* Chart() const { return chart_; }
    QLabel* Nothing() const { return nothing_; }

private:
    QChartView* chart_;
    QLabel* nothing_;
};

// Opens, or brings to the front with its figures anew, the progress window of the player
// chosen for the lane (everyone's when the lane has no name), over parent.
TProgressWindow* ShowProgress(QWidget& parent, int lane);
