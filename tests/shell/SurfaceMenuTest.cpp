#include "support/GameHarness.h"

#include "core/GameCore.h"
#include "game/GripGame.h"
#include "shell/ScreenForm.h"
#include "shell/SurfaceMenu.h"

#include <QAction>
#include <QSettings>

#include <gtest/gtest.h>

TEST(SurfaceMenu, PreciseTimingIsAnOptionTickedAsTheGameHasItAndRemembered)
{
    TGameHarness h;
    auto entry = [&]() -> QAction* {
        for (QAction* action : h.Screen().Menu->Build(QPoint(100, 60)).actions())
            if (action->text() == "Precise timing")
                return action;
        return nullptr;
    };
    ASSERT_NE(entry(), nullptr);
    EXPECT_TRUE(entry()->isCheckable());
    EXPECT_FALSE(entry()->isChecked());
    entry()->trigger();
    EXPECT_TRUE(h.Game()->PreciseTiming());
    EXPECT_TRUE(entry()->isChecked());
    const QString file = h.UserFolder() + "/config/griprhythm/griprhythm.conf";
    EXPECT_TRUE(QSettings(file, QSettings::IniFormat).value("play/precise_timing").toBool());
    entry()->trigger();
    EXPECT_FALSE(h.Game()->PreciseTiming());
    EXPECT_FALSE(QSettings(file, QSettings::IniFormat).value("play/precise_timing").toBool());
}
