#include "GameFixture.h"

#include "game/PipeLine.h"
#include "game/Bits.h"
#include "game/GameRandom.h"
#include "game/Metronome.h"

#include <algorithm>
#include <string>
#include <vector>

namespace {

class TPipeLineTest : public TGameFixture {};

TBits Marks(std::initializer_list<int> indices)
{
    TBits bits;
    for (int i : indices)
        bits.SetBit(i, true);
    return bits;
}

std::string Kind(const TPrize* ball)
{
    if (dynamic_cast<const TBlueBall*>(ball))
        return "blue";
    if (dynamic_cast<const TYellowBall*>(ball))
        return "yellow";
    if (dynamic_cast<const TRedBall*>(ball))
        return "red";
    if (dynamic_cast<const TChainBall*>(ball))
        return "chain";
    if (dynamic_cast<const TFeces*>(ball))
        return "stool";
    return "?";
}

TBits ManyMarks(int n)
{
    TBits bits;
    for (int i = 0; i < n; ++i)
        bits.SetBit(i * 10, true);
    return bits;
}

} // namespace

TEST_F(TPipeLineTest, LaneBuildsMarkRuleAndHiddenBackgroundInPlace)
{
    TPipeLineOne one{Settings};
    TPipeLineTwo two{Settings};
    EXPECT_TRUE(one.RuleMark->Visible);
    EXPECT_EQ(one.RuleMark->X, 275);
    EXPECT_EQ(one.RuleMark->Y, 117);
    EXPECT_EQ(two.RuleMark->Y, 290);
    EXPECT_NE(dynamic_cast<TRule1P*>(one.RuleImage), nullptr);
    EXPECT_NE(dynamic_cast<TRule2P*>(two.RuleImage), nullptr);
    EXPECT_FALSE(one.BackPipe->Visible);
    EXPECT_EQ(one.BackPipe->Y, 112);
    EXPECT_EQ(two.BackPipe->Y, 212);
    EXPECT_EQ(one.BackPipe->Engine(), Stage.Layer(SlotLayerTwo));
    EXPECT_EQ(one.RuleMark->Engine(), Stage.Layer(SlotLayerThree));
}

TEST_F(TPipeLineTest, SpacingFollowsPositionsAndTheHighestMarkGetsNoBall)
{
    TPipeLineOne lane{Settings};
    lane.LayOut(Marks({100, 125, 900}));
    ASSERT_EQ(lane.Balls.size(), 2u);
    EXPECT_DOUBLE_EQ(lane.Balls[0]->X, 675);
    EXPECT_DOUBLE_EQ(lane.Balls[1]->X, 650);
    EXPECT_EQ(lane.Balls[0]->Ordinal, 1);
    EXPECT_EQ(lane.Balls[1]->Ordinal, 2);
    EXPECT_FALSE(lane.Balls[0]->Timer().isActive());

    SetSmallShift(true);
    lane.LayOut(Marks({100, 125, 900}));
    ASSERT_EQ(lane.Balls.size(), 2u);
    EXPECT_DOUBLE_EQ(lane.Balls[0]->X, 725);
    EXPECT_DOUBLE_EQ(lane.Balls[1]->X, 712.5);
}

TEST_F(TPipeLineTest, TheBallsCountedWithoutALaneAreTheBallsItLaysOut)
{
    TPipeLineOne lane{Settings};
    TBits sized = Marks({100, 125, 900});
    sized.SetSize(2000);
    for (const TBits& bits : {Marks({100, 125, 900}), sized, Marks({0}), TBits(), ManyMarks(300)}) {
        lane.LayOut(bits);
        EXPECT_EQ(LaidOutBalls(bits), std::count_if(lane.Balls.begin(), lane.Balls.end(), [](auto* b) { return b; }));
    }
}

