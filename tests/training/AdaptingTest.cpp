// The adapting rule: the order of its steps, where they stop, and the band's edges.
#include "training/Adapting.h"

#include <gtest/gtest.h>

// Every setting the rule passes through at one hit rate until it stops moving.
static std::vector<TAdaptSettings> Walk(TAdaptSettings from, int hitOf100, bool levelMoves, bool shareMoves)
{
    std::vector<TAdaptSettings> walk{from};
    for (TAdaptStep step; (step = TAdapting().Next(walk.back(), 100, hitOf100, levelMoves, shareMoves)).Next != walk.back();)
        walk.push_back(step.Next);
    return walk;
}

TEST(Adapting, HarderTakesSpeedThenLevelThenShareEasierTheOtherWayAndTheBandHoldsItsEdges)
{
    using L = EMapLevel;
    EXPECT_EQ(Walk({L::Easy, 75, 90}, 86, true, true),
              (std::vector<TAdaptSettings>{{L::Easy, 75, 90}, {L::Easy, 85, 90}, {L::Easy, 95, 90}, {L::Easy, 100, 90},
                                           {L::Normal, 100, 90}, {L::Hard, 100, 90}, {L::Hard, 100, 95}, {L::Hard, 100, 100}}));
    const std::vector<TAdaptSettings> down = Walk({L::Hard, 100, 100}, 69, true, true);
    ASSERT_EQ(down.size(), 1 + 18 + 2 + 7u);  // share 100 → 10, hard → easy, speed 100 → 30
    EXPECT_EQ(down[18], (TAdaptSettings{L::Hard, 100, 10}));
    EXPECT_EQ(down[20], (TAdaptSettings{L::Easy, 100, 10}));
    EXPECT_EQ(TAdapting().Next(down.back(), 100, 0, true, true).Reason, "no change, already as easy as it goes (hit rate 0 % below 70 %)");
    // A song's own map and a ball on the game's own scale: only the speed moves.
    EXPECT_EQ(Walk({L::Normal, 30, 70}, 100, false, false).back(), (TAdaptSettings{L::Normal, 100, 70}));
    EXPECT_EQ(TAdapting().Next({L::Normal, 80, 70}, 100, 91, true, true).Reason, "speed 80 % → 90 % (hit rate 91 % above 85 %)");
    for (auto [balls, hit, speed] : std::vector<std::array<int, 3>>{{100, 70, 60}, {100, 85, 60}, {100, 69, 50}, {100, 86, 70}, {0, 0, 60}, {6, 5, 60}})
        EXPECT_EQ(TAdapting().Next({L::Normal, 60, 70}, balls, hit, false, false).Next.Speed, speed) << hit << " of " << balls;
    EXPECT_EQ(TAdapting({50, 60}).Next({L::Normal, 60, 70}, 200, 99, false, false).Next.Speed, 60);  // 49.5 rounds to 50
}
