// Choosing the song in the game: what a chosen song brings with it, what it leaves behind, and
// what stays when it cannot be played.
#include "support/GameHarness.h"

#include "core/GameCore.h"
#include "game/BeatMapMaker.h"
#include "game/GripGame.h"
#include "midi/MidiData.h"
#include "midi/SmfBuilder.h"
#include "midi/PianoRoll.h"
#include "platform/Preferences.h"
#include "shell/Datas.h"
#include "shell/ScreenForm.h"
#include "shell/SurfaceMenu.h"
#include "sprites/DXDraws.h"
#include "sprites/PictureCollection.h"

#include <gtest/gtest.h>

#include <QDir>
#include <QFileInfo>
#include <QFile>
#include <QMenu>
#include <QMimeData>
#include <QSettings>
#include <QTemporaryDir>
#include <QUrl>

#include <string>
#include <vector>

namespace {

const QString MusicSet = QStringLiteral("/usr/share/games/openttd/baseset/openmsx/");

// The player's own folder: songs copied in under names of the test's choosing, with beat maps.
class TMusicFolder {
public:
    QString Song(const QString& name, const QString& from = "train_filled_with_cash.mid")
    {
        EXPECT_TRUE(QFile::copy(MusicSet + from, dir_.filePath(name))) << "scripts/deps installs the music set";
        return dir_.filePath(name);
    }
    QString File(const QString& name, const QByteArray& text)
    {
        QFile f(dir_.filePath(name));
        EXPECT_TRUE(f.open(QIODevice::WriteOnly));
        f.write(text);
        return f.fileName();
    }
    QStringList Files() const { return QDir(dir_.path()).entryList(QDir::Files, QDir::Name); }

private:
    QTemporaryDir dir_;
};

// The song column of each game in the training record.
std::string RecordedSongs(const TGameHarness& h)
{
    QFile file(h.UserFolder() + "/data/griprhythm/training.csv");
    QStringList songs;
    if (file.open(QIODevice::ReadOnly))
        for (const QString& line : QString::fromUtf8(file.readAll()).split('\n', Qt::SkipEmptyParts).mid(1))
            songs << line.section(',', 1, 1);
    return songs.join(' ').toStdString();
}

std::vector<double> LaneOneX(TGameHarness& h)
{
    std::vector<double> xs;
    for (TPrize* ball : h.Game()->PlayerOne->Lane->Balls)
        xs.push_back(ball->X);
    return xs;
}

QImage TitleArea(TGameHarness& h)
{
    h.Frame();
    return h.Screen().DXDraw->PresentedImage().copy(45, 7, 186, 22);
}

} // namespace

TEST(SongSwitch, AChosenSongStopsThePlayingOneAndIsLaidReadyWithItsTitleAndItsOwnBalls)
{
    TMusicFolder folder;
    const QString song = folder.Song("train.mid");
    TGameHarness h;
    const QImage shippedTitle = TitleArea(h);
    h.PressStart();
    h.RunMs(12000);  // the first ball has been judged
    ASSERT_TRUE(h.Playing());
    ASSERT_FALSE(h.MemoLines().isEmpty());

    h.Screen().OpenSong(song);
    ASSERT_TRUE(h.Messages().isEmpty()) << h.Messages().join("\n").toStdString();
    EXPECT_FALSE(h.Playing());
    EXPECT_FALSE(h.Game()->PlayerOne->Figures->Figure->Timer().isActive());
    EXPECT_EQ(h.LastSongPosition(), 0);
    EXPECT_TRUE(h.Game()->PlayerOne->Lane->Balls.empty());
    EXPECT_TRUE(h.Game()->PlayerTwo->Lane->Balls.empty());
    EXPECT_TRUE(h.MemoLines().isEmpty());
    EXPECT_EQ(h.Debug().edtMidiName->text(), "train.mid");
    // The game it ended is in the training record under the song it played.
    EXPECT_EQ(RecordedSongs(h), "invincible.mid");
    // The plate names the song; the piano roll shows its melody.
    EXPECT_EQ(h.Game()->PlayerOne->SongName->Image->Name(), "songtitle");
    EXPECT_NE(TitleArea(h), shippedTitle);
    const TMadeBeatMap made = MakeBeatMap(*h.Core().MidiData);
    EXPECT_EQ(h.Debug().PianoRoll->Track(), made.Melody.Track);

    h.PressStart();
    ASSERT_TRUE(h.Playing());
    const std::vector<double> xs = LaneOneX(h);
    ASSERT_EQ(xs.size(), made.Meets.size());
    for (std::size_t i = 0; i < xs.size(); ++i)
        ASSERT_DOUBLE_EQ(xs[i], 275 - made.Meets[i]) << i;
    const std::size_t heard = h.Midi().Messages().size();
    h.RunMs(3000);
    EXPECT_GT(h.Midi().Messages().size(), heard + 20);
    EXPECT_GT(h.LastSongPosition(), 300);
    h.PressStart();
    EXPECT_EQ(RecordedSongs(h), "invincible.mid train.mid");
    // Nothing was written beside the player's song.
    EXPECT_EQ(folder.Files(), QStringList{"train.mid"});
}

