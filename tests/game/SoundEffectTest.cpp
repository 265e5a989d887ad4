#include "game/SoundEffect.h"

#include <gtest/gtest.h>

#include <string>

// Nothing in this test runs the event queue, so a load can only be seen to end through
// Settle, which is what the program relies on before it ends.
TEST(SoundEffect, SettleLetsALoadGoingOnEndWhetherTheFileIsThereOrNot)
{
    // Destroying a sound effect has hung in Qt's sample cache in this program, so, as in the
    // game, the sounds are kept for the whole run.
    static auto* present = new TSoundEffect(std::string(GRIP_BIN_DIR) + "good.wav");
    static auto* missing = new TSoundEffect("/nonexistent/good.wav");
    for (TSoundEffect* sound : {present, missing}) {
        SCOPED_TRACE(sound->FileName());
        EXPECT_FALSE(sound->Loading());
        sound->Load();
        sound->Settle(5000);
        EXPECT_FALSE(sound->Loading());
        EXPECT_NO_THROW(sound->Play());
    }
}
