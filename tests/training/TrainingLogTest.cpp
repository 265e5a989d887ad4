// The training record's file: whole lines appended, or nothing at all.
#include "platform/Override.h"
#include "platform/UserFoldersOverride.h"
#include "training/TrainingLog.h"

#include <QDir>
#include <QFile>
#include <QTemporaryDir>

#include <gtest/gtest.h>

#include <csignal>

#include <sys/resource.h>
#include <sys/stat.h>
#include <sys/wait.h>
#include <unistd.h>

namespace {

TGameRecord Game(int player, int percent)
{
    TGameRecord r;
    r.Started = QDateTime(QDate(2025, 3, 14), QTime(9, 26, 53), Qt::OffsetFromUTC, -4 * 3600 - 30 * 60);
    r.Song = "Hey, \"Jude\"";
    r.Player = player;
    r.Input = player == 1 ? "GR-0042" : "keyboard";
    r.Seconds = 171.74;
    r.Balls = 146;
    r.BallsHit = 120;
    r.Hits = 133;
    r.Percent = percent;
    r.Grips = 150;
    r.PeakForce = 201;
    r.MeanGripForce = 121.24;
    if (player == 1)
        r.CalibratedPeaks = {140};
    return r;
}

QByteArray Contents(const QString& path)
{
    QFile file(path);
    return file.open(QIODevice::ReadOnly) ? file.readAll() : QByteArray();
}

// Files grow no larger than bytes until the guard goes, as on a disk that is full there.
TOverride LimitFileSize(rlim_t bytes)
{
    rlimit previous{};
    getrlimit(RLIMIT_FSIZE, &previous);
    rlimit limit = previous;
    limit.rlim_cur = bytes;
    setrlimit(RLIMIT_FSIZE, &limit);
    return TOverride([previous] { setrlimit(RLIMIT_FSIZE, &previous); });
}

} // namespace

TEST(TrainingLog, LinesGoUnderTheDataFolderAndReadBackAsWritten)
{
    const QTemporaryDir user;
    const TOverride folders = OverrideUserFolders(user.path());
    TTrainingLog log;
    EXPECT_EQ(log.Path(), user.path() + "/data/griprhythm/training.csv");
    ASSERT_TRUE(log.Append({Game(1, 82), Game(2, 64)}));
    const QList<QByteArray> lines = Contents(log.Path()).split('\n');
    ASSERT_EQ(lines.size(), 4);  // the header, two games, and the end of the last line
    EXPECT_EQ(lines[0], "started,song,player,input,seconds,melody_speed,easy_mode,only_blue,small_shift,balls,"
                        "balls_hit,hits,percent,longest_combo,score,grips,peak_force,mean_grip_force,calibrated_peak,"
                        "name,level,mode,session,test_pace_per_minute,test_hold_seconds,timing_mean_ms,timing_spread_ms");
    EXPECT_EQ(lines[1], "2025-03-14T09:26:53-04:30,\"Hey, \"\"Jude\"\"\",1,GR-0042,171.7,100,0,0,0,146,120,133,82,0,0,"
                        "150,201,121.2,140,,,game,,,,,");
    EXPECT_TRUE(lines[2].endsWith(",keyboard,171.7,100,0,0,0,146,120,133,64,0,0,150,201,121.2,,,,game,,,,,"));
    const TRecordFile file = ReadRecordFile(log.Path());
    EXPECT_EQ(file.Damaged, 0);
    ASSERT_EQ(file.Records.size(), 2u);
    EXPECT_EQ(file.Records[0].Song, "Hey, \"Jude\"");
    EXPECT_EQ(file.Records[0].Started, Game(1, 82).Started);
    EXPECT_EQ(file.Records[0].Started.offsetFromUtc(), -4 * 3600 - 30 * 60);
    EXPECT_TRUE(file.Records[1].CalibratedPeaks.empty());
}

TEST(TrainingLog, AWriteThatFailsHalfWayWarnsOnceAndLeavesTheFileAsItWas)
{
    const QTemporaryDir dir;
    TTrainingLog log(dir.filePath("training.csv"));
    QStringList warnings;
    log.Warn = [&](const QString& message) { warnings.append(message); };
    ASSERT_TRUE(log.Append({Game(1, 50)}));
    const QByteArray before = Contents(log.Path());
    {
        // Room for part of one more line only.
        const TOverride full = LimitFileSize(rlim_t(before.size() + 40));
        EXPECT_FALSE(log.Append({Game(1, 60), Game(2, 61)}));
        EXPECT_FALSE(log.Append({Game(1, 70)}));
    }
    EXPECT_EQ(Contents(log.Path()), before);
    ASSERT_EQ(warnings.size(), 1);
    EXPECT_TRUE(warnings[0].contains(log.Path())) << warnings[0].toStdString();

    // With room again, the next game goes in after the ones before it, whole.
    EXPECT_TRUE(log.Append({Game(1, 80)}));
    const TRecordFile file = ReadRecordFile(log.Path());
    EXPECT_EQ(file.Damaged, 0);
    ASSERT_EQ(file.Records.size(), 2u);
    EXPECT_EQ(file.Records[0].Percent, 50);
    EXPECT_EQ(file.Records[1].Percent, 80);
    EXPECT_EQ(warnings.size(), 1);
    // The size limit's signal would have ended the program; it is as it was.
    struct sigaction now {};
    sigaction(SIGXFSZ, nullptr, &now);
    EXPECT_EQ(now.sa_handler, SIG_DFL);
}

