#include "sprites/PictureCollectionLayout.h"

#include <gtest/gtest.h>

#include <random>

namespace {

std::vector<int> Lefts(const TPatternLayout& layout)
{
    std::vector<int> lefts;
    for (const auto& p : layout.Patterns)
        lefts.push_back(layout.Blocks[size_t(p.Block)].Left + p.Rect.Left);
    return lefts;
}

} // namespace

TEST(PatternLayout, GridOfPatternsAndSkips)
{
    auto plain = TPatternLayout::Compute(60, 20, 20, 20, 0, 0, false);
    EXPECT_EQ(Lefts(plain), (std::vector<int>{0, 20, 40}));
    EXPECT_EQ(plain.Patterns[2].Rect, (TRect{40, 0, 60, 20}));

    auto skipped = TPatternLayout::Compute(60, 20, 16, 20, 4, 0, false);
    EXPECT_EQ(Lefts(skipped), (std::vector<int>{0, 20, 40}));
    EXPECT_EQ(skipped.Patterns[1].Rect.Width(), 16);

    // Rows come before columns: pattern k = row * columns + column.
    auto grid = TPatternLayout::Compute(30, 25, 10, 10, 0, 5, true);
    ASSERT_EQ(grid.Patterns.size(), 6u);
    EXPECT_EQ(grid.Patterns[4].Rect, (TRect{10, 15, 20, 25}));
}

TEST(PatternLayout, WholePictureOrNothing)
{
    auto whole = TPatternLayout::Compute(60, 20, 60, 20, 7, 9, false);
    ASSERT_EQ(whole.Patterns.size(), 1u);
    EXPECT_EQ(whole.Patterns[0].Rect, (TRect{0, 0, 60, 20}));
    EXPECT_TRUE(TPatternLayout::Compute(60, 20, 61, 20, 0, 0, false).Patterns.empty());
    EXPECT_TRUE(TPatternLayout::Compute(0, 0, 0, 0, 0, 0, false).Patterns.empty());
    // A step of zero or less has no patterns instead of dividing by zero.
    EXPECT_TRUE(TPatternLayout::Compute(60, 20, 10, 20, -10, 0, false).Patterns.empty());
    EXPECT_EQ(TPatternLayout::Count(60, 20, 10, 20, -10, 0, false), 0);
    EXPECT_EQ(TPatternLayout::Count(60, 20, 2147483647, 20, 2147483647, 0, false), 0);
}

TEST(PatternLayout, LongStripIsCutIntoBlocksOfWholeSteps)
{
    auto strip = TPatternLayout::Compute(2000, 40, 40, 40, 0, 0, false);
    ASSERT_EQ(strip.Blocks.size(), 4u);
    EXPECT_EQ(strip.Blocks[0], (TRect{0, 0, 520, 40}));
    EXPECT_EQ(strip.Blocks[3], (TRect{1560, 0, 2000, 40}));
    ASSERT_EQ(strip.Patterns.size(), 50u);
    EXPECT_EQ(strip.Patterns[13].Block, 1);
    EXPECT_EQ(strip.Patterns[13].Rect, (TRect{0, 0, 40, 40}));
    EXPECT_EQ(strip.Patterns[49].Block, 3);
    EXPECT_EQ(strip.Patterns[49].Rect, (TRect{400, 0, 440, 40}));

    auto column = TPatternLayout::Compute(40, 2000, 40, 40, 0, 0, false);
    EXPECT_EQ(column.Blocks.size(), 4u);
    EXPECT_EQ(column.Blocks[1], (TRect{0, 520, 40, 1040}));

    auto one = TPatternLayout::Compute(2000, 40, 40, 40, 0, 0, true);
    EXPECT_EQ(one.Blocks.size(), 1u);
    EXPECT_EQ(one.Patterns.size(), 50u);
}

TEST(PatternLayout, EveryPatternLiesInsideItsBlockAndTheCountAgrees)
{
    std::mt19937 random(7);
    auto pick = [&](int lo, int hi) { return std::uniform_int_distribution<int>(lo, hi)(random); };
    for (int round = 0; round < 2000; ++round) {
        const int W = pick(1, 1500), H = pick(1, 700);
        const int w = pick(1, 300), h = pick(1, 300), sw = pick(-20, 40), sh = pick(-20, 40);
        const bool system = pick(0, 1) == 1;
        const auto layout = TPatternLayout::Compute(W, H, w, h, sw, sh, system);
        ASSERT_EQ(int64_t(layout.Patterns.size()), TPatternLayout::Count(W, H, w, h, sw, sh, system));
        for (const auto& p : layout.Patterns) {
            const TRect& block = layout.Blocks[size_t(p.Block)];
            ASSERT_TRUE(p.Rect.Left >= 0 && p.Rect.Top >= 0 && p.Rect.Right <= block.Width() &&
                        p.Rect.Bottom <= block.Height())
                << W << "x" << H << " pattern " << w << "x" << h << " skip " << sw << "x" << sh;
            ASSERT_TRUE(block.Right <= W && block.Bottom <= H);
        }
    }
}
