// `griptool history` on training records written here: the table, what it leaves out, the chart.
#include "GripToolRun.h"
#include "HistoryCommands.h"

#include "platform/UserFoldersOverride.h"
#include "training/ProgressChart.h"
#include "training/Players.h"
#include "training/TrainingLog.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QImage>
#include <QTemporaryDir>
#include <QtCharts/QChart>
#include <QtCharts/QLineSeries>

#include <gtest/gtest.h>

#include <cstdlib>
#include <map>
#include <memory>
#include <sstream>
#include <string>

namespace {

class THistoryTest : public ::testing::Test {
protected:
    static TGameRecord Game(QDate day, int hour, const QString& song, int player, int percent, int grips)
    {
        TGameRecord r;
        r.Started = QDateTime(day, QTime(hour, 5), Qt::OffsetFromUTC, 3600);
        r.Song = song;
        r.Player = player;
        r.Input = player == 1 ? "GR-0042" : "GR-0007";
        r.Seconds = 171.7;
        r.Balls = 146;
        r.BallsHit = percent * 146 / 100;
        r.Hits = r.BallsHit;
        r.Percent = percent;
        r.Grips = grips;
        r.PeakForce = 150;
        return r;
    }

    const QTemporaryDir user_;
    const TOverride folders_ = OverrideUserFolders(user_.path());
    TTrainingLog log_;
};

const QString kSong = "Hey, \"Jude\"";

} // namespace

TEST_F(THistoryTest, ALineCutWhileWrittenIsLeftOutAndEveryWholeLineIsRead)
{
    const QDate day(2025, 3, 10);
    ASSERT_TRUE(log_.Append({Game(day, 17, "invincible.mid", 1, 61, 120), Game(day, 18, kSong, 1, 72, 130)}));
    ASSERT_TRUE(log_.Append({Game(day.addDays(2), 17, "invincible.mid", 1, 83, 140)}));
    {
        QFile file(log_.Path());
        ASSERT_TRUE(file.resize(file.size() - 30));  // the power went in the middle of the last line
    }
    griptool::TRun run = griptool::Tool({"history"});
    EXPECT_EQ(run.ExitCode, 0) << run.Err;
    std::vector<std::string> lines = griptool::Lines(run.Out);
    ASSERT_EQ(lines.size(), 4u) << run.Out;
    EXPECT_EQ(lines[0].rfind("started", 0), 0u);
    EXPECT_NE(lines[1].find("2025-03-10 17:05  invincible.mid"), std::string::npos) << lines[1];
    EXPECT_NE(lines[2].find("Hey, \"Jude\""), std::string::npos) << lines[2];
    EXPECT_NE(lines[3].find("Player 1: 2 games from 2025-03-10 to 2025-03-10; hit rate 61 % then 72 %"),
              std::string::npos)
        << lines[3];
    EXPECT_NE(run.Err.find("1 line of " + log_.Path().toStdString() + " could not be read and was left out"),
              std::string::npos)
        << run.Err;

    // The next game goes on a line of its own, not onto the cut one.
    ASSERT_TRUE(log_.Append({Game(day.addDays(3), 9, kSong, 2, 55, 99)}));
    run = griptool::Tool({"history"});
    lines = griptool::Lines(run.Out);
    ASSERT_EQ(lines.size(), 6u) << run.Out;
    EXPECT_NE(lines[3].find("2025-03-13 09:05"), std::string::npos) << lines[3];
    EXPECT_NE(run.Err.find("1 line of"), std::string::npos) << run.Err;

    run = griptool::Tool({"history", "--song", kSong, "--since", "2025-03-11"});
    lines = griptool::Lines(run.Out);
    ASSERT_EQ(lines.size(), 3u) << run.Out;
    EXPECT_NE(lines[1].find("2025-03-13 09:05  Hey, \"Jude\"  2"), std::string::npos) << lines[1];

    // The song as a person names it, without the file's extension or its capitals.
    run = griptool::Tool({"history", "--song", "Invincible"});
    lines = griptool::Lines(run.Out);
    ASSERT_EQ(lines.size(), 3u) << run.Out;
    EXPECT_NE(lines[1].find("invincible.mid"), std::string::npos) << lines[1];
    EXPECT_EQ(lines[2], "Player 1: 1 game on 2025-03-10; hit rate 61 %, grips 120");

    run = griptool::Tool({"history", "--since", "last week"});
    EXPECT_EQ(run.ExitCode, 1);
    EXPECT_NE(run.Err.find("--since wants a day as YYYY-MM-DD, not 'last week'"), std::string::npos) << run.Err;
}

