#include "training/GameStats.h"
#include "training/Results.h"

#include <gtest/gtest.h>

TEST(GameStats, TimingIsTheMeanAndSpreadOfTheHitsOffsetsAndShowsInTheResults)
{
    TGameStats stats;
    EXPECT_FALSE(stats.TimingMeanMs());
    EXPECT_FALSE(stats.TimingSpreadMs());
    for (double ms : {-30.0, -10.0, -20.0, 0.0})
        stats.Timed(ms);
    EXPECT_DOUBLE_EQ(*stats.TimingMeanMs(), -15.0);
    EXPECT_NEAR(*stats.TimingSpreadMs(), 11.18, 0.01);

    TGameRecord game;
    EXPECT_FALSE(ResultsText(game, std::nullopt).contains("Timing")) << "nothing without precise timing";
    game.TimingMeanMs = stats.TimingMeanMs();
    game.TimingSpreadMs = stats.TimingSpreadMs();
    EXPECT_TRUE(ResultsText(game, std::nullopt).contains("\nTiming: mean -15 ms (early), spread 11 ms\n"));
    game.TimingMeanMs = 8.4;
    EXPECT_TRUE(ResultsText(game, std::nullopt).contains("Timing: mean +8 ms (late)"));
}
