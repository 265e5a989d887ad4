#pragma once

#include "game/BallKind.h"
#include "game/Extrinsic.h"
#include "game/GameSettings.h"
#include "game/Prizes.h"
#include "game/Rules.h"

#include <cstdint>
#include <vector>

class TBits;

// The rows of a lane's balls: blue (and every other kind), red and yellow.
struct TLaneRows {
    double blueY, redY, yellowY;
};
inline constexpr TLaneRows LaneOneRows{122, 112, 128};
inline constexpr TLaneRows LaneTwoRows{292, 282, 298};

// One ball of a layout: kind 0..6 as MakeBall takes it, position and ordinal from 1.
struct TBallPlacement {
    int Kind;
    double X, Y;
    std::int32_t Ordinal;
};

// A lane's layout without its sprites: one ball per marked position but the highest, spaced by
// the positions, each kind drawn from the game random generator. LayOut places exactly these.
// When the map gives kinds, a ball at a position it names takes that kind instead of the roll
// (the roll is still drawn), and no position is a chain ball by its place alone.
std::vector<TBallPlacement> PlanLayout(const TBits& bits, const TLaneRows& rows, bool onlyBlue, bool smallShift,
                                       const TBallKinds& kinds = {});
// How many balls PlanLayout places, whatever the options, without drawing from the generator
// (so any thread may count them).
std::int32_t LaidOutBalls(const TBits& bits);

// A player's lane: background, rule picture, judging mark and the balls of one layout. "Only
// Blue" and "Small shift" are read from the game's settings at each layout and each advance.
class TPipeLine : public TBaseObject {
public:
    ~TPipeLine() override;

    // Replaces every ball with one per marked position but the highest, in a row whose
    // spacing follows the positions.
    virtual void LayOut(const TBits& bits, const TBallKinds& kinds = {});
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
    explicit TPipeLine(const TGameSettings& settings);

    virtual TLaneRows Rows() const = 0;

private:
    void DestroyBalls();

    const TGameSettings& settings_;
};

class TPipeLineOne : public TPipeLine {
public:
    explicit TPipeLineOne(const TGameSettings& settings);

protected:
    TLaneRows Rows() const override { return LaneOneRows; }
};

class TPipeLineTwo : public TPipeLine {
public:
    explicit TPipeLineTwo(const TGameSettings& settings);

protected:
    TLaneRows Rows() const override { return LaneTwoRows; }
};
