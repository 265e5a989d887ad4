// `griptool songs` on a user folder of the test's own beside the shipped songs.
#include "GripToolRun.h"

#include "midi/SmfBuilder.h"
#include "platform/UserFoldersOverride.h"
#include "training/TrainingLog.h"

#include <QDir>
#include <QFile>
#include <QTemporaryDir>

#include <gtest/gtest.h>

#include <algorithm>

namespace {

// Sixteen quarter notes at 120 a minute: eight seconds.
smf::Bytes Fugue()
{
    smf::Track head, notes;
    head.Name(0, "bach\tfugue").Tempo(0, 500000).End();
    for (int i = 0; i < 16; ++i)
        notes.Raw(0, {0x90, 60, 100}).Raw(96, {0x80, 60, 0});
    notes.End();
    return smf::File(96, {head, notes});
}

void Write(const QString& path, const QByteArray& bytes)
{
    QFile file(path);
    ASSERT_TRUE(file.open(QIODevice::WriteOnly));
    file.write(bytes);
}

std::vector<std::string> Fields(const std::string& line)
{
    std::vector<std::string> fields;
    size_t start = 0;
    for (size_t tab; (tab = line.find('\t', start)) != std::string::npos; start = tab + 1)
        fields.push_back(line.substr(start, tab - start));
    fields.push_back(line.substr(start));
    return fields;
}

} // namespace

TEST(SongsCommand, OneLineASongSortedByNameWithTheRecordsRates)
{
    QTemporaryDir user;
    const TOverride folders = OverrideUserFolders(user.path());
    const QString songs = user.path() + "/data/griprhythm/songs";
    ASSERT_TRUE(QDir().mkpath(songs));
    const smf::Bytes fugue = Fugue();
    Write(songs + "/bach.mid", QByteArray(reinterpret_cast<const char*>(fugue.data()), qsizetype(fugue.size())));
    Write(songs + "/bach.txt", "1:0:0\n1:2:0\n2:0:0\n3:0:0\n");
    Write(songs + "/empty.mid", "");
    std::vector<TGameRecord> games(2);
    for (TGameRecord& game : games) {
        game.Started = QDateTime::currentDateTime();
        game.Song = "bach.mid";
        game.Balls = 10;
    }
    games[0].BallsHit = 8;
    games[1].BallsHit = 5;
    ASSERT_TRUE(TTrainingLog().Append(games));

    const griptool::TRun run = griptool::Tool({"songs"});
    ASSERT_EQ(run.ExitCode, 0) << run.Err;
    const std::vector<std::string> lines = griptool::Lines(run.Out);
    ASSERT_GE(lines.size(), 15u);
    EXPECT_EQ(lines[0], "name\tseconds\tballs\tlast\tbest\tpath");
    std::vector<std::string> names;
    for (size_t i = 1; i < lines.size(); ++i) {
        const std::vector<std::string> fields = Fields(lines[i]);
        ASSERT_EQ(fields.size(), 6u) << lines[i];
        names.push_back(QString::fromStdString(fields[0]).toLower().toStdString());
    }
    EXPECT_TRUE(std::is_sorted(names.begin(), names.end()));
    // Lower case sorts among the capitals; the tab in the name is a space.
    const std::string path = QFileInfo(songs + "/bach.mid").canonicalFilePath().toStdString();
    const auto fugueLine = std::find(lines.begin(), lines.end(), "bach fugue\t8.0\t3\t50\t80\t" + path);
    ASSERT_NE(fugueLine, lines.end()) << run.Out;
    EXPECT_EQ(std::count_if(lines.begin(), lines.end(), [](const std::string& l) { return l.find("/songs/") != std::string::npos; }), 14);
    EXPECT_NE(run.Err.find("empty.mid: not listed: "), std::string::npos) << run.Err;

    // Nobody named played it.
    const griptool::TRun named = griptool::Tool({"songs", "--player", "Ann"});
    EXPECT_NE(named.Out.find("bach fugue\t8.0\t3\t\t\t" + path + "\n"), std::string::npos) << named.Out;
    EXPECT_EQ(griptool::Tool({"songs", "--player"}).ExitCode, 1);
}
