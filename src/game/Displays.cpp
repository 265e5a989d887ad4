#include "game/Displays.h"

#include <algorithm>
#include <cmath>

namespace {

// Player two's half lies this far below player one's (the rule marks stand at y 117 and 290).
constexpr int kPlayerTwoDown = 290 - 117;

template <typename T>
T* Hidden(T* sprite)
{
    sprite->Visible = false;
    return sprite;
}

} // namespace

TScoreNum::TScoreNum(TSprite* parent) : TInactive(parent)
{
    SetImage(SlotImgContext, "score");
    FrameCount = 10;
}

TComboNum::TComboNum(TSprite* parent) : TInactive(parent)
{
    SetImage(SlotImgContext, "score");
    FrameCount = 10;
}

void TComboNum::SetDigit(std::int32_t digit)
{
    Value = digit;
    FramePos = digit;
}

TPercentNum::TPercentNum(TSprite* parent) : TActive(parent)
{
    SetImage(SlotImgContext, "qualified1");
    FrameCount = 10;
}

void TPercentNum::SetDigit(std::int32_t digit)
{
    Value = digit;
    FramePos = digit;
}

TComboImg::TComboImg(TSprite* parent) : TInactive(parent) { SetImage(SlotImgContext, "combo"); }

TPercentSign::TPercentSign(TSprite* parent) : TInactive(parent) { SetImage(SlotImgContext, "percentsign"); }

TQualifiedGoal::TQualifiedGoal(TSprite* parent) : TInactive(parent)
{
    SetImage(SlotImgContext, "qualifiedrate");
    SetPosition(320, 7);
}

TStepMark::TStepMark(TSprite* parent, int index) : TInactive(parent)
{
    SetImage(SlotImgFixed, "stratum");
    FramePos = index;
}

TMeter1P::TMeter1P(TSprite* parent) : TMeter(parent)
{
    SetImage(SlotImgFixed, "meter1p");
    SetPosition(340, 83);
}

TMeter2P::TMeter2P(TSprite* parent) : TMeter(parent)
{
    SetImage(SlotImgFixed, "meter2p");
    SetPosition(341, 255);
}

TMarker::TMarker()
{
    for (auto& digit : Digits)
        digit = Hidden(new TScoreNum(LayerEngine(SlotLayerThree)));
}

TMarker::~TMarker()
{
    for (TScoreNum* digit : Digits)
        delete digit;
}

void TMarker::PlaceFor(int player)
{
    if (player != 0)
        return;
    for (int i = 0; i < 6; ++i) {
        Digits[static_cast<size_t>(i)]->SetPosition(290 - 10 * i, 7);
        Digits[static_cast<size_t>(i)]->Visible = true;
    }
}

void TMarker::ShowForPlayerTwo(bool on)
{
    for (int i = 0; i < 6; ++i) {
        Digits[static_cast<size_t>(i)]->SetPosition(290 - 10 * i, kPlayerTwoDown + 7);
        Digits[static_cast<size_t>(i)]->Visible = on;
    }
}

// The sixth digit is never written: it shows 0 whatever the score.
void TMarker::AddScore(std::int32_t points)
{
    Score += points;
    std::int32_t power = 1;
    for (int i = 0; i < 5; ++i) {
        Digits[static_cast<size_t>(i)]->FramePos = (Score / power) % 10;
        power *= 10;
    }
}

TComboValue::TComboValue()
{
    Tens = Hidden(new TComboNum(LayerEngine(SlotLayerSix)));
    Ones = Hidden(new TComboNum(LayerEngine(SlotLayerSix)));
}

TComboValue::~TComboValue()
{
    delete Ones;
    delete Tens;
}

void TComboValue::SetValue(std::int32_t n)
{
    if (n > 99 || n < 0)
        n = 0;
    Ones->SetDigit(n % 10);
    Tens->SetDigit((n - n % 10) / 10);
}

void TComboValue::SetVisible(bool on)
{
    Tens->Visible = on;
    Ones->Visible = on;
}

void TComboValue::PlaceAt(int x, int y)
{
    Tens->SetPosition(x, y);
    Ones->SetPosition(x + 10, y);
}

TCombo::TCombo()
{
    Title = Hidden(new TComboImg(LayerEngine(SlotLayerSix)));
    Value = new TComboValue();
    Value->SetVisible(false);
}

TCombo::~TCombo()
{
    delete Value;
    delete Title;
}

void TCombo::PlaceFor(int player)
{
    if (player != 0)
        return;
    Title->SetPosition(380, 120);
    Value->PlaceAt(390, 130);
}

void TCombo::ShowForPlayerTwo(bool on)
{
    Title->SetPosition(380, kPlayerTwoDown + 120);
    Value->PlaceAt(390, kPlayerTwoDown + 130);
    if (!on) {
        Title->Visible = false;
        Value->SetVisible(false);
    }
}

std::int32_t TCombo::Count() const
{
    return static_cast<std::int32_t>(std::nearbyint(Value->Tens->FramePos * 10 + Value->Ones->FramePos));
}

void TCombo::Increment() { SetCount(Count() + 1); }

void TCombo::SetCount(std::int32_t n)
{
    Value->SetValue(n);
    Title->Visible = false;
    Value->SetVisible(false);
    if (n > 0) {
        Title->Visible = true;
        Value->SetVisible(true);
    }
}

// The digits keep their visibility, so after a broken combo they stay up showing 0 0.
void TCombo::Reset()
{
    Value->SetValue(0);
    Title->Visible = false;
}

TPercentag::TPercentag()
{
    Tens = Hidden(new TPercentNum(LayerEngine(SlotLayerThree)));
    Ones = Hidden(new TPercentNum(LayerEngine(SlotLayerThree)));
    Sign = Hidden(new TPercentSign(LayerEngine(SlotLayerThree)));
}

TPercentag::~TPercentag()
{
    delete Sign;
    delete Ones;
    delete Tens;
}

void TPercentag::PlaceFor(int player)
{
    if (player != 0)
        return;
    Tens->SetPosition(305, 30);
    Ones->SetPosition(340, 30);
    Sign->SetPosition(370, 30);
    Tens->Visible = true;
    Ones->Visible = true;
    Sign->Visible = true;
}

void TPercentag::ShowForPlayerTwo(bool on)
{
    Tens->SetPosition(305, kPlayerTwoDown + 30);
    Ones->SetPosition(340, kPlayerTwoDown + 30);
    Sign->SetPosition(370, kPlayerTwoDown + 30);
    Tens->Visible = on;
    Ones->Visible = on;
    Sign->Visible = on;
}

void TPercentag::SetPercent(std::int32_t p)
{
    Ones->SetDigit(p % 10);
    Tens->SetDigit(std::clamp((p - p % 10) / 10, 0, 9));
}