TEST(SongSwitch, ABeatMapBesideTheSongIsUsedAndEachSongStartsFromAFreshOne)
{
    TMusicFolder folder;
    const QString first = folder.Song("first.mid");
    folder.File("first.txt", "3:0:0\n3:1:0\n9:0:0\n");
    const QString second = folder.Song("second.mid", "tttheme2.mid");
    folder.File("second.txt", "2:0:0\r\n4:0:0\r\n");
    TGameHarness h;
    h.Screen().OpenSong(first);
    h.PressStart();
    EXPECT_EQ(LaneOneX(h), (std::vector<double>{775 - 1200, 775 - 1300}));
    h.RunMs(500);
    // A reload of the same map keeps what the last load left within its size; a new song does
    // not: its one ball is all there is, not the first song's two besides.
    h.Screen().OpenSong(second);
    h.PressStart();
    EXPECT_EQ(LaneOneX(h), (std::vector<double>{775 - 800}));
    EXPECT_TRUE(h.Messages().isEmpty()) << h.Messages().join("\n").toStdString();
}

TEST(SongSwitch, AMadeMapTakesTheRememberedLevelAndTheCoreSaysWhichItUsed)
{
    TMusicFolder folder;
    const QString made = folder.Song("made.mid");
    const QString beside = folder.Song("beside.mid");
    folder.File("beside.txt", "3:0:0\n3:1:0\n9:0:0\n");
    TGameHarness h;
    EXPECT_EQ(h.Core().ChosenLevel(), "");
    h.Screen().OpenSong(made);
    EXPECT_EQ(h.Core().ChosenLevel(), "normal");
    h.PressStart();
    const std::size_t normal = LaneOneX(h).size();
    // The menu's choice is the one remembered, and checked when the menu opens again.
    QMenu* level = nullptr;
    for (QAction* action : h.Screen().Menu->Build({10, 10}).actions())
        if (action->text() == "Level")
            level = action->menu();
    ASSERT_NE(level, nullptr);
    ASSERT_EQ(level->actions().size(), 3);
    EXPECT_TRUE(level->actions()[1]->isChecked());
    level->actions()[0]->trigger();
    for (QAction* action : h.Screen().Menu->Build({10, 10}).actions())
        if (action->text() == "Level") {
            EXPECT_TRUE(action->menu()->actions()[0]->isChecked());
        }
    h.Screen().OpenSong(made);
    EXPECT_EQ(h.Core().ChosenLevel(), "easy");
    h.PressStart();
    EXPECT_LT(LaneOneX(h).size(), normal);
    h.Screen().OpenSong(beside);
    EXPECT_EQ(h.Core().ChosenLevel(), "map");
    QSettings(PreferencesPath(), QSettings::IniFormat).setValue("play/level", "brutal");
    h.Screen().OpenSong(made);
    EXPECT_EQ(h.Core().ChosenLevel(), "normal");
    EXPECT_TRUE(h.Messages().isEmpty()) << h.Messages().join("\n").toStdString();
}

TEST(SongSwitch, WhatCannotBeOpenedShowsItsMessageAndTheSongBeforePlaysOn)
{
    TMusicFolder folder;
    const QString junk = folder.File("junk.mid", "these are not the notes you are looking for");
    const QString badMap = folder.Song("bad.mid");
    folder.File("bad.txt", "1:2\n");
    const QString drums = folder.File("drums.mid", QByteArray("MThd\0\0\0\6\0\2\0\1\0\x60MTrk\0\0\0\4\0\xFF\x2F\0", 26));
    TGameHarness h;
    h.PressStart();
    h.RunMs(1000);
    const TMidiData* song = h.Core().MidiData.get();
    const std::int32_t position = h.LastSongPosition();

    h.Screen().OpenSong(junk);
    h.Screen().OpenSong(badMap);
    h.Screen().OpenSong(drums);
    const QString missing = QFileInfo(junk).path() + "/missing.mid";
    h.Screen().OpenSong(missing);
    EXPECT_EQ(h.Messages(), (QStringList{"junk.mid: not a MIDI file", "List index out of bounds (2)",
                                         "drums.mid: a MIDI file of format 2 (independent patterns) cannot be "
                                         "played as one song",
                                         "Cannot open file " + missing}));
    // The song before goes on as if nothing had happened, and plays again from its own map.
    EXPECT_EQ(h.Core().MidiData.get(), song);
    EXPECT_TRUE(h.Playing());
    h.RunMs(200);
    EXPECT_GT(h.LastSongPosition(), position);
    EXPECT_EQ(h.Game()->PlayerOne->SongName->Image->Name(), "songname");
    EXPECT_EQ(h.Debug().edtMidiName->text(), "invincible.mid");
    h.PressStart();
    EXPECT_EQ(h.Game()->PlayerOne->Lane->Balls.size(), std::size_t(h.Game()->Metronome->Marks().Count() - 1));
    EXPECT_EQ(h.Messages().size(), 4);
}

