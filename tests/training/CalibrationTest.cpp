// Measuring a hand, and keeping what was measured for each ball.
#include "platform/UserFoldersOverride.h"
#include "training/Calibration.h"
#include "training/CalibrationStore.h"

#include <QDateTime>
#include <QDir>
#include <QFile>
#include <QTemporaryDir>

#include <gtest/gtest.h>

#include <initializer_list>

namespace {

void Squeeze(TCalibration& c, std::initializer_list<int> forces)
{
    for (int f : forces)
        c.Feed(std::uint8_t(f));
}

} // namespace

TEST(Calibration, TheMiddleOfThreeSqueezesIsThePeakAndALightOneDoesNotCount)
{
    TCalibration c;
    Squeeze(c, {0, 3, 4, 9, 3});  // resting noise, never past the grip force
    EXPECT_EQ(c.Counted(), 0);
    Squeeze(c, {20, 80, 120, 110, 40, 6, 2});
    EXPECT_EQ(c.Counted(), 1);
    EXPECT_EQ(c.SqueezePeak(), 0);
    Squeeze(c, {11, 13, 12});  // too light: held ...
    EXPECT_EQ(c.SqueezePeak(), 13);
    Squeeze(c, {1});           // ... and let go
    EXPECT_TRUE(c.LastTooLight());
    EXPECT_EQ(c.Counted(), 1);
    Squeeze(c, {50, 90, 0});
    EXPECT_FALSE(c.Done());
    EXPECT_EQ(c.Peak(), 0);
    Squeeze(c, {140, 4});
    ASSERT_TRUE(c.Done());
    EXPECT_EQ(c.Peaks(), (std::vector<std::uint8_t>{120, 90, 140}));
    EXPECT_EQ(c.Peak(), 120);
    Squeeze(c, {250, 0});
    EXPECT_EQ(c.Peak(), 120);
}

TEST(CalibrationStore, EachBallKeepsItsOwnPeakInTheConfigFolderAndResetForgetsOnlyIt)
{
    const QTemporaryDir user;
    const TOverride folders = OverrideUserFolders(user.path());
    const QString path = user.path() + "/config/griprhythm/calibration.conf";
    // A serial may hold the characters a settings key may not.
    const QString serial = "GR/01 %2F", other = "1209:0001";
    {
        TCalibrationStore store;
        EXPECT_EQ(store.Path(), path);
        EXPECT_FALSE(store.Find(serial).Fitted());
        EXPECT_TRUE(store.Reset(serial));
    }
    // Looking and forgetting what is not there write nothing.
    EXPECT_TRUE(QDir(user.path()).entryList(QDir::NoDotAndDotDot | QDir::AllEntries).isEmpty());

    TCalibrationStore store;
    ASSERT_TRUE(store.Save(serial, 100));
    ASSERT_TRUE(store.Save(other, 60));
    const TCalibrationStore later;
    EXPECT_EQ(later.Find(serial).Peak, 100);
    EXPECT_EQ(later.Find(serial).Share, 70);
    EXPECT_EQ(later.Find(other).Peak, 60);
    EXPECT_FALSE(later.Find("GR/01 %2").Fitted());

    ASSERT_TRUE(store.Reset(serial));
    EXPECT_FALSE(TCalibrationStore().Find(serial).Fitted());
    EXPECT_EQ(TCalibrationStore().Find(other).Peak, 60);

    // The share is the user's to change in the file; one out of range is not taken.
    QFile file(path);
    ASSERT_TRUE(file.open(QIODevice::ReadOnly));
    QByteArray text = file.readAll();
    file.close();
    ASSERT_TRUE(text.contains("share=70"));
    int edit = 0;
    for (const auto& [share, expected] : {std::pair{"share=50", 50}, std::pair{"share=5", 70}}) {
        ASSERT_TRUE(file.open(QIODevice::WriteOnly | QIODevice::Truncate));
        file.write(QByteArray(text).replace("share=70", share));
        file.flush();
        // As a later edit by hand would be: the settings read a file again when its time moved.
        file.setFileTime(QDateTime::currentDateTime().addSecs(++edit * 10), QFileDevice::FileModificationTime);
        file.close();
        EXPECT_EQ(TCalibrationStore().Find(other).Share, expected) << share;
    }
}

TEST(CalibrationStore, AHandEditedFileKeepsEveryLineOfItsUserAndASaveThatWorkedSaysSo)
{
    const QTemporaryDir user;
    const QString path = user.filePath("calibration.conf");
    const QByteArray mine = "; the balls of the Tuesday group\n"
                            "my note: the left-hand ball\n"
                            "[balls]\n"
                            "GR-0001 = 80\n"
                            "# GR-0002 was lent out\n"
                            "\n"
                            "[Tuesday]\n"
                            "room=3\n";
    {
        QFile file(path);
        ASSERT_TRUE(file.open(QIODevice::WriteOnly));
        file.write(mine);
    }
    TCalibrationStore store(path);
    ASSERT_TRUE(store.Save("GR-0003", 120));
    ASSERT_TRUE(store.Save("GR-0001", 90));
    EXPECT_EQ(TCalibrationStore(path).Find("GR-0003").Peak, 120);
    EXPECT_EQ(TCalibrationStore(path).Find("GR-0001").Peak, 90);
    ASSERT_TRUE(store.Reset("GR-0003"));
    QFile file(path);
    ASSERT_TRUE(file.open(QIODevice::ReadOnly));
    const QByteArray now = file.readAll();
    // Only the changed peak differs; the share comes first, where the game looks for it.
    EXPECT_EQ(now, "share=70\n" + QByteArray(mine).replace("GR-0001 = 80", "GR-0001=90")) << now.toStdString();

    // One that cannot be read is left alone, and the failure says so.
    ASSERT_TRUE(QDir(user.path()).mkdir("folder.conf"));
    TCalibrationStore folder(user.filePath("folder.conf"));
    EXPECT_FALSE(folder.Save("GR-0001", 90));
    EXPECT_TRUE(folder.Failure().startsWith("cannot be read")) << folder.Failure().toStdString();
}

// Odd section headers once hid the ball's key from the look a reset took first: the reset said
// it had forgotten a peak it left in the file, to come back when the headers were mended.
TEST(CalibrationStore, FuzzRegressionAResetTakesThePeakOutOfAFileOfOddSections)
{
    const QTemporaryDir user;
    const QString path = user.filePath("calibration.conf");
    ASSERT_TRUE(QFile::copy(GRIP_SOURCE_DIR "fuzz/regressions/calibration_file/escaped-bracket-unclosed-section", path));
    ASSERT_TRUE(QFile::setPermissions(path, QFile::ReadOwner | QFile::WriteOwner));
    TCalibrationStore store(path);
    ASSERT_TRUE(store.Save("GR-0001", 90));
    ASSERT_TRUE(store.Reset("GR-0001"));
    QFile file(path);
    ASSERT_TRUE(file.open(QIODevice::ReadOnly));
    EXPECT_FALSE(file.readAll().contains("GR-0001=90"));
}
