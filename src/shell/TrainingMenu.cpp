#include "shell/TrainingMenu.h"

#include "core/GameCore.h"
#include "game/GripGame.h"
#include "shell/SurfaceMenu.h"
#include "training/Training.h"

// The lower half of the surface is player two's.
int LaneAt(QPoint at)
{
    const TGripGame* game = GameCore ? GameCore->Game() : nullptr;
    return game && at.y() >= 193 && game->PlayerTwoStress()->Device ? 1 : 0;
}

namespace {

TTraining* Training() { return GameCore && GameCore->Game() ? GameCore->Training.get() : nullptr; }

} // namespace

void AddTrainingEntries(TSurfaceMenu& menu)
{
    menu.Add(
        "Calibrate grip…",
        [](QPoint at) {
            // A calibration needs the ball's forces, which a running grip test takes.
            GameCore->StopGripTest();
            Training()->Calibrate(LaneAt(at));
        },
        [](QPoint) { return Training() != nullptr; });
    menu.Add(
        "Reset calibration", [](QPoint at) { Training()->ResetCalibration(LaneAt(at)); },
        [](QPoint at) { return Training() && Training()->Fitting().Scale(LaneAt(at)).Fitted(); });
    menu.Add(
        "Cancel calibration", [](QPoint) { Training()->CancelCalibration(); },
        [](QPoint) { return Training() && Training()->Fitting().Calibrating(); });
}
