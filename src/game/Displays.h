#pragma once

#include "game/Extrinsic.h"

#include <array>
#include <cstdint>

// Digit sprites draw the pattern of their digit out of a ten-pattern image.

class TScoreNum : public TInactive {
public:
    explicit TScoreNum(TSprite* parent);
};

class TComboNum : public TInactive {
public:
    explicit TComboNum(TSprite* parent);
    void SetDigit(std::int32_t digit);
    std::int32_t Value = 0;
};

// Derived from the timed base although its timer never runs.
class TPercentNum : public TActive {
public:
    explicit TPercentNum(TSprite* parent);
    void SetDigit(std::int32_t digit);
    std::int32_t Value = 0;
};

class TComboImg : public TInactive {
public:
    explicit TComboImg(TSprite* parent);
};

class TPercentSign : public TInactive {
public:
    explicit TPercentSign(TSprite* parent);
};

class TQualifiedGoal : public TInactive {
public:
    explicit TQualifiedGoal(TSprite* parent);
};

// One of the six grip-level marks; mark i shows pattern i.
class TStepMark : public TInactive {
public:
    TStepMark(TSprite* parent, int index);
};

class TMeter : public TInactive {
public:
    using TInactive::TInactive;
};

class TMeter1P : public TMeter {
public:
    explicit TMeter1P(TSprite* parent);
};

class TMeter2P : public TMeter {
public:
    explicit TMeter2P(TSprite* parent);
};

// Score and hit count; six digits, index 0 the units.
class TMarker : public TBaseObject {
public:
    TMarker();
    ~TMarker() override;

    void PlaceFor(int player);
    // A second ball makes player two's results its own: the digits go to player two's half and
    // show (on), or hide again (off).
    void ShowForPlayerTwo(bool on);
    void AddScore(std::int32_t points);
    void AddHit() { ++Hits; }

    std::array<TScoreNum*, 6> Digits{};
    std::int32_t Hits = 0;
    std::int32_t Score = 0;
};

class TComboValue : public TBaseObject {
public:
    TComboValue();
    ~TComboValue() override;

    // Values above 99 or below 0 show as 0.
    void SetValue(std::int32_t n);
    void SetVisible(bool on);
    void PlaceAt(int x, int y);

    TComboNum* Tens = nullptr;
    TComboNum* Ones = nullptr;
};

// Consecutive hits. The count lives only in the digits shown.
class TCombo : public TBaseObject {
public:
    TCombo();
    ~TCombo() override;

    void PlaceFor(int player);
    // To player two's half; hidden until the first hit, as player one's is (on), or hidden (off).
    void ShowForPlayerTwo(bool on);
    void Reset();
    std::int32_t Count() const;
    void Increment();
    void SetCount(std::int32_t n);

    TComboImg* Title = nullptr;
    TComboValue* Value = nullptr;
};

class TPercentag : public TBaseObject {
public:
    TPercentag();
    ~TPercentag() override;

    void PlaceFor(int player);
    void ShowForPlayerTwo(bool on);
    // Shows the units and the tens, the tens limited to 9.
    void SetPercent(std::int32_t p);

    TPercentNum* Tens = nullptr;
    TPercentNum* Ones = nullptr;
    TPercentSign* Sign = nullptr;
};
