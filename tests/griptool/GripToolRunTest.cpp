#include "GripToolRun.h"

#include <QProcess>

#include <gtest/gtest.h>

// A command that hangs must fail its test, not pass as a clean exit.
TEST(GripToolRun, ARunThatOutlastsItsTimeIsKilledAndCountsAsFailed)
{
    const griptool::TRun hung = griptool::Exec("sleep", {"30"}, 200);
    EXPECT_EQ(hung.ExitCode, -1);
    EXPECT_NE(hung.Err.find("killed after 200 ms"), std::string::npos) << hung.Err;
    EXPECT_EQ(griptool::Exec("sh", {"-c", "exit 3"}).ExitCode, 3);
}

// Output that cannot be written is a failure, whichever command made it.
TEST(GripToolRun, AnOutputThatCannotBeWrittenFailsTheCommandAloud)
{
    const QString song = GRIP_BIN_DIR "invincible.mid";
    for (const QStringList& args : {QStringList{"beatmap", "make", song}, QStringList{"midi", "dump", song},
                                    QStringList{"history"}, QStringList{"--help"}}) {
        QProcess p;
        p.setStandardOutputFile("/dev/full");
        p.start(GRIP_BIN_DIR "griptool", args);
        ASSERT_TRUE(p.waitForFinished(60000));
        EXPECT_EQ(p.exitCode(), 1) << args.join(' ').toStdString();
        EXPECT_TRUE(p.readAllStandardError().contains("griptool: the output could not be written"));
    }
}
