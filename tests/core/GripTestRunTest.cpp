// The grip test as the game runs it: from the menu, on the simulated ball, into the record.
#include "support/GameHarness.h"

#include "core/GameCore.h"
#include "game/GripGame.h"
#include "game/StressValue.h"
#include "hid/simulated/HidSimulatedBus.h"
#include "midi/MidiPlayer.h"
#include "shell/ScreenForm.h"
#include "shell/SurfaceMenu.h"
#include "training/TrainingLog.h"

#include <QAction>
#include <QCoreApplication>
#include <QKeyEvent>

#include <gtest/gtest.h>

#include <stdexcept>

namespace {

QAction* TestEntry(TGameHarness& h)
{
    for (QAction* action : h.Screen().Menu->Build({100, 60}).actions())
        if (action->text() == "Grip test…")
            return action;
    throw std::runtime_error("no grip test entry");
}

} // namespace

TEST(GripTestRun, TheTestTakesTheBallWhileTheSongWaitsAndEndsInARecordLine)
{
    TGameHarness h;
    TGameCore& core = h.Core();
    // Esc, or the entry again, stops a test and writes nothing.
    for (bool byEsc : {true, false}) {
        TestEntry(h)->trigger();
        ASSERT_TRUE(core.GripTesting());
        QKeyEvent esc(QEvent::KeyPress, Qt::Key_Escape, Qt::NoModifier);
        byEsc ? void(QCoreApplication::sendEvent(&h.Screen(), &esc)) : TestEntry(h)->trigger();
        EXPECT_FALSE(core.GripTesting());
    }
    h.PressStart();
    h.RunMs(300);
    TestEntry(h)->trigger();
    ASSERT_TRUE(core.GripTesting());
    EXPECT_FALSE(core.MidiPlayer->Play());
    // Squeezes of 200, 150 and 100; no grip at the balls; then force 150 held for two seconds.
    h.SetGrip([&h, t0 = h.Now()] {
        const std::int64_t t = h.Now() - t0;
        return std::uint8_t(t < 1800 ? (t % 600 < 300 ? 200 - t / 600 * 50 : 0) : (t >= 12500 && t < 14500) * 150);
    });
    h.RunMs(100);
    EXPECT_EQ(h.Game()->PlayerOneStress()->Level, 0) << "the game took a grip the test was given";
    EXPECT_NE(core.GripTestText().indexOf("squeeze as hard as you can"), -1);
    h.RunMs(15000);
    // The game paused is not ended: the test's is the only line, and the stopped ones wrote none.
    const std::vector<TGameRecord> lines = ReadRecordFile(h.UserFolder() + "/data/griprhythm/training.csv").Records;
    ASSERT_EQ(lines.size(), 1u);
    EXPECT_EQ(lines[0].PeakForce, 200);
    EXPECT_EQ(lines[0].TestPacePerMinute, 0.0);
    EXPECT_EQ(lines[0].TestHoldSeconds, 2.0);
    EXPECT_EQ(core.GripTestText(), "Grip test: peak 200, pace 0 a minute, held 2.0 s.");

    // On the keys it says it needs a ball.
    h.Bus().Unplug(h.Ball());
    TestEntry(h)->trigger();
    EXPECT_FALSE(core.GripTesting());
    EXPECT_EQ(core.GripTestText(), "The grip test needs a grip ball: player one plays on the keys.");
}