TEST_F(THistoryTest, ControlCharactersInNamesReachTheTerminalEscaped)
{
    // C1 controls too: U+009B starts a sequence on some terminals.
    TGameRecord game = Game(QDate(2025, 3, 10), 17, "Red\x1b[2J\nAlert\xc2\x9b.mid", 1, 61, 120);
    game.Input = "GR\t42";
    std::ostringstream out;
    THistoryCommands::Table({game}, out);
    const std::vector<std::string> lines = griptool::Lines(out.str());
    ASSERT_EQ(lines.size(), 3u) << out.str();
    EXPECT_NE(lines[1].find("Red\\x1b[2J\\nAlert\\u009b.mid  1       GR\\t42  2:52"), std::string::npos) << lines[1];
}

TEST_F(THistoryTest, AWeekOfGamesBecomesAChartOfBothPlayers)
{
    const QString out = user_.filePath("week.png");
    griptool::TRun run = griptool::Tool({"history", "--plot", out});
    EXPECT_EQ(run.ExitCode, 1);
    EXPECT_NE(run.Err.find("No training record at"), std::string::npos) << run.Err;

    const QDate monday(2025, 3, 10);
    for (int d = 0; d < 7; ++d) {
        std::vector<TGameRecord> games;
        for (int game = 0; game < 2; ++game) {
            games.push_back(Game(monday.addDays(d), 17 + game, "invincible.mid", 1, 50 + 4 * d + game, 100 + 8 * d));
            if (d % 3 != 1)
                games.push_back(Game(monday.addDays(d), 17 + game, "invincible.mid", 2, 40 + 3 * d, 90 + 9 * d));
        }
        ASSERT_TRUE(log_.Append(games));
    }
    run = griptool::Tool({"history", "--plot", out});
    ASSERT_EQ(run.ExitCode, 0) << run.Err;
    const QImage chart(out);
    ASSERT_EQ(chart.size(), QSize(1200, 700));
    // Each player's lines in the player's colour, solid and dashed: a good stretch of each.
    auto pixels = [&](QRgb colour) {
        int n = 0;
        for (int y = 0; y < chart.height(); ++y)
            for (int x = 0; x < chart.width(); ++x)
                n += (chart.pixel(x, y) & 0xFFFFFF) == (colour & 0xFFFFFF);
        return n;
    };
    EXPECT_GT(pixels(qRgb(31, 95, 191)), 1500);
    EXPECT_GT(pixels(qRgb(217, 102, 31)), 1500);
    if (const char* keep = std::getenv("GRIP_KEEP_CHART"))
        QFile::copy(out, keep);
}

TEST_F(THistoryTest, AFigureOutOfRangeMakesItsLineDamaged)
{
    ASSERT_TRUE(log_.Append({Game(QDate(2025, 3, 10), 17, "invincible.mid", 1, 61, 120)}));
    QFile file(log_.Path());
    ASSERT_TRUE(file.open(QIODevice::ReadWrite));
    const QByteArray line = file.readAll().split('\n')[1];
    for (const char* seconds : {",3e9,", ",86401,", ",-1,"})
        file.write(QByteArray(line).replace(",171.7,", seconds) + '\n');
    file.close();
    const griptool::TRun run = griptool::Tool({"history"});
    EXPECT_EQ(griptool::Lines(run.Out).size(), 3u) << run.Out;
    EXPECT_NE(run.Err.find("3 lines of " + log_.Path().toStdString() + " could not be read and were left out"),
              std::string::npos)
        << run.Err;
}

