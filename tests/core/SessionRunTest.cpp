// A session through the whole program on the manual clock, down to the record's lines of it.
#include "support/GameHarness.h"

#include "../midi/SmfBuilder.h"
#include "core/GameCore.h"
#include "core/SongList.h"
#include "training/Training.h"

#include <QApplication>
#include <QElapsedTimer>
#include <QFileInfo>

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

TEST(SessionRun, OnlyTheMarkedSongsPlayBetweenGripTestsThatTheSummaryPutsSideBySide)
{
    TGameHarness h;
    smf::TempDir dir;
    for (const char* name : {"a.mid", "b.mid", "c.mid"})
        dir.Write(name, ShortSong());
    const QString record = h.UserFolder() + "/data/griprhythm/training.csv", folder = QString::fromStdString(dir.path);
    h.Core().Library->Places = TSongListPlaces{{{folder, 1, {"*.mid"}}}, folder + "/cache.json", record};
    h.Core().SetSongMarked(QFileInfo(folder + "/b.mid").canonicalFilePath(), true);
    TSessionPlan plan{0, 2};
    plan.GripTests = true;
    h.Core().StartSession(plan);
    QElapsedTimer waited;
    waited.start();
    while (!h.Core().GripTesting() && waited.elapsed() < 30000)
        QApplication::processEvents(QEventLoop::AllEvents, 50);
    ASSERT_TRUE(h.Core().GripTesting());
    EXPECT_FALSE(h.Playing());
    EXPECT_EQ(h.Core().SessionText(), "Session: a grip test first, then b.");
    // Squeezes of 200, 150 and 100; no grip at the balls; then force 150 held for two seconds.
    h.SetGrip([&h, t0 = h.Now()] {
        const std::int64_t t = h.Now() - t0;
        return std::uint8_t(t < 1800 ? (t % 600 < 300 ? 200 - t / 600 * 50 : 0) : (t >= 12500 && t < 14500) * 150);
    });
    h.RunMs(15000);
    ASSERT_TRUE(h.Playing()) << h.Core().SessionText().toStdString();
    EXPECT_TRUE(h.Core().ChosenSongPath().ends_with("b.mid"));
    h.SetGrip([] { return std::uint8_t(0); });
    ASSERT_TRUE(h.RunUntilSongEnds(60000));
    // Two songs asked for, one marked: the session is over after it, but for its last test.
    h.RunMs(10);
    ASSERT_TRUE(h.Core().GripTesting());
    h.Core().StopGripTest();
    EXPECT_TRUE(h.Core().SessionText().endsWith(
        "\nGrip tests, start → end: peak 200 → –, pace 0 → – a minute, held 2.0 → – s."))
        << h.Core().SessionText().toStdString();
    EXPECT_FALSE(h.Playing());

    const std::vector<TGameRecord> lines = ReadRecordFile(record).Records;
    ASSERT_EQ(lines.size(), 2u);
    EXPECT_TRUE(lines[0].Mode == "test" && lines[1].Song == "b.mid");
    EXPECT_TRUE(lines[0].Session && lines[0].Session == lines[1].Session);
}
