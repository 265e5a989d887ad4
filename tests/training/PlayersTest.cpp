// Players by name: what the file keeps, what a rename keeps, and what is refused.
#include "platform/UserFoldersOverride.h"
#include "training/Players.h"

#include <QFile>
#include <QTemporaryDir>

#include <gtest/gtest.h>

TEST(Players, NamesStayTheirPlayersThroughRenamesAndTwoGamesLoseNeithersPlayers)
{
    const QTemporaryDir user;
    const TOverride folders = OverrideUserFolders(user.path());
    TPlayers here, there;
    EXPECT_EQ(here.Path(), user.path() + "/config/griprhythm/players.json");
    EXPECT_TRUE(here.List().empty());
    EXPECT_FALSE(QFile::exists(here.Path()));  // reading writes nothing

    const std::optional<TPlayer> ann = here.Add("  Ann ");
    ASSERT_TRUE(ann);
    // Another game adds a player in between; each change starts from what the file holds.
    const std::optional<TPlayer> bob = there.Add("Bob");
    ASSERT_TRUE(bob);
    EXPECT_NE(ann->Id, bob->Id);
    ASSERT_TRUE(here.Rename(ann->Id, "Anna"));
    ASSERT_TRUE(here.Rename(ann->Id, "Hanna"));
    const std::vector<TPlayer> players = there.List();
    ASSERT_EQ(players.size(), 2u);
    EXPECT_EQ(players[0].Names, QStringList({"Ann", "Anna", "Hanna"}));
    EXPECT_EQ(players[1].Name(), "Bob");

    // Any name, now or before and in any case, finds the player and all their names.
    EXPECT_EQ(there.Find("ANNA")->Id, ann->Id);
    EXPECT_EQ(there.NamesOf("ann"), QStringList({"Ann", "Anna", "Hanna"}));
    EXPECT_EQ(there.NamesOf("Carl"), QStringList({"Carl"}));
    // Back to an old name: the player's own, so allowed, and kept once.
    ASSERT_TRUE(there.Rename(ann->Id, "Ann"));
    EXPECT_EQ(here.ById(ann->Id)->Names, QStringList({"Anna", "Hanna", "Ann"}));

    // A name that is or was another player's is refused, and so are names that are none.
    EXPECT_FALSE(here.Add("bob"));
    EXPECT_TRUE(here.Failure().contains("already")) << here.Failure().toStdString();
    EXPECT_FALSE(here.Rename(bob->Id, "hanna"));
    EXPECT_TRUE(here.Failure().contains("old name of Ann")) << here.Failure().toStdString();
    EXPECT_FALSE(here.Add("   "));
    EXPECT_FALSE(here.Add("Line\nbreak"));
    EXPECT_FALSE(here.Add(QString(41, 'x')));
    EXPECT_FALSE(here.Rename(99, "Dora"));
    EXPECT_EQ(here.List().size(), 2u);
}

TEST(Players, ADamagedFileIsSaidAndNeverWrittenOver)
{
    const QTemporaryDir dir;
    TPlayers players(dir.filePath("players.json"));
    for (const QByteArray& damaged : {QByteArray("{\"players\": [{\"id\": 1, \"names\": [\"Ann\""),
                                      QByteArray("{\"players\": [{\"id\": 1, \"names\": []}]}"),
                                      QByteArray("{\"players\": [{\"id\": 1, \"names\": [\"A\"]}, "
                                                 "{\"id\": 1, \"names\": [\"B\"]}]}")}) {
        QFile file(players.Path());
        ASSERT_TRUE(file.open(QIODevice::WriteOnly | QIODevice::Truncate));
        file.write(damaged);
        file.close();
        EXPECT_TRUE(players.List().empty());
        EXPECT_TRUE(players.Failure().contains("damaged")) << players.Failure().toStdString();
        EXPECT_FALSE(players.Add("Carl"));
        EXPECT_FALSE(players.Rename(1, "Carl"));
        ASSERT_TRUE(file.open(QIODevice::ReadOnly));
        EXPECT_EQ(file.readAll(), damaged);
    }
}
