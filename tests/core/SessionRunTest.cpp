// A session through the whole program on the manual clock, down to the record's lines of it.
#include "support/GameHarness.h"

#include "../midi/SmfBuilder.h"
#include "core/GameCore.h"
#include "core/SongList.h"
#include "training/Training.h"

#include <QApplication>
#include <QElapsedTimer>

#include <gtest/gtest.h>

namespace {

smf::Bytes ShortSong()
{
    smf::Track tempo, tune;  // ten beats at 120 a minute
    tempo.Tempo(0, 500000);
    for (int beat = 0; beat < 10; ++beat)
        tune.Raw(beat ? 50 : 0, {0x90, std::uint8_t(60 + beat % 5 * 2), 90}).Raw(50, {0x80, 60, 0});
    return smf::File(100, {tempo.End(), tune.End()});
}

} // namespace

TEST(SessionRun, SongsFollowLeastPlayedFirstWithARestAndEveryLineCarriesTheSession)
{
    TGameHarness h;
    smf::TempDir dir;
    const std::string a = dir.Write("a.mid", ShortSong());
    dir.Write("b.mid", ShortSong());
    const QString record = h.UserFolder() + "/data/griprhythm/training.csv", folder = QString::fromStdString(dir.path);
    h.Core().Library->Places = TSongListPlaces{{{folder, 1, {"*.mid"}}}, folder + "/cache.json", record};
    // a.mid played once before: b.mid comes first.
    h.Core().ChooseSong(a);
    h.PressStart();
    ASSERT_TRUE(h.RunUntilSongEnds(60000));
    const QDateTime started(QDate(2026, 12, 9), QTime(18, 30), Qt::OffsetFromUTC, 0);
    h.Core().Training->Now = [&] { return started; };
    h.Core().StartSession({0, 2});
    QElapsedTimer waited;
    waited.start();
    while (!h.Playing() && waited.elapsed() < 30000)
        QApplication::processEvents(QEventLoop::AllEvents, 50);
    ASSERT_TRUE(h.Playing());
    EXPECT_TRUE(h.Core().ChosenSongPath().ends_with("b.mid"));
    ASSERT_TRUE(h.RunUntilSongEnds(60000));
    h.RunMs(10);
    EXPECT_EQ(h.Core().SessionText(), "Rest: the next song, a, starts in 30 s.");
    h.RunMs(29900);
    EXPECT_FALSE(h.Playing());
    // Start in the rest plays the next song, not the last one again.
    h.PressStart();
    ASSERT_TRUE(h.Playing());
    EXPECT_TRUE(h.Core().ChosenSongPath().ends_with("a.mid"));
    ASSERT_TRUE(h.RunUntilSongEnds(60000));
    h.RunMs(10);
    EXPECT_TRUE(h.Core().SessionText().startsWith("Session over: 2 songs in 0:")) << h.Core().SessionText().toStdString();

    const std::vector<TGameRecord> lines = ReadRecordFile(record).Records;
    ASSERT_EQ(lines.size(), 3u);
    EXPECT_FALSE(lines[0].Session);
    EXPECT_TRUE(lines[1].Song == "b.mid" && lines[2].Song == "a.mid");
    EXPECT_TRUE(lines[1].Session == started && lines[2].Session == started);
}
