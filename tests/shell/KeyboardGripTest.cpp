#include "support/GameHarness.h"

#include "game/GripGame.h"
#include "game/KeyGrip.h"
#include "game/StressValue.h"
#include "shell/Datas.h"
#include "shell/ScreenForm.h"

#include <QApplication>
#include <QKeyEvent>
#include <QMenu>
#include <QMessageBox>

#include <gtest/gtest.h>

namespace {

void Key(QObject& target, QEvent::Type type, int key, bool repeat = false,
         Qt::KeyboardModifiers modifiers = Qt::NoModifier)
{
    QKeyEvent event(type, key, modifiers, QString(), repeat);
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

TEST(KeyboardGrip, NoKeyStaysHeldPastAModifierAMenuOrADialog)
{
    TGameHarness h(NoBall());
    TKeyGrip& keys = h.Game()->Keys();
    // Let go with Ctrl, Alt or Meta down: still let go.
    for (Qt::KeyboardModifier modifier : {Qt::ControlModifier, Qt::AltModifier, Qt::MetaModifier}) {
        Key(h.Screen(), QEvent::KeyPress, Qt::Key_K);
        ASSERT_NE(keys.HeldForce(), 0);
        Key(h.Screen(), QEvent::KeyRelease, Qt::Key_K, false, modifier);
        EXPECT_EQ(keys.HeldForce(), 0) << modifier;
    }
    // A release that reaches another window of the program's, and a menu or a dialog opening,
    // which takes the keyboard and the release with it.
    QMenu menu;
    Key(h.Screen(), QEvent::KeyPress, Qt::Key_L);
    Key(menu, QEvent::KeyRelease, Qt::Key_L);
    EXPECT_EQ(keys.HeldForce(), 0);
    Key(h.Screen(), QEvent::KeyPress, Qt::Key_J);
    menu.popup(h.Screen().mapToGlobal(QPoint(100, 100)));
    EXPECT_EQ(keys.HeldForce(), 0);
    QMessageBox box(QMessageBox::Information, "Grip Rhythm", "A message", QMessageBox::Ok, &h.Screen());
    Key(h.Screen(), QEvent::KeyPress, Qt::Key_J);
    box.show();
    EXPECT_EQ(keys.HeldForce(), 0);
}
