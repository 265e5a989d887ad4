#include "shell/ProgressWindow.h"

#include "core/GameCore.h"
#include "training/ProgressChart.h"
#include "training/Training.h"
#include "training/TrainingLog.h"

#include <QLabel>
#include <QPointer>
#include <QVBoxLayout>
#include <QtCharts/QChart>
#include <QtCharts/QChartView>

TProgressWindow::TProgressWindow(QWidget* parent) : QWidget(parent, Qt::Window)
{
    auto* layout = new QVBoxLayout(this);
    chart_ = new QChartView;
    chart_->setRenderHint(QPainter::Antialiasing);
    layout->addWidget(chart_);
    nothing_ = new QLabel;
    nothing_->setAlignment(Qt::AlignCenter);
    layout->addWidget(nothing_);
    resize(1000, 600);
}

void TProgressWindow::ShowPlayer(const QString& player, const std::vector<TGameRecord>& games)
{
    setWindowTitle(player.isEmpty() ? QString("Progress") : "Progress of " + player);
    nothing_->setVisible(games.empty());
    chart_->setVisible(!games.empty());
    if (games.empty()) {
        nothing_->setText(player.isEmpty() ? QString("No games recorded yet: a game goes into the record when it ends.")
                                           : "No games recorded for " + player + " yet.");
        return;
    }
    // The view owns the chart it shows, and lets go of the one before.
    QChart* before = chart_->chart();
    chart_->setChart(MakeProgressChart(games, ProgressTitle(games, player, std::nullopt), player));
    delete before;
}

TProgressWindow* ShowProgress(QWidget& parent, int lane)
{
    static QPointer<TProgressWindow> windows[2];
    QPointer<TProgressWindow>& window = windows[lane];
    if (!window)
        window = new TProgressWindow(&parent);
    const std::optional<TPlayer>& player = GameCore->ChosenPlayer(lane);
    const TRecordFile record = ReadRecordFiles(GameCore->Training->Log().Path());
    window->ShowPlayer(player ? player->Name() : QString(),
                       GamesOf(record.Records, player ? std::optional(player->Names) : std::nullopt));
    window->show();
    window->raise();
    window->activateWindow();
    return window;
}