TEST_F(THistoryTest, APlayerIsFoundUnderEveryNameTheyHadAcrossTheOlderFileAndTheNewOne)
{
    // A record from before names: its header and lines have the first columns only.
    const QDate day(2025, 3, 10);
    {
        QDir().mkpath(QFileInfo(log_.Path()).path());
        QFile older(log_.Path());
        ASSERT_TRUE(older.open(QIODevice::WriteOnly));
        const QStringList line = RecordLine(Game(day, 9, "invincible.mid", 1, 33, 50)).split(',').mid(0, 19);
        older.write(RecordHeader().split(',').mid(0, 19).join(',').toUtf8() + '\n' + line.join(',').toUtf8() + '\n');
    }
    TPlayers players;
    const std::optional<TPlayer> ann = players.Add("Ann");
    ASSERT_TRUE(ann && players.Add("Bob"));
    std::vector<TGameRecord> games;
    for (int d = 1; d < 4; ++d) {
        games.push_back(Game(day.addDays(d), 17, "invincible.mid", 1, 50 + d, 100));
        games.back().Name = d < 3 ? "Ann" : "Anna";
        games.push_back(Game(day.addDays(d), 18, "invincible.mid", 2, 40, 90));
        games.back().Name = "Bob";
    }
    ASSERT_TRUE(log_.Append(games));
    ASSERT_TRUE(players.Rename(ann->Id, "Anna"));

    griptool::TRun run = griptool::Tool({"history"});
    EXPECT_EQ(griptool::Lines(run.Out).size(), 10u) << run.Out;  // the older game too
    EXPECT_NE(run.Out.find("2025-03-10 09:05"), std::string::npos) << run.Out;
    run = griptool::Tool({"history", "--player", "ann"});
    std::vector<std::string> lines = griptool::Lines(run.Out);
    ASSERT_EQ(lines.size(), 5u) << run.Out;
    EXPECT_EQ(lines[4], "Player 1: 3 games from 2025-03-11 to 2025-03-13; hit rate 51 % then 53 %, grips 100 then 100");
    // A name nobody has had stands for itself.
    run = griptool::Tool({"history", "--player", "Zed"});
    EXPECT_EQ(run.Out, "No games recorded that match.\n");

    // The chart shows the one player's games only: player one's colour, none of Bob's lane.
    const QString out = user_.filePath("anna.png");
    run = griptool::Tool({"history", "--player", "Anna", "--plot", out});
    ASSERT_EQ(run.ExitCode, 0) << run.Err;
    const QImage chart(out);
    ASSERT_FALSE(chart.isNull());
    int blue = 0, orange = 0;
    for (int y = 0; y < chart.height(); ++y)
        for (int x = 0; x < chart.width(); ++x) {
            blue += (chart.pixel(x, y) & 0xFFFFFF) == 0x1F5FBF;
            orange += (chart.pixel(x, y) & 0xFFFFFF) == 0xD9661F;
        }
    EXPECT_GT(blue, 500);
    EXPECT_EQ(orange, 0);
}

TEST_F(THistoryTest, GripTestsAreRowsAndSeriesOfTheirOwn)
{
    const QDate day(2025, 3, 10);
    TGameRecord test = Game(day, 9, "grip test", 1, 0, 14);
    test.Mode = "test";
    test.Name = "Ann";
    test.PeakForce = 187;
    test.TestPacePerMinute = 65;
    test.TestHoldSeconds = 12.4;
    ASSERT_TRUE(log_.Append({Game(day, 17, "invincible.mid", 1, 61, 120), test}));
    const griptool::TRun run = griptool::Tool({"history"});
    const std::vector<std::string> lines = griptool::Lines(run.Out);
    ASSERT_EQ(lines.size(), 6u) << run.Out;
    EXPECT_NE(lines[2].find("Player 1: 1 game on 2025-03-10; hit rate 61 %"), std::string::npos) << lines[2];
    EXPECT_NE(lines[5].find("2025-03-10 09:05  test  1       Ann   GR-0042   187         65    12.4"), std::string::npos)
        << lines[5];

    std::unique_ptr<QChart> chart(MakeProgressChart(ReadRecordFile(log_.Path()).Records, "t"));
    std::map<QString, std::vector<qreal>> values;
    for (QAbstractSeries* series : chart->series())
        for (QPointF point : static_cast<QLineSeries*>(series)->points())
            values[series->name()].push_back(point.y());
    EXPECT_EQ(values["Player 1: hit rate"], std::vector<qreal>{61});
    EXPECT_EQ(values["Player 1: test pace"], std::vector<qreal>{65});
    EXPECT_EQ(values["Player 1: test hold"], std::vector<qreal>{12.4});
}
