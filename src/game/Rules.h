#pragma once

#include "game/Extrinsic.h"

class TScoring;
class TStressValue;

class TRule : public TInactive {
public:
    using TInactive::TInactive;
};

// The judging mark of a lane. Every frame moves it with a count of 0, and its move runs the
// collision query against the balls of its layer.
class TRuleMark : public TRule {
public:
    explicit TRuleMark(TSprite* parent);

    // Across the surface, both lanes' marks stand at the same place.
    static constexpr int MarkX = 275;

    // Player 0 or 1 gets its lane's place; any other value keeps the place. Shows the mark.
    void PlaceFor(int player);
    // The results the mark credits and the grip it judges against; neither is owned. Until
    // they are set the mark still judges, against level 0, and credits nobody.
    void SetJudging(TScoring* scoring, const TStressValue* level);
    TScoring* Scoring() const { return scoring_; }
    const TStressValue* Grip() const { return level_; }
    // The colour balls are judged at the moment of the grip instead: the frames leave them be.
    bool LeaveColours = false;

    void MoveSelf(int moveCount) override;
    // Judges a visible ball within 10 pixels of the mark against the grip level it was given.
    void HandleCollision(TSprite* other, bool& done) override;

private:
    TScoring* scoring_ = nullptr;
    const TStressValue* level_ = nullptr;
};

class TRule1P : public TRule {
public:
    explicit TRule1P(TSprite* parent);
};

class TRule2P : public TRule {
public:
    explicit TRule2P(TSprite* parent);
};

class TBackPipeLine : public TInactive {
public:
    using TInactive::TInactive;
};

class TBackPipeLineOne : public TBackPipeLine {
public:
    explicit TBackPipeLineOne(TSprite* parent);
};

class TBackPipeLineTwo : public TBackPipeLine {
public:
    explicit TBackPipeLineTwo(TSprite* parent);
};
