// Choosing a song from the library over the game picture.
#include "support/GameHarness.h"

#include "core/GameCore.h"
#include "core/SongList.h"
#include "shell/ScreenForm.h"
#include "shell/SongChooser.h"

#include <QApplication>
#include <QElapsedTimer>
#include <QFile>
#include <QKeyEvent>
#include <QTemporaryDir>

#include <gtest/gtest.h>

namespace {

void Type(QWidget& target, int key, const QString& text = {})
{
    QKeyEvent press(QEvent::KeyPress, key, Qt::NoModifier, text);
    QApplication::sendEvent(&target, &press);
    QKeyEvent release(QEvent::KeyRelease, key, Qt::NoModifier, text);
    QApplication::sendEvent(&target, &release);
}

} // namespace

TEST(SongChooser, TypingFiltersEnterChoosesAndTheGripKeysTypeMeanwhile)
{
    TGameHarness::TOptions keysOnly;
    keysOnly.PlugBall = false;
    TGameHarness h(keysOnly);
    QTemporaryDir songs;
    for (const char* name : {"greensleeves.mid", "ode_to_joy.mid", "minuet_in_g.mid"})
        ASSERT_TRUE(QFile::copy(GRIP_BIN_DIR "songs/" + QString(name), songs.filePath(name)));
    h.Core().Library->Places = TSongListPlaces{{{songs.path(), 1, {"*.mid"}}}, songs.filePath("cache.json"), songs.filePath("none.csv")};
    h.PressStart();
    h.RunMs(300);
    ASSERT_TRUE(h.Playing());

    h.Screen().OpenSongList();
    TSongChooser& chooser = *h.Screen().SongChooser;
    EXPECT_TRUE(chooser.isVisible());
    EXPECT_FALSE(h.Playing());
    QElapsedTimer waited;
    waited.start();
    while (h.Core().Library->Listing() && waited.elapsed() < 30000)
        QApplication::processEvents(QEventLoop::AllEvents, 50);
    ASSERT_EQ(chooser.Shown().size(), 3u);
    // Insert marks the song under the bar for sessions, and the mark is kept for the player.
    Type(chooser, Qt::Key_Insert);
    EXPECT_EQ(h.Core().MarkedSongs(), QStringList{chooser.Shown()[0]->Path});
    EXPECT_EQ(chooser.Marks(), h.Core().MarkedSongs());

    // J is a letter here, not a light grip.
    Type(chooser, Qt::Key_J, "j");
    h.RunMs(30);
    EXPECT_EQ(h.Level(), 0);
    Type(chooser, Qt::Key_O, "O");
    ASSERT_EQ(chooser.Shown().size(), 1u);
    EXPECT_EQ(chooser.Shown()[0]->Name, "Ode to Joy");
    Type(chooser, Qt::Key_Backspace);
    Type(chooser, Qt::Key_Backspace);
    Type(chooser, Qt::Key_N, "N");
    // Greensleeves and Minuet in G, in the library's order; the arrow moves to the second.
    ASSERT_EQ(chooser.Shown().size(), 2u);
    Type(chooser, Qt::Key_Down);
    Type(chooser, Qt::Key_Return);
    EXPECT_FALSE(chooser.isVisible());
    EXPECT_EQ(QString::fromStdString(h.Core().ChosenSongPath()),
              QFileInfo(songs.filePath("minuet_in_g.mid")).canonicalFilePath());

    // Closed, the keys grip again.
    QKeyEvent press(QEvent::KeyPress, Qt::Key_L, Qt::NoModifier);
    QApplication::sendEvent(&h.Screen(), &press);
    h.RunMs(30);
    EXPECT_EQ(h.Level(), 6);
}
