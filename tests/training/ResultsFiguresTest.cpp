#include "training/ResultsFigures.h"

#include <gtest/gtest.h>

namespace {

TGameRecord Game(const QString& song, int hit, int balls, const QString& name = {}, int player = 1)
{
    TGameRecord r;
    r.Song = song;
    r.BallsHit = hit;
    r.Balls = balls;
    r.Name = name;
    r.Player = player;
    return r;
}

} // namespace

TEST(ResultsFigures, GradesStepAtWholePercentages)
{
    const std::vector<std::pair<int, QString>> grades = {{100, "S"}, {95, "S"}, {94, "A"}, {85, "A"}, {84, "B"},
                                                         {70, "B"}, {69, "C"}, {50, "C"}, {49, "D"}, {0, "D"}};
    for (const auto& [percent, grade] : grades)
        EXPECT_EQ(Grade(percent / 100.0), grade) << percent;
    EXPECT_EQ(Grade(189 / 200.0), "S") << "94.5 % shows as 95 %";
    EXPECT_TRUE(ResultsFigures(Game("a.mid", 0, 0), std::nullopt, {}).Grade.isEmpty()) << "no ball judged";
}

TEST(ResultsFigures, ComparesWithThePreviousGameAndPacesTheGrips)
{
    TGameRecord game = Game("a.mid", 15, 20, "Ann", 2);
    game.Grips = 90;
    game.Seconds = 120;
    game.PeakForce = 200;
    TResultsFigures first = ResultsFigures(game, std::nullopt, {0.75});
    EXPECT_EQ(first.Lane, 1);
    EXPECT_EQ(first.Player, "Ann");
    EXPECT_EQ(first.Grade, "B");
    EXPECT_EQ(first.GripsPerMinute, 45);
    EXPECT_TRUE(first.FirstGame);
    EXPECT_FALSE(first.HitRateChange || first.GripsPerMinuteChange || first.PeakChange);

    TGameRecord before = Game("a.mid", 10, 20);
    before.Grips = 100;
    before.Seconds = 100;
    before.PeakForce = 180;
    const TResultsFigures again = ResultsFigures(game, before, {});
    EXPECT_FALSE(again.FirstGame);
    EXPECT_EQ(again.HitRateChange, 25);
    EXPECT_EQ(again.GripsPerMinuteChange, -15);
    EXPECT_EQ(again.PeakChange, 20);
    before.Balls = 0;
    EXPECT_FALSE(ResultsFigures(game, before, {}).HitRateChange) << "no rate to compare with";
    EXPECT_EQ(ResultsFigures(game, before, {}).GripsPerMinuteChange, -15);
    game.Seconds = 0.5;
    EXPECT_FALSE(ResultsFigures(game, before, {}).GripsPerMinute) << "too short to pace";
    EXPECT_FALSE(ResultsFigures(game, before, {}).GripsPerMinuteChange);
}

TEST(ResultsFigures, LastTenAreThisPlayersGamesOfThisSongEndingWithThisOne)
{
    std::vector<TGameRecord> records;
    for (int i = 0; i < 12; ++i)
        records.push_back(Game("a.mid", i, 20, i % 2 ? "ann" : "Anna"));
    records.push_back(Game("b.mid", 1, 20, "Ann"));
    records.push_back(Game("a.mid", 2, 20, "Bob"));
    records.push_back(Game("a.mid", 3, 20));
    records.push_back(Game("a.mid", 4, 0, "Ann"));
    TGameRecord test = Game("a.mid", 5, 20, "Ann");
    test.Mode = "test";
    records.push_back(test);

    const std::vector<double> named = RecentHitRates(records, Game("a.mid", 20, 20, "Ann"), {"Anna", "Ann"});
    ASSERT_EQ(named.size(), 10u);
    EXPECT_DOUBLE_EQ(named.front(), 3 / 20.0) << "the oldest three drop out";
    EXPECT_DOUBLE_EQ(named[8], 11 / 20.0);
    EXPECT_DOUBLE_EQ(named.back(), 1.0);

    // Unnamed: the unnamed games of the same lane only.
    records.push_back(Game("a.mid", 6, 20, {}, 2));
    EXPECT_EQ(RecentHitRates(records, Game("a.mid", 8, 20), {}), (std::vector<double>{3 / 20.0, 8 / 20.0}));
    EXPECT_EQ(RecentHitRates(records, Game("a.mid", 0, 0), {}), (std::vector<double>{3 / 20.0}));
}
