#include "support/GameHarness.h"

#include "game/GripGame.h"
#include "game/StressValue.h"
#include "shell/Datas.h"
#include "shell/ScreenForm.h"

#include <QApplication>
#include <QKeyEvent>

#include <gtest/gtest.h>

namespace {

void Key(QObject& target, QEvent::Type type, int key, bool repeat = false)
{
    QKeyEvent event(type, key, Qt::NoModifier, QString(), repeat);
    QApplication::sendEvent(&target, &event);
}

TGameHarness::TOptions NoBall()
{
    TGameHarness::TOptions options;
    options.PlugBall = false;
    return options;
}

} // namespace

TEST(KeyboardGrip, KeysInTheMainWindowGripForPlayerOneWhileItHasNoBall)
{
    TGameHarness h(NoBall());
    h.PressStart();
    h.RunMs(500);
    // A key pressed on any control of the window counts there, and types nothing into Edit1.
    Key(*h.Screen().Edit1, QEvent::KeyPress, Qt::Key_L);
    h.RunMs(30);
    EXPECT_EQ(h.Level(), 6);
    EXPECT_EQ(h.Screen().Edit1->text(), "6");
    // The window's own repeats of a held key change nothing; letting go is easing the grip.
    Key(h.Screen(), QEvent::KeyPress, Qt::Key_L, true);
    Key(h.Screen(), QEvent::KeyRelease, Qt::Key_L, true);
    h.RunMs(30);
    EXPECT_EQ(h.Level(), 6);
    Key(h.Screen(), QEvent::KeyRelease, Qt::Key_L);
    h.RunMs(30);
    EXPECT_EQ(h.Level(), 0);

    // The window losing the keyboard lets go of a held key.
    Key(h.Screen(), QEvent::KeyPress, Qt::Key_J);
    h.RunMs(30);
    EXPECT_EQ(h.Level(), 2);
    QEvent deactivate(QEvent::ApplicationDeactivate);
    QApplication::sendEvent(qApp, &deactivate);
    EXPECT_EQ(h.Game()->Keys().HeldForce(), 0);
}

TEST(KeyboardGrip, WithABallTheKeysDoNothing)
{
    TGameHarness h;
    h.SetEasyMode(true);
    h.SetForce(10);
    Key(h.Screen(), QEvent::KeyPress, Qt::Key_L);
    h.RunMs(50);
    EXPECT_EQ(h.Level(), 2);
    // Pulled out, the ball leaves player one to the keys, still held.
    h.Bus().Unplug(h.Ball());
    h.RunMs(30);
    EXPECT_EQ(h.Level(), 6);
}