TEST_F(TPipeLineTest, BallAtFiveHundredStartsOnTheMark)
{
    TPipeLineOne lane{Settings};
    lane.LayOut(Marks({500, 800}));
    ASSERT_EQ(lane.Balls.size(), 1u);
    EXPECT_DOUBLE_EQ(lane.Balls[0]->X, 275);
    EXPECT_EQ(lane.Balls[0]->Ordinal, 1);
}

TEST_F(TPipeLineTest, FirstLayoutAfterStartUpDrawsTheKnownKinds)
{
    for (std::uint32_t range : {5u, 4u, 3u, 5u, 4u, 3u})
        GameRandom().Draw(range);
    TPipeLineOne lane{Settings};
    lane.LayOut(ManyMarks(13));
    std::vector<std::string> kinds;
    for (TPrize* ball : lane.Balls)
        kinds.push_back(Kind(ball));
    EXPECT_EQ(kinds, (std::vector<std::string>{"blue", "blue", "blue", "blue", "red", "red", "blue", "red", "blue",
                                               "yellow", "blue", "blue"}));
    EXPECT_EQ(lane.Balls[0]->Y, 122);
    EXPECT_EQ(lane.Balls[4]->Y, 112);
    EXPECT_EQ(lane.Balls[9]->Y, 128);
    for (TPrize* ball : lane.Balls)
        EXPECT_EQ(ball->Z(), 10);
}

TEST_F(TPipeLineTest, ChainBallsSitAtFixedOrdinalsUnlessOnlyBlue)
{
    TPipeLineTwo lane{Settings};
    lane.LayOut(ManyMarks(101));
    ASSERT_EQ(lane.Balls.size(), 100u);
    for (TPrize* ball : lane.Balls) {
        const bool chainSlot = ball->Ordinal == 24 || ball->Ordinal == 30 || ball->Ordinal == 36 ||
                               ball->Ordinal == 52 || ball->Ordinal == 73;
        EXPECT_EQ(Kind(ball) == "chain", chainSlot) << ball->Ordinal;
        if (chainSlot) {
            EXPECT_EQ(ball->Y, 292);
        }
    }

    SetOnlyBlue(true);
    lane.LayOut(ManyMarks(101));
    int stools = 0;
    for (TPrize* ball : lane.Balls) {
        const std::string kind = Kind(ball);
        EXPECT_TRUE(kind == "blue" || kind == "stool") << kind;
        stools += kind == "stool";
        EXPECT_EQ(ball->Y, 292);
    }
    EXPECT_GT(stools, 0);
}

TEST_F(TPipeLineTest, KindsGivenByTheMapReplaceTheRollAndTheChainSlotsButTheRollIsStillDrawn)
{
    // 101 positions a beat apart; the line of position 23 (a chain slot) asks for red, a second
    // line on the same quarter beat asks for yellow and loses; "7" is no kind.
    std::string text;
    for (int i = 0; i < 101; ++i)
        text += std::to_string(i / 4) + ":" + std::to_string(i % 4) + ":0" +
                (i == 5 ? ":stool" : i == 23 ? ":red\n5:3:10:yellow" : i == 30 ? ":chain" : i == 40 ? ":7" : "") +
                "\n";
    TMetronome map("/nowhere/");
    map.LoadBeatMapText(text);
    EXPECT_EQ(map.Kinds(), (TBallKinds{{500, kStoolKind}, {2300, kRedKind}, {3000, kChainKind}}));

    const std::uint32_t start = GameRandom().State();
    const auto rolled = PlanLayout(map.Marks(), LaneOneRows, false, false);
    const std::uint32_t afterRoll = GameRandom().State();
    GameRandom().SetState(start);
    const auto given = PlanLayout(map.Marks(), LaneOneRows, false, false, map.Kinds());
    EXPECT_EQ(GameRandom().State(), afterRoll);
    ASSERT_EQ(given.size(), 100u);
    for (std::size_t j = 0; j < given.size(); ++j) {
        const int expected = j == 5 ? kStoolKind : j == 23 ? kRedKind : j == 30 ? kChainKind
                             : rolled[j].Kind == kChainKind ? -1 : rolled[j].Kind;
        // The fixed chain slots fall back to their roll, which is never a chain.
        if (expected < 0)
            EXPECT_NE(given[j].Kind, kChainKind) << j;
        else
            EXPECT_EQ(given[j].Kind, expected) << j;
    }
    EXPECT_EQ(given[23].Y, LaneOneRows.redY);

    GameRandom().SetState(start);
    const auto blue = PlanLayout(map.Marks(), LaneOneRows, true, false, map.Kinds());
    EXPECT_EQ(blue[23].Kind, kBlueKind);
    EXPECT_EQ(blue[30].Kind, kBlueKind);
    EXPECT_EQ(blue[5].Kind, kStoolKind);
    EXPECT_EQ(blue[23].Y, LaneOneRows.blueY);
}

