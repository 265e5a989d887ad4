#include "shell/TrainingNotices.h"

#include "shell/ResultsPanel.h"
#include "shell/SurfaceNotices.h"
#include "training/Training.h"

namespace {

void ShowOrHide(TSurfaceNotices& notices, const QString& key, const QString& text)
{
    if (text.isEmpty())
        notices.Hide(key);
    else
        notices.Show(key, text);
}

} // namespace

void ShowTrainingNotices(const TTraining& training, TSurfaceNotices& notices, TResultsPanel& results)
{
    results.Show(training.ResultFigures());
    // Once the song has ended, player two's figure jumps up under the notices' usual place: while
    // the results are up the notices take the track of a lane without results, or the hint goes
    // when both lanes have them.
    if (!results.Up()) {
        notices.Area = TSurfaceNotices::DefaultArea;
    } else if (results.OnLane(0) && results.OnLane(1)) {
        notices.Hide("keys");
    } else {
        const QRect track = TResultsPanel::Area(results.OnLane(0) ? 1 : 0);
        notices.Area = QRect(track.left() + 1, track.top() + 2, track.width() - 2, track.height() - 4);
    }
    ShowOrHide(notices, "calibration", training.Fitting().Text());
    ShowOrHide(notices, "adapted", training.ResultsNote());
}
