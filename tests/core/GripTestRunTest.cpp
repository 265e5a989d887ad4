// The grip test as the game runs it: from the menu, on the simulated ball, into the record.
#include "support/GameHarness.h"

#include "core/GameCore.h"
#include "game/GripGame.h"
#include "game/StressValue.h"
#include "midi/MidiPlayer.h"
#include "shell/ScreenForm.h"
#include "shell/SurfaceMenu.h"
#include "training/TrainingLog.h"

#include <QAction>
#include <QCoreApplication>
#include <QKeyEvent>

#include <gtest/gtest.h>

namespace {

QAction* TestEntry(TGameHarness& h)
{
    for (QAction* action : h.Screen().Menu->Build({100, 60}).actions())
        if (action->text() == "Grip test…")
            return action;
    ADD_FAILURE() << "no grip test entry";
    static QAction none;
    return &none;
}

std::vector<TGameRecord> Tests(const TGameHarness& h)
{
    std::vector<TGameRecord> tests;
    for (const TGameRecord& r : ReadRecordFile(h.UserFolder() + "/data/griprhythm/training.csv").Records)
        if (r.Mode == "test")
            tests.push_back(r);
    return tests;
}

} // namespace

TEST(GripTestRun, TheTestTakesTheBallWhileTheSongWaitsAndEndsInARecordLine)
{
    TGameHarness h;
    TGameCore& core = h.Core();
    h.PressStart();
    h.RunMs(300);
    TestEntry(h)->trigger();
    ASSERT_TRUE(core.GripTesting());
    EXPECT_FALSE(core.MidiPlayer->Play());
    // Squeezes of 200, 150 and 100; no grip at the balls; then force 150 held for two seconds.
    const std::int64_t t0 = h.Now();
    h.SetGrip([&] {
        const std::int64_t t = h.Now() - t0;
        if (t < 1800)
            return std::uint8_t(t % 600 < 300 ? 200 - t / 600 * 50 : 0);
        return std::uint8_t(t >= 12500 && t < 14500 ? 150 : 0);
    });
    h.RunMs(100);
    EXPECT_EQ(h.Game()->PlayerOneStress()->Level, 0) << "the game took a grip the test was given";
    EXPECT_NE(core.GripTestText().indexOf("squeeze as hard as you can"), -1) << core.GripTestText().toStdString();
    h.RunMs(15000);
    EXPECT_FALSE(core.GripTesting());
    EXPECT_FALSE(TestEntry(h)->isChecked());
    const std::vector<TGameRecord> tests = Tests(h);
    ASSERT_EQ(tests.size(), 1u);
    EXPECT_EQ(tests[0].Song, "grip test");
    EXPECT_FALSE(tests[0].Input.isEmpty());
    EXPECT_EQ(tests[0].PeakForce, 200);
    EXPECT_EQ(tests[0].TestPacePerMinute, 0.0);
    EXPECT_EQ(tests[0].TestHoldSeconds, 2.0);
    EXPECT_EQ(core.GripTestText(), "Grip test: peak 200, pace 0 a minute, held 2.0 s.");
}

TEST(GripTestRun, EscOrTheEntryAgainStopsItWithoutALine)
{
    TGameHarness h;
    h.SetForce(0);
    for (bool byEsc : {true, false}) {
        TestEntry(h)->trigger();
        ASSERT_TRUE(h.Core().GripTesting());
        h.RunMs(4000);
        if (byEsc) {
            QKeyEvent esc(QEvent::KeyPress, Qt::Key_Escape, Qt::NoModifier);
            QCoreApplication::sendEvent(&h.Screen(), &esc);
        } else {
            TestEntry(h)->trigger();
        }
        EXPECT_FALSE(h.Core().GripTesting());
        EXPECT_NE(h.Core().GripTestText().indexOf("nothing was recorded"), -1);
    }
    EXPECT_TRUE(Tests(h).empty());
}

TEST(GripTestRun, OnTheKeysItSaysItNeedsABall)
{
    TGameHarness::TOptions noBall;
    noBall.PlugBall = false;
    TGameHarness h(noBall);
    TestEntry(h)->trigger();
    EXPECT_FALSE(h.Core().GripTesting());
    EXPECT_EQ(h.Core().GripTestText(), "The grip test needs a grip ball: player one plays on the keys.");
}
