// The training's entries on the surface's right-click menu, for the half that was clicked.
#include "support/GameHarness.h"

#include "core/GameCore.h"
#include "game/GripGame.h"
#include "hid/simulated/HidSimulatedBus.h"
#include "shell/ScreenForm.h"
#include "shell/SurfaceMenu.h"
#include "training/Training.h"

#include <QAction>

#include <gtest/gtest.h>

namespace {

QAction* Entry(TGameHarness& h, QPoint at, const QString& text)
{
    for (QAction* action : h.Screen().Menu->Build(at).actions())
        if (action->text() == text)
            return action;
    ADD_FAILURE() << "no entry " << text.toStdString();
    static QAction none;
    return &none;
}

} // namespace

TEST(TrainingMenu, EachEntryServesThePlayerWhoseHalfWasClicked)
{
    TGameHarness h;
    const TGripFitting& fitting = h.Core().Training->Fitting();
    const QPoint upper(100, 60), lower(100, 300);
    EXPECT_FALSE(Entry(h, lower, "Reset calibration")->isEnabled());
    EXPECT_FALSE(Entry(h, lower, "Cancel calibration")->isEnabled());
    // With one ball, the lower half is player one's too.
    Entry(h, lower, "Calibrate grip…")->trigger();
    EXPECT_EQ(fitting.CalibratingPlayer(), 0);
    ASSERT_TRUE(Entry(h, lower, "Cancel calibration")->isEnabled());
    Entry(h, lower, "Cancel calibration")->trigger();
    EXPECT_FALSE(fitting.Calibrating());

    h.Bus().PlugGripBall();
    ASSERT_TRUE(h.Game()->PlayerTwoStress()->Device);
    Entry(h, lower, "Calibrate grip…")->trigger();
    EXPECT_EQ(fitting.CalibratingPlayer(), 1);
    Entry(h, upper, "Calibrate grip…")->trigger();
    EXPECT_EQ(fitting.CalibratingPlayer(), 0);
}
