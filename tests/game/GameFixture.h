#pragma once

// The test scene, the options the lanes read, what the game shows beyond its surface and a
// fresh game random generator.

#include "game/GameOutput.h"
#include "game/GameRandom.h"
#include "game/GameSettings.h"
#include "game/SoundEffect.h"
#include "sprites/SpriteStage.h"

#include <QString>
#include <QStringList>

#include <gtest/gtest.h>

#include <vector>

// Keeps everything the game shows beyond its surface.
class TRecordedOutput : public TGameOutput {
public:
    void ShowGripLevel(int level) override { Levels.push_back(level); }
    void AppendMemoLine(const QString& line) override { MemoLines.append(line); }

    std::vector<int> Levels;
    QStringList MemoLines;
};

class TGameFixture : public ::testing::Test {
protected:
    TGameFixture()
    {
        GameRandom().SetState(0);
        SetHitSound([this] { ++HitSounds; });
    }

    ~TGameFixture() override { SetHitSound(nullptr); }

    void SetOnlyBlue(bool on) { Settings.OnlyBlue = on; }
    void SetSmallShift(bool on) { Settings.SmallShift = on; }

    TGameSettings Settings;
    TRecordedOutput Output;
    stage::TStage Stage;
    int HitSounds = 0;
};