TEST(SongSwitch, WhatTheImportLeftOutIsLoggedOnceInTheMemoWithoutControlCharacters)
{
    smf::Track t;
    t.Tempo(0, 700'000).Tempo(0, 0);
    for (int i = 0; i < 8; ++i)
        t.Raw(0, {0x90, std::uint8_t(60 + i), 100}).Raw(96, {0x80, std::uint8_t(60 + i), 0}).Tempo(0, 0);
    const smf::Bytes bytes = smf::File(96, {t.End()});
    TMusicFolder folder;
    const QString song = folder.File("zero\ntempo.mid", QByteArray(reinterpret_cast<const char*>(bytes.data()), qsizetype(bytes.size())));
    TGameHarness h;
    h.Screen().OpenSong(song);
    ASSERT_TRUE(h.Messages().isEmpty()) << h.Messages().join("\n").toStdString();
    EXPECT_EQ(h.MemoLines(), QStringList{"zero\\ntempo.mid: 9 tempos of 0 (the first in track 0 at tick 0) are "
                                         "ignored; the tempo before each stays"});
}

TEST(SongSwitch, TheSurfaceMenuADropAndAFileAddressOpenTheSong)
{
    TMusicFolder folder;
    TGameHarness h;
    QList<QAction*> entries = h.Screen().Menu->Build(QPoint(100, 60)).actions();
    ASSERT_FALSE(entries.empty());
    EXPECT_EQ(entries[0]->text(), "Open song…");
    EXPECT_EQ(h.Screen().DXDraw->contextMenuPolicy(), Qt::CustomContextMenu);

    const QString menuSong = folder.Song("from menu.mid");
    h.Screen().ChooseSongFile = [&] { return menuSong; };
    entries[0]->trigger();
    EXPECT_EQ(h.Debug().edtMidiName->text(), "from menu.mid");
    // A dialog closed without a choice changes nothing.
    h.Screen().ChooseSongFile = [] { return QString(); };
    entries[0]->trigger();
    EXPECT_EQ(h.Debug().edtMidiName->text(), "from menu.mid");

    // Only a local file is taken from a drop. (The events go to the window's own handler: Qt
    // routes a drop only after a drag the window system began.)
    QObject& window = h.Screen();
    QMimeData web;
    web.setUrls({QUrl("https://example.org/song.mid")});
    QDragEnterEvent enter(QPoint(10, 10), Qt::CopyAction, &web, Qt::LeftButton, Qt::NoModifier);
    enter.ignore();
    window.event(&enter);
    EXPECT_FALSE(enter.isAccepted());
    QMimeData file;
    file.setUrls({QUrl::fromLocalFile(folder.Song("dropped.mid", "tttheme2.mid"))});
    QDragEnterEvent fileEnter(QPoint(10, 10), Qt::CopyAction, &file, Qt::LeftButton, Qt::NoModifier);
    fileEnter.ignore();
    window.event(&fileEnter);
    EXPECT_TRUE(fileEnter.isAccepted());
    QDropEvent drop(QPointF(10, 10), Qt::CopyAction, &file, Qt::LeftButton, Qt::NoModifier);
    window.event(&drop);
    EXPECT_EQ(h.Debug().edtMidiName->text(), "dropped.mid") << h.Messages().join("\n").toStdString();

    // The file manager may hand over an address rather than a path.
    h.Screen().OpenSong(QUrl::fromLocalFile(folder.Song("addressed.mid")).toString());
    EXPECT_EQ(h.Debug().edtMidiName->text(), "addressed.mid");
    EXPECT_TRUE(h.Messages().isEmpty()) << h.Messages().join("\n").toStdString();
}
