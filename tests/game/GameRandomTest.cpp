#include "game/GameRandom.h"

#include <gtest/gtest.h>

#include <vector>

namespace {

// The lanes' kind roll, written out here to check the generator against known sequences.
std::uint32_t KindRoll(TGameRandom& g)
{
    std::uint32_t r = g.Draw(6);
    if (r > 0) {
        r = g.Draw(6);
        if (r == 1)
            r = g.Draw(6);
    }
    if (r > 1) {
        r = g.Draw(6);
        if (r == 2)
            r = g.Draw(6);
    }
    if (r > 2) {
        r = g.Draw(6);
        if (r == 3)
            r = g.Draw(6);
    }
    return r;
}

} // namespace

TEST(GameRandom, StepsTheStateAndTakesTheHighWordOfTheProduct)
{
    TGameRandom g;
    EXPECT_EQ(g.State(), 0u);
    EXPECT_EQ(g.Draw(6), 0u);
    EXPECT_EQ(g.State(), 1u);
    EXPECT_EQ(g.Draw(1000), 31u); // 134775814 * 1000 >> 32
    EXPECT_EQ(g.State(), 134775814u);
    g.SetState(0xFFFFFFFFu);
    // (0xFFFFFFFF * 134775813 + 1) mod 2^32 wraps; the result stays below the range.
    const std::uint32_t expected = static_cast<std::uint32_t>(0xFFFFFFFFu * 134775813u + 1u);
    const std::uint32_t r = g.Draw(7);
    EXPECT_EQ(g.State(), expected);
    EXPECT_EQ(r, static_cast<std::uint32_t>((std::uint64_t(expected) * 7) >> 32));
    EXPECT_LT(r, 7u);
}

TEST(GameRandom, StartUpSequenceIsTheKnownOne)
{
    TGameRandom g;
    // The two figure sets' toy draws.
    std::vector<std::uint32_t> paces;
    for (std::uint32_t range : {5u, 4u, 3u, 5u, 4u, 3u})
        paces.push_back(g.Draw(range));
    EXPECT_EQ(paces, (std::vector<std::uint32_t>{0, 0, 2, 1, 1, 2}));
    std::vector<std::uint32_t> kinds;
    for (int i = 0; i < 12; ++i)
        kinds.push_back(KindRoll(g));
    EXPECT_EQ(kinds, (std::vector<std::uint32_t>{0, 0, 0, 0, 1, 1, 0, 1, 0, 2, 0, 0}));
}

TEST(GameRandom, TheProgramWideGeneratorIsOneInstance)
{
    TGameRandom& a = GameRandom();
    const std::uint32_t before = a.State();
    GameRandom().Draw(3);
    EXPECT_NE(a.State(), before);
    EXPECT_EQ(&a, &GameRandom());
}
