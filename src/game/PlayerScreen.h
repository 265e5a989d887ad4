#pragma once

#include "game/Acrobatics.h"
#include "game/Displays.h"
#include "game/Extrinsic.h"
#include "game/PipeLine.h"
#include "game/Scenery.h"
#include "game/Scoring.h"
#include "game/StressValue.h"

// A player's gesture sprites, level meter and grip level.
class TToyArise : public TBaseObject {
public:
    TToyArise();
    ~TToyArise() override;

    // Player 0 or 1: the meter, the gesture places and the stress value; else nothing.
    void SetupForPlayer(int player);
    void ShowLevel(int level);
    // The gestures as they were made, before any level was shown.
    void ShowAsCreated();

    TGesture* Gesture = nullptr;
    TLiningGesture* LiningGesture = nullptr;
    TMeter* Meter = nullptr;
    TStressValue* StressValue = nullptr;
};

// One player's half of the picture: lane, figures, displays, level holder and frame sprites.
// The lane reads the options from the settings its screen was given.
class TPlayerScreen : public TBaseObject {
public:
    ~TPlayerScreen() override;

    void StartFigures() { Figures->Start(); }
    void StopFigures() { Figures->Stop(); }

    TAcrobatics* Figures = nullptr;
    TCombo* Combo = nullptr;
    TMarker* Marker = nullptr;
    TPercentag* Percentage = nullptr;
    TPipeLine* Lane = nullptr;
    TSunshadeLeft* SunshadeLeft = nullptr;
    TSunshadeRight* SunshadeRight = nullptr;
    TToyArise* LevelHolder = nullptr;
    // The player's results over the combo, percentage and marker above.
    TScoring* Scoring = nullptr;

protected:
    // The part both players share: level holder, combo, percentage and marker.
    TPlayerScreen();
    // Level holder, displays and sunshades set up for the player, after lane and figures.
    void Finish(int player);
};

class TPlayerOneScreen : public TPlayerScreen {
public:
    explicit TPlayerOneScreen(const TGameSettings& settings);
    ~TPlayerOneScreen() override;

    TQualifiedGoal* QualifiedGoal = nullptr;
    TSongName* SongName = nullptr;
};

class TPlayerTwoScreen : public TPlayerScreen {
public:
    explicit TPlayerTwoScreen(const TGameSettings& settings);
    ~TPlayerTwoScreen() override;

    // With a ball of player two's own, its score, hit rate and combo show in its half, under
    // a caption of their own, and its lamps stand beside its own meter (on); without one they
    // go back to how the screen was made (off).
    void ShowOwnResults(bool on);

    // Made the first time player two plays; none before.
    TQualifiedGoal* QualifiedGoal = nullptr;
};
