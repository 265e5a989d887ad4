#include "game/Displays.h"
#include "sprites/SpriteStage.h"

#include <gtest/gtest.h>

#include <vector>

namespace {

// Digits of the marker from the right, as drawn.
std::vector<int> ScoreDigits(const TMarker& m)
{
    std::vector<int> digits;
    for (const TScoreNum* d : m.Digits)
        digits.push_back(d->CurrentPattern());
    return digits;
}

struct Shown {
    bool title, tens, ones;
    int tensDigit, onesDigit;
    bool operator==(const Shown&) const = default;
};

Shown ComboShown(const TCombo& c)
{
    return {c.Title->Visible, c.Value->Tens->Visible, c.Value->Ones->Visible, c.Value->Tens->CurrentPattern(),
            c.Value->Ones->CurrentPattern()};
}

} // namespace

TEST(Marker, ShowsTheScoreInFiveDigitsAndASixthStuckAtZero)
{
    stage::TStage stage;
    TMarker marker;
    for (const TScoreNum* d : marker.Digits) {
        EXPECT_FALSE(d->Visible);
        EXPECT_EQ(d->Engine(), stage.Layer(SlotLayerThree));
    }
    marker.PlaceFor(1);
    EXPECT_FALSE(marker.Digits[0]->Visible) << "player two's marker stays hidden";
    marker.PlaceFor(0);
    for (int i = 0; i < 6; ++i) {
        EXPECT_TRUE(marker.Digits[size_t(i)]->Visible);
        EXPECT_DOUBLE_EQ(marker.Digits[size_t(i)]->X, 290 - 10 * i);
        EXPECT_DOUBLE_EQ(marker.Digits[size_t(i)]->Y, 7);
    }
    for (int hit = 0; hit < 3; ++hit) {
        marker.AddScore(50);
        marker.AddHit();
    }
    EXPECT_EQ(marker.Score, 150);
    EXPECT_EQ(marker.Hits, 3);
    EXPECT_EQ(ScoreDigits(marker), (std::vector<int>{0, 5, 1, 0, 0, 0}));

    marker.AddScore(123456 - 150);
    EXPECT_EQ(ScoreDigits(marker), (std::vector<int>{6, 5, 4, 3, 2, 0}));

    // The digits survive the frame's move of layer Three unchanged, and draw their patterns.
    stage.Surface().Fill(0);
    MoveAndDrawSpriteLayers();
    EXPECT_EQ(ScoreDigits(marker), (std::vector<int>{6, 5, 4, 3, 2, 0}));
    EXPECT_EQ(stage.Surface().Pixel(291, 8), stage.Pixel(SlotImgContext, "score", 6));
    EXPECT_EQ(stage.Surface().Pixel(241, 8), stage.Pixel(SlotImgContext, "score", 0));
}

TEST(Combo, HiddenUntilTheFirstHitAndWrapsAfterNinetyNine)
{
    stage::TStage stage;
    TCombo combo;
    combo.PlaceFor(0);
    EXPECT_EQ(ComboShown(combo), (Shown{false, false, false, 0, 0})) << "placing shows nothing";
    EXPECT_DOUBLE_EQ(combo.Title->X, 380);
    EXPECT_DOUBLE_EQ(combo.Value->Tens->X, 390);
    EXPECT_DOUBLE_EQ(combo.Value->Ones->X, 400);
    EXPECT_DOUBLE_EQ(combo.Value->Ones->Y, 130);
    EXPECT_EQ(combo.Title->Engine(), stage.Layer(SlotLayerSix));

    combo.Increment();
    EXPECT_EQ(ComboShown(combo), (Shown{true, true, true, 0, 1}));
    combo.SetCount(99);
    EXPECT_EQ(combo.Count(), 99);
    combo.Increment();
    EXPECT_EQ(ComboShown(combo), (Shown{true, true, true, 0, 0}));
    EXPECT_EQ(combo.Value->Tens->Value, 0);
    combo.Increment();
    EXPECT_EQ(ComboShown(combo), (Shown{true, true, true, 0, 1}));
}

TEST(Combo, AMissHidesTheCaptionButLeavesZerosShowing)
{
    stage::TStage stage;
    TCombo combo;
    combo.PlaceFor(0);
    for (int i = 0; i < 5; ++i)
        combo.Increment();
    EXPECT_EQ(combo.Count(), 5);
    combo.Reset();
    EXPECT_EQ(ComboShown(combo), (Shown{false, true, true, 0, 0}));
    EXPECT_EQ(combo.Count(), 0);
    combo.SetCount(-4);
    EXPECT_EQ(ComboShown(combo), (Shown{false, false, false, 0, 0}));
    combo.SetCount(42);
    EXPECT_EQ(ComboShown(combo), (Shown{true, true, true, 4, 2}));
}

TEST(Percentage, ShowsUnitsAndTensWithTheTensCappedAtNine)
{
    stage::TStage stage;
    TPercentag percent;
    EXPECT_FALSE(percent.Sign->Visible);
    percent.PlaceFor(1);
    EXPECT_FALSE(percent.Tens->Visible);
    percent.PlaceFor(0);
    EXPECT_TRUE(percent.Tens->Visible && percent.Ones->Visible && percent.Sign->Visible);
    EXPECT_DOUBLE_EQ(percent.Tens->X, 305);
    EXPECT_DOUBLE_EQ(percent.Ones->X, 340);
    EXPECT_DOUBLE_EQ(percent.Sign->X, 370);
    EXPECT_DOUBLE_EQ(percent.Sign->Y, 30);
    EXPECT_FALSE(percent.Tens->Timer().isActive());

    struct Case {
        int p, tens, ones;
    };
    for (const Case c : {Case{7, 0, 7}, Case{100, 9, 0}, Case{250, 9, 0}, Case{75, 7, 5}, Case{0, 0, 0}}) {
        percent.SetPercent(c.p);
        EXPECT_EQ(percent.Tens->CurrentPattern(), c.tens) << c.p;
        EXPECT_EQ(percent.Ones->CurrentPattern(), c.ones) << c.p;
        EXPECT_EQ(percent.Tens->Value, c.tens) << c.p;
        EXPECT_EQ(percent.Ones->Value, c.ones) << c.p;
    }
}

TEST(StepMark, ShowsThePatternOfItsIndex)
{
    stage::TStage stage;
    std::vector<TStepMark*> marks;
    for (int i = 0; i < 6; ++i)
        marks.push_back(new TStepMark(stage.Layer(SlotLayerFive), i));
    for (int i = 0; i < 6; ++i) {
        marks[size_t(i)]->SetPosition(10, 20 * i);
    }
    stage.Surface().Fill(0);
    MoveAndDrawSpriteLayers();
    for (int i = 0; i < 6; ++i)
        EXPECT_EQ(stage.Surface().Pixel(11, 20 * i + 1), stage.Pixel(SlotImgFixed, "stratum", i)) << i;
}
