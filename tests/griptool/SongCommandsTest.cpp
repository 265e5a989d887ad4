// `griptool song canon` and `griptool beatmap make` on every song of the music set, checked
// against an independent reader, and on files built here.
#include "GripToolRun.h"
#include "midi/SmfBuilder.h"

#include <gtest/gtest.h>

#include <QDir>
#include <QFile>
#include <QTemporaryDir>

#include <cstdio>
#include <regex>

namespace {

const QString MusicSet = QStringLiteral("/usr/share/games/openttd/baseset/openmsx");
const QString NoteTimes = QStringLiteral(GRIP_SOURCE_DIR "tests/griptool/mido_note_times.py");

QString Write(const QTemporaryDir& dir, const QString& name, const QByteArray& bytes)
{
    QFile f(dir.filePath(name));
    EXPECT_TRUE(f.open(QIODevice::WriteOnly));
    f.write(bytes);
    return f.fileName();
}

// Division 96 at 80 beats a minute, slow enough for a beat of the game to be a quarter note: a
// flute tune on channel 1 in track 1, a bass an octave and more below in track 2.
QByteArray TwoParts()
{
    QByteArray file("MThd\0\0\0\6\0\1\0\3\0\x60", 14);
    auto track = [&file](QByteArray body) {
        body.append("\x00\xFF\x2F\x00", 4);
        file.append("MTrk", 4);
        const int n = int(body.size());
        file.append(char(n >> 24)).append(char(n >> 16)).append(char(n >> 8)).append(char(n));
        file.append(body);
    };
    track(QByteArray("\x00\xFF\x03\x04Lead\x00\xFF\x51\x03\x0B\x71\xB0", 15));
    QByteArray tune("\x00\xC0\x49", 3), bass("\x00\xC1\x21", 3);
    for (int i = 0; i < 32; ++i) {
        tune.append("\x00\x90", 2).append(char(72 + i % 7)).append('\x60');
        tune.append("\x30\x80", 2).append(char(72 + i % 7)).append('\x00');
        tune.append('\x30');
        tune.append("\xFF\x01\x00", 3);  // a rest of 48 ticks
        bass.append("\x00\x91", 2).append(char(36 + i % 5)).append('\x60');
        bass.append("\x60\x81", 2).append(char(36 + i % 5)).append('\x00');
    }
    track(tune);
    track(bass);
    return file;
}

// Each song imports with every note in time, as mido reads both files, and gets a beat map the
// game's loader reads; returns what `beatmap make` said of each (the melody it chose).
std::vector<std::string> ImportAndMakeBeatMaps(const QString& folder, const QStringList& files)
{
    std::vector<std::string> melodies;
    QTemporaryDir dir;
    QStringList pairs;
    for (const QString& name : files) {
        const QString in = folder + '/' + name, out = dir.filePath(name);
        const auto canon = griptool::Tool({"song", "canon", in, out});
        EXPECT_EQ(canon.ExitCode, 0) << name.toStdString() << ": " << canon.Err;
        pairs << in << out;
        // The beat map made for it is one the game's loader reads: its lines are ascending,
        // so the last one sizes the map.
        const auto made = griptool::Tool({"beatmap", "make", in});
        EXPECT_EQ(made.ExitCode, 0) << name.toStdString() << ": " << made.Err;
        const QString map = Write(dir, name + ".txt", QByteArray::fromStdString(made.Out));
        const auto read = griptool::Tool({"beatmap", map});
        EXPECT_EQ(read.ExitCode, 0) << name.toStdString() << ": " << read.Err;
        const auto bits = griptool::Lines(read.Out);
        EXPECT_EQ(bits.size(), griptool::Lines(made.Out).size() + 1) << name.toStdString();
        std::printf("%s: %s", qPrintable(name), made.Err.c_str());
        melodies.push_back(made.Err);
    }
    // mido reads both files; every note starts and ends within half a tick of its time.
    const auto check = griptool::Exec("/usr/bin/python3", QStringList{NoteTimes} + pairs);
    const auto lines = griptool::Lines(check.Out);
    EXPECT_EQ(lines.size(), std::size_t(files.size())) << check.Out << check.Err;
    for (int i = 0; i < files.size() && std::size_t(i) < lines.size(); ++i) {
        EXPECT_TRUE(lines[std::size_t(i)].rfind("notes ", 0) == 0) << files[i].toStdString() << ": " << lines[std::size_t(i)];
        std::printf("%s: %s\n", qPrintable(files[i]), lines[std::size_t(i)].c_str());
    }
    EXPECT_EQ(check.ExitCode, 0);
    return melodies;
}

} // namespace

TEST(SongCommands, EverySongOfTheMusicSetImportsWithItsNotesInTimeAndGetsABeatMap)
{
    const QStringList files = QDir(MusicSet).entryList({"*.mid"}, QDir::Files, QDir::Name);
    ASSERT_GE(files.size(), 30) << "the openttd-openmsx songs are missing (scripts/deps installs them)";
    ImportAndMakeBeatMaps(MusicSet, files);
}

