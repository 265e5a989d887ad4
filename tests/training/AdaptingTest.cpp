// The adapting rule: the order its steps come in, where they stop, and the band's edges.
#include "platform/UserFoldersOverride.h"
#include "training/Adapting.h"
#include "training/Players.h"

#include <QFile>
#include <QTemporaryDir>

#include <gtest/gtest.h>

#include <vector>

namespace {

// Every setting the rule passes through at one hit rate until it stops moving.
std::vector<TAdaptSettings> Walk(TAdaptSettings from, int hitOf100, bool levelMoves, bool shareMoves)
{
    std::vector<TAdaptSettings> walk{from};
    for (TAdaptStep step; (step = TAdapting().Next(walk.back(), 100, hitOf100, levelMoves, shareMoves)).Next != walk.back();)
        walk.push_back(step.Next);
    return walk;
}

} // namespace

TEST(Adapting, HarderTakesSpeedThenLevelThenShareAndEasierRetracesItExactly)
{
    const std::vector<TAdaptSettings> up = Walk({EMapLevel::Easy, 75, 90}, 86, true, true);
    const std::vector<TAdaptSettings> begin(up.begin(), up.begin() + 6);
    EXPECT_EQ(begin, (std::vector<TAdaptSettings>{{EMapLevel::Easy, 75, 90}, {EMapLevel::Easy, 85, 90},
                                                   {EMapLevel::Easy, 95, 90}, {EMapLevel::Easy, 100, 90},
                                                   {EMapLevel::Normal, 100, 90}, {EMapLevel::Hard, 100, 90}}));
    EXPECT_EQ(up.back(), (TAdaptSettings{EMapLevel::Hard, 100, 100}));
    EXPECT_EQ(up.size(), 8u);

    // Down from the top: the share to its least, the level, then the speed to its least.
    const std::vector<TAdaptSettings> down = Walk(up.back(), 69, true, true);
    EXPECT_EQ(down.size(), 3 + (100 - 10) / 5 + (100 - 30) / 10u);
    EXPECT_EQ(down[(100 - 10) / 5], (TAdaptSettings{EMapLevel::Hard, 100, 10}));
    EXPECT_EQ(down[(100 - 10) / 5 + 2], (TAdaptSettings{EMapLevel::Easy, 100, 10}));
    EXPECT_EQ(down.back(), (TAdaptSettings{EMapLevel::Easy, 30, 10}));
    EXPECT_EQ(TAdapting().Next(down.back(), 100, 0, true, true).Reason,
              "no change, already as easy as it goes (hit rate 0 % below 70 %)");
}

TEST(Adapting, StepsThatCannotBeTakenGiveWayAndTheBandHoldsItsEdges)
{
    // A song's own map and an uncalibrated ball: only the speed moves, and it stops at full.
    EXPECT_EQ(Walk({EMapLevel::Normal, 30, 70}, 100, false, false).back(), (TAdaptSettings{EMapLevel::Normal, 100, 70}));
    EXPECT_EQ(Walk({EMapLevel::Normal, 100, 70}, 0, false, false).back(), (TAdaptSettings{EMapLevel::Normal, 30, 70}));
    const TAdaptStep step = TAdapting().Next({EMapLevel::Normal, 80, 70}, 100, 91, true, true);
    EXPECT_EQ(step.Reason, "speed 80 % → 90 % (hit rate 91 % above 85 %)");

    const TAdapting narrow(TAdaptBand{50, 60});
    const TAdaptSettings middle{EMapLevel::Normal, 60, 70};
    for (auto [balls, hit, speed] : std::vector<std::array<int, 3>>{
             {100, 70, 60}, {100, 85, 60}, {100, 69, 50}, {100, 86, 70}, {0, 0, 60}, {6, 5, 60}})
        EXPECT_EQ(TAdapting().Next(middle, balls, hit, false, false).Next.Speed, speed) << hit << " of " << balls;
    EXPECT_EQ(narrow.Next(middle, 100, 70, false, false).Next.Speed, 70);
    EXPECT_EQ(narrow.Next(middle, 200, 99, false, false).Next.Speed, 60);  // 49.5 rounds to 50
}

TEST(Adapting, ThePlayersFileKeepsTheFlagAndSettingsAndMendsOnesOutOfBounds)
{
    const QTemporaryDir user;
    const TOverride folders = OverrideUserFolders(user.path());
    TPlayers players;
    const int ann = players.Add("Ann")->Id, bob = players.Add("Bob")->Id;
    ASSERT_TRUE(players.SetAdapting(ann, true, TAdaptSettings{EMapLevel::Hard, 60, 55}));
    ASSERT_TRUE(players.Rename(ann, "Anna"));
    EXPECT_TRUE(players.ById(ann)->Adapt);
    EXPECT_EQ(players.ById(ann)->Adapted, (TAdaptSettings{EMapLevel::Hard, 60, 55}));
    EXPECT_FALSE(players.ById(bob)->Adapt || players.ById(bob)->Adapted);
    ASSERT_TRUE(players.SetAdapting(ann, false, std::nullopt));
    EXPECT_EQ(players.ById(ann)->Adapted, (TAdaptSettings{EMapLevel::Hard, 60, 55}));  // kept for next time on

    QFile file(players.Path());
    ASSERT_TRUE(file.open(QIODevice::WriteOnly));
    file.write(R"({"players": [{"id": 1, "names": ["Ann"], "adapt": {"on": true, "level": "wild", "speed": 5, "share": 900}}]})");
    file.close();
    EXPECT_EQ(players.ById(1)->Adapted, (TAdaptSettings{EMapLevel::Normal, 30, 100}));
}