TEST(TrainingLog, AFolderThatCannotBeMadeLosesTheGameButNothingElse)
{
    const QTemporaryDir dir;
    // A file where the folder should be.
    QFile blocker(dir.filePath("griprhythm"));
    ASSERT_TRUE(blocker.open(QIODevice::WriteOnly));
    blocker.close();
    TTrainingLog log(dir.filePath("griprhythm/training.csv"));
    int warnings = 0;
    log.Warn = [&](const QString&) { ++warnings; };
    EXPECT_FALSE(log.Append({Game(1, 50)}));
    EXPECT_FALSE(log.Append({Game(1, 50)}));
    EXPECT_EQ(warnings, 1);
    EXPECT_EQ(Contents(dir.filePath("griprhythm")), QByteArray());
}

TEST(TrainingLog, TwoGamesAppendingAtOnceKeepEveryLineOfBothThroughFailedWrites)
{
    // In memory where there is room for it: each line is synced to the disk.
    const QTemporaryDir dir(QDir("/dev/shm").exists() ? "/dev/shm/grip-XXXXXX" : QString());
    const QString path = dir.filePath("training.csv");
    constexpr int lines = 1000;
    // Each game fails four writes for each one that goes in, as a game at its size limit does.
    auto game = [&](int player) {
        TTrainingLog log(path);
        int warnings = 0;
        log.Warn = [&](const QString&) { ++warnings; };
        bool ok = true;
        for (int i = 0; i < lines; ++i) {
            for (int failing = 0; failing < 4; ++failing) {
                struct stat now {};
                const TOverride full = LimitFileSize(::stat(qPrintable(path), &now) == 0 ? rlim_t(now.st_size) : 0);
                ok = !log.Append({Game(player, 0)}) && ok;
            }
            ok = log.Append({Game(player, i)}) && ok;
        }
        return ok && warnings == 1;
    };
    // Both start together, once the parent lets go of the pipe.
    int start[2];
    ASSERT_EQ(pipe(start), 0);
    pid_t children[2];
    for (int player : {1, 2}) {
        if ((children[player - 1] = fork()) == 0) {
            char go;
            close(start[1]);
            _exit(read(start[0], &go, 1) == 0 && game(player) ? 0 : 1);
        }
    }
    close(start[0]);
    close(start[1]);
    for (pid_t child : children) {
        int status = -1;
        EXPECT_TRUE(waitpid(child, &status, 0) == child && WIFEXITED(status) && WEXITSTATUS(status) == 0);
    }
    const TRecordFile file = ReadRecordFile(path);
    EXPECT_EQ(file.Damaged, 0);
    ASSERT_EQ(file.Records.size(), size_t(2 * lines));
    // Each game's own lines in the order it wrote them.
    int next[2] = {0, 0}, outOfOrder = 0;
    for (const TGameRecord& r : file.Records)
        outOfOrder += r.Percent != next[r.Player - 1]++;
    EXPECT_EQ(outOfOrder, 0);
    EXPECT_EQ(Contents(path).count(RecordHeader().toUtf8()), 1);
}

TEST(TrainingLog, NamesASpreadsheetWouldTakeForAFormulaAreWrittenAsTextAndReadBackAsTheyWere)
{
    const QTemporaryDir dir;
    TTrainingLog log(dir.filePath("training.csv"));
    std::vector<TGameRecord> games;
    for (const char* name : {"=cmd|' /C calc'!A0", "+1", "-2", "@SUM(1)", "\t=1", "'=quoted", "'plain", "a=b"}) {
        games.push_back(Game(1, 50));
        games.back().Song = name;
        games.back().Input = "=" + games.back().Song;
    }
    ASSERT_TRUE(log.Append(games));
    const QList<QByteArray> lines = Contents(log.Path()).split('\n');
    EXPECT_TRUE(lines[1].startsWith("2025-03-14T09:26:53-04:30,\"'=cmd|' /C calc'!A0\",1,\"'==cmd"))
        << lines[1].toStdString();
    EXPECT_TRUE(lines[7].contains(",'plain,1,\"'='plain\",")) << lines[7].toStdString();
    const TRecordFile file = ReadRecordFile(log.Path());
    ASSERT_EQ(file.Records.size(), games.size());
    for (size_t i = 0; i < games.size(); ++i)
        EXPECT_EQ(file.Records[i].Song + file.Records[i].Input, games[i].Song + games[i].Input);
}