TEST_F(TPipeLineTest, LayOutReplacesTheBallsOfTheLastLayout)
{
    TPipeLineOne lane{Settings};
    const int before = Stage.Layer(SlotLayerThree)->Count();
    lane.LayOut(ManyMarks(11));
    EXPECT_EQ(Stage.Layer(SlotLayerThree)->Count(), before + 10);
    lane.LayOut(ManyMarks(4));
    EXPECT_EQ(Stage.Layer(SlotLayerThree)->Count(), before + 3);
}

TEST_F(TPipeLineTest, AdvanceMovesEveryBallAndHalvesWithSmallShift)
{
    TPipeLineOne lane{Settings};
    lane.LayOut(Marks({100, 200, 300}));
    lane.Advance(-30);
    EXPECT_DOUBLE_EQ(lane.Balls[0]->X, 645);
    EXPECT_DOUBLE_EQ(lane.Balls[1]->X, 545);
    SetSmallShift(true);
    lane.Advance(-30);
    EXPECT_DOUBLE_EQ(lane.Balls[0]->X, 630);
    // The spacing laid out stays; only the speed changes.
    EXPECT_DOUBLE_EQ(lane.Balls[0]->X - lane.Balls[1]->X, 100);
}

TEST_F(TPipeLineTest, HitBallFadesOutWhileMissedBallTravelsOn)
{
    TPipeLineOne lane{Settings};
    lane.LayOut(Marks({10, 20, 30}));
    TPrize* hit = lane.Balls[0];
    TPrize* missed = lane.Balls[1];
    hit->MarkJudged();
    hit->StartFade();
    missed->MarkJudged();
    for (int i = 0; i < 5; ++i)
        lane.Advance(1);
    EXPECT_TRUE(hit->Visible);
    lane.Advance(1);
    EXPECT_FALSE(hit->Visible);
    EXPECT_DOUBLE_EQ(hit->X, 765 + 6);  // hidden balls move on too
    for (int i = 0; i < 100; ++i)
        lane.Advance(10);
    EXPECT_TRUE(missed->Visible);
    EXPECT_GT(missed->X, 457);
}

TEST_F(TPipeLineTest, FadingAloneHidesOnTheEleventhAdvance)
{
    TPipeLineOne lane{Settings};
    lane.LayOut(Marks({10, 20}));
    lane.Balls[0]->StartFade();
    for (int i = 0; i < 10; ++i)
        lane.Advance(0);
    EXPECT_TRUE(lane.Balls[0]->Visible);
    lane.Advance(0);
    EXPECT_FALSE(lane.Balls[0]->Visible);
}

TEST_F(TPipeLineTest, MissingBallImageAbortsTheLayout)
{
    std::vector<stage::TTestImage> images;
    for (const auto& image : stage::GameImages())
        if (image.Name != "red")
            images.push_back(image);
    stage::TStage bare(images);
    TPipeLineOne lane{Settings};
    for (std::uint32_t range : {5u, 4u, 3u, 5u, 4u, 3u})
        GameRandom().Draw(range);
    EXPECT_THROW(lane.LayOut(ManyMarks(13)), Exception);
}
