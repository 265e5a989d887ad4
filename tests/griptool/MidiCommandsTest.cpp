// `griptool midi`: the dump against an independent reader on real files, the dump's record
// forms on a file built here, the position query, the player run and the failures.
#include "GripToolRun.h"

#include <gtest/gtest.h>

#include <QDir>
#include <QFile>
#include <QTemporaryDir>

#include <csignal>

#include <regex>
#include <string>
#include <vector>

namespace {

const QString MusicSet = QStringLiteral("/usr/share/games/openttd/baseset/openmsx");
const QString MidoDump = QStringLiteral(GRIP_SOURCE_DIR "tests/griptool/mido_dump.py");

// mido drops which status began a system-exclusive packet and its final f7; bring our line to
// the form the script prints for it.
std::string Comparable(const std::string& line)
{
    static const std::regex sysex(R"(^(\d+ \d+) f[07] (.*)$)");
    std::smatch m;
    if (!std::regex_match(line, m, sysex))
        return line;
    std::string data = m[2];
    if (data.size() >= 2 && data.compare(data.size() - 2, 2, "f7") == 0)
        data.resize(data.size() - 2);
    return m[1].str() + " sysex " + (data.empty() ? "-" : data);
}

// A format-1 file with the given division and track bodies (end-of-track added).
QByteArray Song(int division, const std::vector<std::vector<std::uint8_t>>& tracks)
{
    QByteArray file("MThd\0\0\0\6\0\1", 10);
    file.append(char(0)).append(char(tracks.size()));
    file.append(char(division >> 8)).append(char(division & 0xFF));
    for (auto body : tracks) {
        body.insert(body.end(), {0x00, 0xFF, 0x2F, 0x00});
        file.append("MTrk", 4);
        const auto n = body.size();
        file.append(char(n >> 24)).append(char(n >> 16)).append(char(n >> 8)).append(char(n));
        file.append(reinterpret_cast<const char*>(body.data()), qsizetype(n));
    }
    return file;
}

class TMidiCommandsTest : public ::testing::Test {
protected:
    QString Write(const QByteArray& bytes, const QString& name = QStringLiteral("song.mid"))
    {
        const QString path = dir_.filePath(name);
        QFile f(path);
        EXPECT_TRUE(f.open(QIODevice::WriteOnly));
        f.write(bytes);
        return path;
    }

private:
    QTemporaryDir dir_;
};

} // namespace

TEST_F(TMidiCommandsTest, DumpAgreesWithMidoOnEveryFileOfTheMusicSet)
{
    const QStringList files = QDir(MusicSet).entryList({"*.mid"}, QDir::Files, QDir::Name);
    ASSERT_FALSE(files.isEmpty()) << "no MIDI files in " << MusicSet.toStdString() << " (scripts/deps installs them)";
    int compared = 0, refused = 0;
    for (const QString& name : files) {
        const QString path = MusicSet + '/' + name;
        const auto ours = griptool::Tool({"midi", "dump", path});
        if (ours.ExitCode != 0 && ours.Err == "Note ons don't match note offs\n") {
            // The song reader refuses a track with a note that never ends; mido's records must
            // show such a note under the same pairing rule, or the refusal is wrong.
            const auto check = griptool::Exec("/usr/bin/python3", {MidoDump, "--unmatched", path});
            EXPECT_EQ(check.Out, "unmatched\n") << name.toStdString() << check.Err;
            ++refused;
            continue;
        }
        ASSERT_EQ(ours.ExitCode, 0) << name.toStdString() << ": " << ours.Err;
        const auto theirs = griptool::Exec("/usr/bin/python3", {MidoDump, path});
        ASSERT_EQ(theirs.ExitCode, 0) << name.toStdString() << ": " << theirs.Err;
        const auto a = griptool::Lines(ours.Out), b = griptool::Lines(theirs.Out);
        ASSERT_GT(a.size(), 1u);
        for (size_t i = 0; i < std::min(a.size(), b.size()); ++i)
            ASSERT_EQ(Comparable(a[i]), b[i]) << name.toStdString() << " record line " << i + 1;
        ASSERT_EQ(a.size(), b.size()) << name.toStdString();
        ++compared;
    }
    EXPECT_GE(compared, files.size() - 2) << "refused: " << refused;
}

