#include "training/ResultsFigures.h"

#include <gtest/gtest.h>

static TGameRecord Game(int hit, int balls, const QString& name = {}, int player = 1, const QString& song = "a.mid")
{
    TGameRecord r;
    r.Song = song, r.BallsHit = hit, r.Balls = balls, r.Name = name, r.Player = player;
    return r;
}

TEST(ResultsFigures, GradesStepAtWholePercentsAndChangesCompareWithTheLastGame)
{
    for (const auto& [percent, grade] : std::vector<std::pair<int, QString>>{
             {100, "S"}, {95, "S"}, {94, "A"}, {85, "A"}, {84, "B"}, {70, "B"}, {69, "C"}, {50, "C"}, {49, "D"}, {0, "D"}})
        EXPECT_EQ(Grade(percent / 100.0), grade) << percent;
    EXPECT_EQ(Grade(189 / 200.0), "S") << "94.5 % shows as 95 %";
    EXPECT_TRUE(ResultsFigures(Game(0, 0), std::nullopt, {}).Grade.isEmpty()) << "no ball judged";

    TGameRecord game = Game(15, 20, "Ann", 2), before = Game(10, 20);
    game.Grips = 90, game.Seconds = 120, game.PeakForce = 200;
    before.Grips = 100, before.Seconds = 100, before.PeakForce = 180;
    const TResultsFigures first = ResultsFigures(game, std::nullopt, {});
    EXPECT_EQ(first.Lane, 1);
    EXPECT_EQ(first.GripsPerMinute, 45);
    EXPECT_TRUE(first.FirstGame && !first.HitRateChange && !first.GripsPerMinuteChange && !first.PeakChange);
    const TResultsFigures again = ResultsFigures(game, before, {});
    EXPECT_FALSE(again.FirstGame);
    EXPECT_EQ(again.HitRateChange, 25);
    EXPECT_EQ(again.GripsPerMinuteChange, -15);
    EXPECT_EQ(again.PeakChange, 20);
    before.Balls = 0;
    game.Seconds = 0.5;
    const TResultsFigures bare = ResultsFigures(game, before, {});
    EXPECT_FALSE(bare.HitRateChange || bare.GripsPerMinute || bare.GripsPerMinuteChange) << "nothing to compare";
}

TEST(ResultsFigures, LastTenAreThisPlayersGamesOfThisSongEndingWithThisOne)
{
    std::vector<TGameRecord> records;
    for (int i = 0; i < 12; ++i)
        records.push_back(Game(i, 20, i % 2 ? "ann" : "Anna"));
    records.push_back(Game(1, 20, "Ann", 1, "b.mid"));
    records.push_back(Game(2, 20, "Bob"));
    records.push_back(Game(3, 20));
    records.push_back(Game(4, 0, "Ann"));
    records.push_back(Game(5, 20, "Ann"));
    records.back().Mode = "test";
    records.push_back(Game(6, 20, {}, 2));

    const std::vector<double> named = RecentHitRates(records, Game(20, 20, "Ann"), {"Anna", "Ann"});
    ASSERT_EQ(named.size(), 10u);
    EXPECT_DOUBLE_EQ(named.front(), 3 / 20.0) << "the oldest three drop out";
    EXPECT_DOUBLE_EQ(named.back(), 1.0);
    // Unnamed: the unnamed games of the same lane only.
    EXPECT_EQ(RecentHitRates(records, Game(8, 20), {}), (std::vector<double>{3 / 20.0, 8 / 20.0}));
    EXPECT_EQ(RecentHitRates(records, Game(0, 0), {}), (std::vector<double>{3 / 20.0}));
}
