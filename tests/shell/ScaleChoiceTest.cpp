#include "platform/Preferences.h"
#include "platform/UserFoldersOverride.h"
#include "shell/CommandLine.h"
#include "shell/ScaleChoice.h"

#include <QSettings>
#include <QTemporaryDir>
#include <gtest/gtest.h>

TEST(ScaleChoice, TheCommandLineWinsOverTheRememberedScaleWhichWinsOverOne)
{
    const QTemporaryDir user;
    const TOverride folders = OverrideUserFolders(user.path());
    EXPECT_EQ(StartingScale(std::nullopt), 1);
    RememberScale(3);
    EXPECT_EQ(QSettings(PreferencesPath(), QSettings::IniFormat).value("window/scale").toInt(), 3);
    EXPECT_EQ(StartingScale(std::nullopt), 3);
    EXPECT_EQ(StartingScale(2), 2);
    // A hand-edited value that is no scale is left out.
    QSettings(PreferencesPath(), QSettings::IniFormat).setValue("window/scale", "9");
    EXPECT_EQ(RememberedScale(), std::nullopt);
    EXPECT_EQ(StartingScale(std::nullopt), 1);
}

TEST(ScaleChoice, TheCommandLineTakesScalesOneToFourAndASong)
{
    const TCommandLine plain = ParseCommandLine({"griprhythm", "song.mid"});
    EXPECT_EQ(plain.Song, "song.mid");
    EXPECT_EQ(plain.Scale, std::nullopt);
    const TCommandLine both = ParseCommandLine({"griprhythm", "--scale=4", "song.mid"});
    EXPECT_TRUE(both.Error.isEmpty());
    EXPECT_EQ(both.Scale, 4);
    EXPECT_EQ(both.Song, "song.mid");
    for (const char* bad : {"0", "5", "2.5", "x", ""}) {
        const TCommandLine line = ParseCommandLine({"griprhythm", "--scale", bad});
        EXPECT_EQ(line.Error, QString("--scale takes 1, 2, 3 or 4, not \"%1\"").arg(bad)) << bad;
    }
    EXPECT_FALSE(ParseCommandLine({"griprhythm", "--scale"}).Error.isEmpty());
}
