#pragma once

// The test scene plus the main window (for its lane options and Edit1), a fresh game random
// generator, and player one's globals cleared afterwards.

#include "game/GameRandom.h"
#include "game/SoundEffect.h"
#include "shell/Globals.h"
#include "shell/ScreenForm.h"
#include "sprites/SpriteStage.h"

#include <gtest/gtest.h>

#include <memory>

class TGameFixture : public ::testing::Test {
protected:
    TGameFixture()
    {
        GameRandom().SetState(0);
        SetHitSound([this] { ++HitSounds; });
    }

    ~TGameFixture() override
    {
        SetHitSound(nullptr);
        PlayerOneStressValue = nullptr;
        PlayerTwoStressValue = nullptr;
        PlayerOneMarker = nullptr;
        PlayerOneCombo = nullptr;
        PlayerOnePercentage = nullptr;
        SharedExplode = nullptr;
        SharedOk = nullptr;
        LastSongPosition = 0;
    }

    void SetOnlyBlue(bool on) { Form->CheckBox2->setChecked(on); }
    void SetSmallShift(bool on) { Form->CheckBox3->setChecked(on); }

    std::unique_ptr<TScreenForm> Form = std::make_unique<TScreenForm>();
    stage::TStage Stage;
    int HitSounds = 0;
};
