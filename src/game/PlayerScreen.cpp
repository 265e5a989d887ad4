#include "game/PlayerScreen.h"

TToyArise::TToyArise()
{
    Gesture = new TGesture(LayerEngine(SlotLayerFive));
    Gesture->Visible = false;
    LiningGesture = new TLiningGesture(LayerEngine(SlotLayerFour));
    LiningGesture->Visible = false;
}

TToyArise::~TToyArise()
{
    delete StressValue;
    delete Meter;
    delete LiningGesture;
    delete Gesture;
}

void TToyArise::SetupForPlayer(int player)
{
    if (player == 0) {
        Meter = new TMeter1P(LayerEngine(SlotLayerFour));
        LiningGesture->SetPosition(364, 94);
        Gesture->SetPosition(332, 69);
        StressValue = new TStressValueOne();
    } else if (player == 1) {
        Meter = new TMeter2P(LayerEngine(SlotLayerFour));
        LiningGesture->SetPosition(364, 94);
        Gesture->SetPosition(332, 239);
        StressValue = new TStressValueTwo();
    } else {
        return;
    }
    Gesture->Visible = true;
    LiningGesture->Visible = true;
}

void TToyArise::ShowLevel(int level)
{
    Gesture->ShowLevel(level);
    LiningGesture->ShowLevel(level);
}

void TToyArise::ShowAsCreated()
{
    Gesture->SetImage(SlotImgGesture, "idle");
    Gesture->FramePos = 0;
    LiningGesture->SetImage(SlotImgFixed, "gesture");
    LiningGesture->FrameCount = 3;
    LiningGesture->SetColumn(0);
}

TPlayerScreen::TPlayerScreen()
{
    LevelHolder = new TToyArise();
    Combo = new TCombo();
    Percentage = new TPercentag();
    Marker = new TMarker();
}

TPlayerScreen::~TPlayerScreen()
{
    delete Scoring;
    delete SunshadeRight;
    delete SunshadeLeft;
    delete Figures;
    delete Lane;
    delete Marker;
    delete Percentage;
    delete Combo;
    delete LevelHolder;
}

void TPlayerScreen::Finish(int player)
{
    LevelHolder->SetupForPlayer(player);
    Combo->PlaceFor(player);
    Percentage->PlaceFor(player);
    Marker->PlaceFor(player);
    Scoring = new TScoring(player, *Marker, *Combo, *Percentage);
    SunshadeLeft = new TSunshadeLeft(LayerEngine(SlotLayerSix));
    SunshadeRight = new TSunshadeRight(LayerEngine(SlotLayerSix));
}

TPlayerOneScreen::TPlayerOneScreen(const TGameSettings& settings)
{
    Lane = new TPipeLineOne(settings);
    Figures = new TAcrobaticsOne();
    Finish(0);
    SongName = new TSongName(LayerEngine(SlotLayerFive));
    QualifiedGoal = new TQualifiedGoal(LayerEngine(SlotLayerFive));
}

TPlayerOneScreen::~TPlayerOneScreen()
{
    delete QualifiedGoal;
    delete SongName;
}

TPlayerTwoScreen::TPlayerTwoScreen(const TGameSettings& settings)
{
    Lane = new TPipeLineTwo(settings);
    Figures = new TAcrobaticsTwo();
    Finish(1);
}

TPlayerTwoScreen::~TPlayerTwoScreen() { delete QualifiedGoal; }

void TPlayerTwoScreen::ShowOwnResults(bool on)
{
    if (on && !QualifiedGoal) {
        QualifiedGoal = new TQualifiedGoal(LayerEngine(SlotLayerFive));
        QualifiedGoal->SetPosition(320, 180);
    }
    if (QualifiedGoal)
        QualifiedGoal->Visible = on;
    Marker->ShowForPlayerTwo(on);
    Percentage->ShowForPlayerTwo(on);
    Combo->ShowForPlayerTwo(on);
    // Made at player one's lamps; beside its own meter they show its own grip.
    LevelHolder->LiningGesture->SetPosition(364, on ? 267 : 94);
}
