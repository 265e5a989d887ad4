// The songs the game ships, read by the plain reader: ordinary MIDI files alone in songs/ beside
// the game, each one to three minutes of several parts and drums under a titled first track,
// together of several metres and tempos, each tune credited in the package's copyright file.
#include "MidiChunks.h"

#include <gtest/gtest.h>

#include <QDir>
#include <QFile>
#include <QRegularExpression>

#include <cmath>
#include <set>

TEST(ShippedSongsTest, AreTwelveOrMoreCreditedSongsOfSeveralPartsAndDrumsInSeveralMetresAndTempos)
{
    const QDir dir(QStringLiteral(GRIP_BIN_DIR "songs"));
    const QStringList songs = dir.entryList({"*.mid"}, QDir::Files, QDir::Name);
    EXPECT_EQ(dir.entryList(QDir::Files | QDir::Dirs | QDir::NoDotAndDotDot, QDir::Name), songs)
        << "no beat maps beside them: the game makes those from the melody";
    ASSERT_GE(songs.size(), 12);
    QFile copyright(QStringLiteral(GRIP_SOURCE_DIR "packaging/copyright"));
    ASSERT_TRUE(copyright.open(QIODevice::ReadOnly));
    const QString credits = QString::fromUtf8(copyright.readAll());

    std::set<std::string> metres, titles;
    std::set<std::set<int>> instruments;
    double slowest = 1000, fastest = 0;
    for (const QString& name : songs) {
        const std::string file = name.toStdString();
        EXPECT_TRUE(QRegularExpression(QStringLiteral("^[a-z0-9_]+\\.mid$")).match(name).hasMatch()) << file;
        const TMidiChunks song = ReadMidiChunks(dir.filePath(name).toStdString());
        const double seconds = TickToSeconds(song, LastTick(song));
        EXPECT_GE(seconds, 60.0) << file;
        EXPECT_LE(seconds, 180.0) << file;
        ASSERT_GE(song.tracks.size(), 5u) << file;
        const std::string title = song.tracks[0].Name();
        EXPECT_TRUE(titles.insert(title).second) << file << ": a title of its own, not \"" << title << "\"";
        EXPECT_TRUE(credits.contains(QString::fromStdString(title))) << title << " is not credited in packaging/copyright";

        std::set<int> parts, programs;
        bool drums = false;
        for (std::size_t t = 0; t < song.tracks.size(); ++t)
            for (const TMidiEventRecord& e : song.tracks[t].events) {
                const bool note = (e.status & 0xF0) == 0x90 && e.data.size() == 2 && e.data[1] > 0;
                EXPECT_FALSE(note && t == 0) << file << ": the title track holds no notes";
                if (note && (e.status & 0x0F) == 9)
                    drums = true;
                else if (note)
                    parts.insert(e.status & 0x0F);
                if ((e.status & 0xF0) == 0xC0)
                    programs.insert(e.data[0]);
                if (t == 0 && e.status == 0xFF && e.metaType == 0x58 && e.tick == 0)
                    metres.insert(std::to_string(e.data[0]) + "/" + std::to_string(1 << e.data[1]));
                if (t == 0 && e.status == 0xFF && e.metaType == 0x51) {
                    const double bpm = 60e6 / (e.data[0] << 16 | e.data[1] << 8 | e.data[2]);
                    slowest = std::min(slowest, bpm);
                    fastest = std::max(fastest, bpm);
                }
            }
        EXPECT_TRUE(drums) << file << ": drums on channel 10";
        EXPECT_GE(parts.size(), 3u) << file << ": melody, bass and chords at least";
        EXPECT_TRUE(instruments.insert(programs).second) << file << ": the same instruments as another song";
    }
    EXPECT_GE(metres.size(), 3u);
    EXPECT_LE(slowest, 72.0) << "a slow song among them";
    EXPECT_GE(fastest, 144.0) << "and a lively one";
}
