#pragma once

#include "game/Extrinsic.h"
#include "game/Prizes.h"
#include "game/Rules.h"

#include <cstdint>
#include <vector>

class TBits;

// The main window's two lane options, read at each point where a lane or ball needs them.
// Both read false while there is no main window.
bool OnlyBlueChecked();
bool SmallShiftChecked();

// A player's lane: background, rule picture, judging mark and the balls of one layout.
class TPipeLine : public TBaseObject {
public:
    ~TPipeLine() override;

    // Replaces every ball with one per marked position but the highest, in a row whose
    // spacing follows the positions.
    virtual void LayOut(const TBits& bits);
    // Moves every ball by the change of the song position.
    void Advance(std::int32_t delta);
    // A new ball of kind 0..6 on layer Three.
    TPrize* MakeBall(int kind);

    TBackPipeLine* BackPipe = nullptr;
    // The balls of the last layout in layout order; an entry may be empty.
    std::vector<TPrize*> Balls;
    TRule* RuleImage = nullptr;
    TRuleMark* RuleMark = nullptr;

protected:
    TPipeLine();

    struct TLaneRows {
        double blueY, redY, yellowY;
    };
    virtual TLaneRows Rows() const = 0;

private:
    void DestroyBalls();
};

class TPipeLineOne : public TPipeLine {
public:
    TPipeLineOne();

protected:
    TLaneRows Rows() const override { return {122, 112, 128}; }
};

class TPipeLineTwo : public TPipeLine {
public:
    TPipeLineTwo();

protected:
    TLaneRows Rows() const override { return {292, 282, 298}; }
};