TEST_F(TMidiCommandsTest, DumpPrintsEveryRecordFormAsStored)
{
    const QString path = Write(Song(96, {{
        0x00, 0xFF, 0x03, 0x03, 'a', 'b', 'c',   // track name
        0x00, 0xFF, 0x7F, 0x00,                   // empty meta
        0x00, 0xF0, 0x03, 0x41, 0x10, 0xF7,       // whole system exclusive
        0x00, 0xF0, 0x02, 0x43, 0x12,             // packet continued ...
        0x05, 0xF7, 0x02, 0x13, 0xF7,             // ... by an escape
        0x10, 0x91, 0x3C, 0x64,                   // note on
        0x08, 0x3C, 0x00,                         // running status, velocity 0
        0x00, 0xC2, 0x05,                         // one data byte
        0x00, 0xE1, 0x00, 0x40,                   // pitch wheel
        0x01, 0xF6,                               // a status without data
    }}));
    const auto run = griptool::Tool({"midi", "dump", path});
    ASSERT_EQ(run.ExitCode, 0) << run.Err;
    EXPECT_EQ(run.Out, "format 1 tracks 1 division 96\n"
                       "0 0 ff 03 616263\n"
                       "0 0 ff 7f -\n"
                       "0 0 f0 4110f7\n"
                       "0 0 f0 4312\n"
                       "0 5 f7 13f7\n"
                       "0 21 91 3c 64\n"
                       "0 29 91 3c 00\n"
                       "0 29 c2 05 00\n"
                       "0 29 e1 00 40\n"
                       "0 30 f6\n"
                       "0 30 ff 2f -\n");
}

TEST_F(TMidiCommandsTest, WhereFollowsTempoAndTimeSignatureChanges)
{
    // Division 96, 4/4 at 120 bpm; 3/4 at tick 960, two and a half bars in; 180 bpm
    // (333333 microseconds, cut to 333 ms a beat) from tick 1248.
    const QString path = Write(Song(96, {{
        0x00, 0xFF, 0x58, 0x04, 0x04, 0x02, 0x18, 0x08,
        0x00, 0xFF, 0x51, 0x03, 0x07, 0xA1, 0x20,
        0x87, 0x40, 0xFF, 0x58, 0x04, 0x03, 0x02, 0x18, 0x08,   // delta 960
        0x82, 0x20, 0xFF, 0x51, 0x03, 0x05, 0x16, 0x15,         // delta 288
    }}));
    const auto at = [&](const char* tick) { return griptool::Tool({"midi", "where", path, tick}).Out; };
    EXPECT_EQ(at("0"), "bar 0 beat 0 tick 0 time 0\n");
    EXPECT_EQ(at("500"), "bar 1 beat 1 tick 20 time 2604\n");
    // The new signature starts a bar of its own.
    EXPECT_EQ(at("960"), "bar 3 beat 0 tick 0 time 5000\n");
    EXPECT_EQ(at("1248"), "bar 4 beat 0 tick 0 time 6500\n");
    EXPECT_EQ(at("1344"), "bar 4 beat 1 tick 0 time 6833\n");
    // A fresh start each time: seeking back gives the same answer as before.
    EXPECT_EQ(at("500"), "bar 1 beat 1 tick 20 time 2604\n");
}

