#include "shell/PlayerMenu.h"

#include "core/GameCore.h"
#include "game/GripGame.h"
#include "game/StressValue.h"
#include "shell/PlayerDialog.h"
#include "shell/ProgressWindow.h"
#include "shell/SurfaceMenu.h"
#include "shell/TrainingMenu.h"

#include <QWidget>

void AddPlayerEntries(TSurfaceMenu& menu, QWidget& window)
{
    auto ready = [](QPoint) { return GameCore != nullptr; };
    menu.Add(
        "Player…",
        [&window](QPoint at) {
            const TGripGame* game = GameCore->Game();
            TPlayerDialog dialog(LaneAt(at), game && game->PlayerTwoStress()->Device, &window);
            dialog.exec();
        },
        ready);
    menu.Add(
        "Progress…", [&window](QPoint at) { ShowProgress(window, LaneAt(at)); }, ready);
    // Player one's, whichever half was clicked: the game adapts the lane that sets the speed.
    menu.AddOption(
        "Adapt to me", [] { return GameCore && GameCore->Adapting(); },
        [](bool on) {
            if (GameCore)
                GameCore->SetAdapting(on);
        });
}