namespace {

// The header and a line of the record as it was before the name and the later columns.
const QByteArray kFirstHeader = "started,song,player,input,seconds,melody_speed,easy_mode,only_blue,small_shift,"
                                "balls,balls_hit,hits,percent,longest_combo,score,grips,peak_force,mean_grip_force,"
                                "calibrated_peak\n";
const QByteArray kFirstLine = "2024-11-02T10:00:00+01:00,Fine.mid,1,keyboard,60.0,100,0,0,0,40,30,31,75,9,900,35,"
                              "120,80.0,\n";

void Write(const QString& path, const QByteArray& text)
{
    QFile file(path);
    ASSERT_TRUE(file.open(QIODevice::WriteOnly));
    file.write(text);
}

} // namespace

TEST(TrainingLog, TheLaterColumnsReadBackAndAShortLineReadsThemAsEmpty)
{
    TGameRecord game = Game(2, 70);
    game.Name = "=Ann, B";
    game.Level = "hard";
    game.Mode = "test";
    game.Session = game.Started.addSecs(-600);
    game.TestPacePerMinute = 12.5;
    game.TestHoldSeconds = 3;
    game.TimingMeanMs = -21.5;
    game.TimingSpreadMs = 40;
    const std::optional<TGameRecord> back = ParseRecordLine(RecordLine(game));
    ASSERT_TRUE(back);
    EXPECT_EQ(back->Name, game.Name);
    EXPECT_EQ(back->Level + back->Mode, "hardtest");
    EXPECT_EQ(back->Session, game.Session);
    EXPECT_EQ(back->TestPacePerMinute, 12.5);
    EXPECT_EQ(back->TestHoldSeconds, 3.0);
    EXPECT_EQ(back->TimingMeanMs, -21.5);
    EXPECT_EQ(back->TimingSpreadMs, 40.0);

    const std::optional<TGameRecord> old = ParseRecordLine(QString(kFirstLine).trimmed());
    ASSERT_TRUE(old);
    EXPECT_EQ(old->Percent, 75);
    EXPECT_TRUE(old->Name.isEmpty() && old->Level.isEmpty() && old->Mode.isEmpty());
    EXPECT_FALSE(old->Session || old->TimingMeanMs || old->TestHoldSeconds);
    // Neither a level nor a mode the game does not know, nor a field too many.
    EXPECT_FALSE(ParseRecordLine(RecordLine(game).replace(",hard,", ",harder,")));
    EXPECT_FALSE(ParseRecordLine(RecordLine(game).replace(",test,", ",play,")));
    EXPECT_FALSE(ParseRecordLine(RecordLine(game) + ",1"));
}

TEST(TrainingLog, AnOlderFileIsSetAsideWholeUnderAFreeNameAndReadWithTheNewOne)
{
    const QTemporaryDir dir;
    const QString path = dir.filePath("training.csv");
    const QByteArray older = kFirstHeader + kFirstLine;
    Write(path, older);
    // A file set aside earlier the same day keeps its name and its games.
    const QByteArray earlier = kFirstHeader + QByteArray(kFirstLine).replace("2024-11-02", "2024-10-01");
    Write(dir.filePath("training-until-2025-03-14.csv"), earlier);
    TTrainingLog log(path);
    log.Today = [] { return QDate(2025, 3, 14); };
    ASSERT_TRUE(log.Append({Game(1, 82)}));

    EXPECT_EQ(Contents(dir.filePath("training-until-2025-03-14.csv")), earlier);
    EXPECT_EQ(Contents(dir.filePath("training-until-2025-03-14-2.csv")), older);
    const QList<QByteArray> lines = Contents(path).split('\n');
    ASSERT_EQ(lines.size(), 3);
    EXPECT_EQ(lines[0], RecordHeader().toUtf8());
    // The new file is the one written from now on.
    ASSERT_TRUE(log.Append({Game(1, 83)}));
    EXPECT_EQ(Contents(dir.filePath("training-until-2025-03-14-2.csv")), older);

    EXPECT_EQ(RecordFiles(path), QStringList({dir.filePath("training-until-2025-03-14.csv"),
                                              dir.filePath("training-until-2025-03-14-2.csv"), path}));
    const TRecordFile all = ReadRecordFiles(path);
    EXPECT_FALSE(all.Missing);
    EXPECT_EQ(all.Damaged, 0);
    ASSERT_EQ(all.Records.size(), 4u);
    EXPECT_EQ(all.Records[0].Started.date(), QDate(2024, 10, 1));
    EXPECT_EQ(all.Records[1].Started.date(), QDate(2024, 11, 2));
    EXPECT_EQ(all.Records[3].Percent, 83);
}
