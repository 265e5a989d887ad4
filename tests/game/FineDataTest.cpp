#include "game/Metronome.h"

#include <gtest/gtest.h>

#include <algorithm>

namespace {

// The beat map the game ships: loaded by the game's own loader from beside the executables.
TEST(FineDataTest, GivesAPlayableMapOfBalls)
{
    TMetronome metronome(GRIP_BIN_DIR);
    ASSERT_NO_THROW(metronome.LoadBeatMap("Fine.txt"));
    const TBits& marks = metronome.Marks();
    const std::vector<std::int32_t> set(marks.SetBits().begin(), marks.SetBits().end());

    // The highest mark only closes the map; all others become balls.
    ASSERT_GE(set.size(), 2u);
    const std::size_t balls = set.size() - 1;
    EXPECT_GE(balls, 150u);
    EXPECT_LE(balls, 400u);
    EXPECT_EQ(set.size(), metronome.Lines().size()) << "one line per mark, no duplicates";

    // A ball starts 500 positions before the rule mark; a lower mark would never reach it.
    EXPECT_GE(set.front(), 500);
    for (std::size_t i = 1; i < set.size(); ++i)
        EXPECT_GE(set[i] - set[i - 1], 50) << "marks " << set[i - 1] << " and " << set[i]
                                           << " leave less than half a beat to grip and let go";
}

TEST(FineDataTest, LastLineHoldsTheHighestBar)
{
    TMetronome metronome(GRIP_BIN_DIR);
    metronome.LoadBeatMap("Fine.txt");
    std::int32_t highest = INT32_MIN;
    for (const std::string& line : metronome.Lines())
        highest = std::max(highest, ParseBeatLine(line).bar);
    const TBeatLine last = ParseBeatLine(metronome.Lines().back());
    EXPECT_EQ(last.bar, highest);
    EXPECT_EQ(metronome.Marks().Size(), (last.bar + 1) * 400) << "no line spilled past the size";
    EXPECT_EQ(*metronome.Marks().SetBits().rbegin(), (last.bar * 4 + last.beat) * 100 + last.tick / 25 * 25);
}

} // namespace
