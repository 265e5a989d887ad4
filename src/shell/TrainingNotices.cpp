#include "shell/TrainingNotices.h"

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

void ShowTrainingNotices(const TTraining& training, TSurfaceNotices& notices)
{
    ShowOrHide(notices, "results", training.Results());
    ShowOrHide(notices, "calibration", training.Fitting().Text());
}