// The shipped songs come without beat maps: the one the game makes must take the tune, the part
// the arrangement wrote for it.
TEST(SongCommands, EveryShippedSongImportsWithItsNotesInTimeAndGetsItsBallsFromTheMelodyTrack)
{
    const QString folder = QStringLiteral(GRIP_BIN_DIR "songs");
    const QStringList files = QDir(folder).entryList({"*.mid"}, QDir::Files, QDir::Name);
    ASSERT_GE(files.size(), 12) << "the build writes the shipped songs into " << folder.toStdString();
    const std::vector<std::string> melodies = ImportAndMakeBeatMaps(folder, files);
    static const std::regex chosen(R"(^melody: track \d+ "Melody" channel 1 program \d+, (\d+) balls\n$)");
    for (std::size_t i = 0; i < melodies.size(); ++i) {
        std::smatch m;
        EXPECT_TRUE(std::regex_match(melodies[i], m, chosen)) << files[int(i)].toStdString() << ": " << melodies[i];
        if (!m.empty()) {
            EXPECT_GE(std::stoi(m[1]), 100) << files[int(i)].toStdString() << ": a song of a few minutes";
        }
    }
}

TEST(SongCommands, BeatMapMakeTakesTheNamedTrackAndSpacingAndRefusesWhatItCannotRead)
{
    QTemporaryDir dir;
    const QString song = Write(dir, "two_parts.mid", TwoParts());
    const auto found = griptool::Tool({"beatmap", "make", song});
    ASSERT_EQ(found.ExitCode, 0) << found.Err;
    EXPECT_EQ(found.Err, "melody: track 1 \"\" channel 1 program 73, 31 balls\n");
    // 96 ticks of the file are a beat of the game. The first note, at the very start, gets no
    // ball; the second, a beat in, meets the mark from mark 100 + 500, bar 1 beat 2.
    const auto lines = griptool::Lines(found.Out);
    ASSERT_EQ(lines.size(), 32u);
    EXPECT_EQ(lines[0], "1:2:0:blue");
    EXPECT_EQ(lines[1], "1:3:0:blue");
    EXPECT_EQ(lines[31], "9:0:25");  // closing mark
    const auto bass = griptool::Tool({"beatmap", "make", song, "--track", "2", "--spacing", "200"});
    ASSERT_EQ(bass.ExitCode, 0) << bass.Err;
    EXPECT_EQ(bass.Err, "melody: track 2 \"\" channel 2 program 33, 16 balls\n");
    EXPECT_EQ(griptool::Lines(bass.Out)[1], "2:0:0:blue");

    const auto noTrack = griptool::Tool({"beatmap", "make", song, "--track", "3"});
    EXPECT_EQ(noTrack.ExitCode, 1);
    EXPECT_EQ(noTrack.Err, song.toStdString() + " has 3 tracks, counted from 0; there is no track 3\n");
    const auto empty = griptool::Tool({"beatmap", "make", song, "--track", "0"});
    EXPECT_EQ(empty.Err, "Track 0 of " + song.toStdString() + " has no notes\n");
    const QString text = Write(dir, "notes.mid", "la la la");
    const auto refused = griptool::Tool({"song", "canon", text, dir.filePath("out.mid")});
    EXPECT_EQ(refused.ExitCode, 1);
    EXPECT_EQ(refused.Err, "notes.mid: not a MIDI file\n");
    EXPECT_FALSE(QFile::exists(dir.filePath("out.mid")));
}

TEST(SongCommands, WhatTheImportLeavesOutIsSaidOnceAndANameReachesTheTerminalEscaped)
{
    smf::Track lead, tune;
    lead.Tempo(0, 700'000).End();
    tune.Name(0, "Tune\x1b[2J\nTwo").Tempo(0, 0);
    for (int i = 0; i < 16; ++i)
        tune.Raw(0, {0x90, std::uint8_t(60 + i % 5), 90}).Raw(96, {0x80, std::uint8_t(60 + i % 5), 0}).Tempo(0, 0);
    const smf::TempDir dir;
    const QString song = QString::fromStdString(dir.Write("zero.mid", smf::File(96, {lead, tune.End()})));
    const std::string warning = "zero.mid: 17 tempos of 0 (the first in track 1 at tick 0) are ignored; the tempo "
                                "before each stays\n";
    EXPECT_EQ(griptool::Tool({"song", "canon", song, song + ".out"}).Err, warning);
    const auto made = griptool::Tool({"beatmap", "make", song});
    EXPECT_EQ(made.ExitCode, 0);
    EXPECT_EQ(made.Err, warning + "melody: track 1 \"Tune\\x1b[2J\\nTwo\" channel 1 program 0, 15 balls\n");
}