TEST_F(TMidiCommandsTest, FailuresGoToStandardErrorWithStatusOne)
{
    const auto missing = griptool::Tool({"midi", "dump", "/nonexistent/song.mid"});
    EXPECT_EQ(missing.ExitCode, 1);
    EXPECT_EQ(missing.Out, "");
    EXPECT_NE(missing.Err.find("/nonexistent/song.mid"), std::string::npos) << missing.Err;

    const QString bad = Write(QByteArray("MThd\0\0\0\5\0\1\0", 11), "bad.mid");
    const auto shortHeader = griptool::Tool({"midi", "where", bad, "0"});
    EXPECT_EQ(shortHeader.ExitCode, 1);
    EXPECT_FALSE(shortHeader.Err.empty());

    const QString good = Write(Song(96, {{}}));
    for (const char* tick : {"x", "-1", "12y", ""})
        EXPECT_EQ(griptool::Tool({"midi", "where", good, tick}).ExitCode, 1) << tick;
    EXPECT_EQ(griptool::Tool({"midi", "play", good, "--tempo", "fast"}).ExitCode, 1);
    EXPECT_EQ(griptool::Tool({"midi", "play", good, "--device"}).ExitCode, 1);
    EXPECT_EQ(griptool::Tool({"midi", "bogus"}).ExitCode, 1);
}

TEST_F(TMidiCommandsTest, PlayRunsTheSongToItsEndWithOneLinePerBar)
{
    // Three bars of 4/4 at 240 bpm (a bar per second) with a note in each; at 300 % it takes
    // about a second.
    std::vector<std::uint8_t> body{0x00, 0xFF, 0x51, 0x03, 0x03, 0xD0, 0x90};
    // Half a bar of note, then half a bar to a text event at the next bar line.
    const std::uint8_t bar[] = {0x00, 0x90, 0x3C, 0x60, 0x81, 0x40, 0x80, 0x3C, 0x00, 0x81, 0x40, 0xFF, 0x01, 0x00};
    for (int i = 0; i < 3; ++i)
        body.insert(body.end(), std::begin(bar), std::end(bar));
    const QString path = Write(Song(96, {body}));
    const auto run = griptool::Tool({"midi", "play", path, "--device", "0", "--tempo", "300"}, 60000);
    ASSERT_EQ(run.ExitCode, 0) << run.Err;
    const auto lines = griptool::Lines(run.Out);
    std::vector<std::string> bars;
    for (const auto& line : lines) {
        ASSERT_TRUE(std::regex_match(line, std::regex(R"(bar \d+ time \d+)"))) << line;
        bars.push_back(line.substr(0, line.find(" time")));
    }
    EXPECT_EQ(bars, (std::vector<std::string>{"bar 0", "bar 1", "bar 2", "bar 3"})) << run.Out;
}

TEST_F(TMidiCommandsTest, DevicesListsTheBuiltInSynthesizerFirst)
{
    const auto run = griptool::Tool({"midi", "devices"});
    ASSERT_EQ(run.ExitCode, 0) << run.Err;
    const auto lines = griptool::Lines(run.Out);
    ASSERT_FALSE(lines.empty());
    EXPECT_EQ(lines[0], "0 built-in synthesizer");
    for (size_t i = 1; i < lines.size(); ++i)
        EXPECT_EQ(lines[i].rfind(std::to_string(i) + ' ', 0), 0u) << lines[i];
}

TEST_F(TMidiCommandsTest, InterruptStopsThePlayerAndEndsCleanly)
{
    const QString path = MusicSet + "/5432gone_redfarn.mid";
    ASSERT_TRUE(QFile::exists(path));
    QProcess p;
    p.start(QStringLiteral(GRIP_BIN_DIR "griptool"), {"midi", "play", path, "--tempo", "10"});
    ASSERT_TRUE(p.waitForStarted(10000));
    ASSERT_TRUE(p.waitForReadyRead(30000));
    EXPECT_EQ(p.readAllStandardOutput().left(6), "bar 0 ");
    ::kill(pid_t(p.processId()), SIGINT);
    ASSERT_TRUE(p.waitForFinished(10000)) << "still playing after the interrupt";
    EXPECT_EQ(p.exitStatus(), QProcess::NormalExit);
    EXPECT_EQ(p.exitCode(), 0);
}
