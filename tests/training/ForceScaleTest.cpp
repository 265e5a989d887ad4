// The force scale a calibration fits to a hand, through the grip that reads the ball.
#include "game/GameFixture.h"

#include "game/StressValue.h"
#include "hid/HidControllerClass.h"
#include "hid/simulated/HidSimulatedBus.h"
#include "training/ForceScale.h"

#include <vector>

namespace {

class TForceScaleTest : public TGameFixture {
protected:
    TForceScaleTest()
    {
        Ball = Bus->PlugGripBall();
        Controller = std::make_unique<TJvHidDeviceController>(nullptr, Bus);
        TJvHidDevice* device = nullptr;
        EXPECT_TRUE(Controller->CheckOutByIndex(device, 0));
        Grip.Device = device;
    }

    ~TForceScaleTest() override
    {
        for (TJvHidDevice* device : std::vector<TJvHidDevice*>(Controller->Devices()))
            if (device->CheckedOut())
                Controller->CheckIn(device);
    }

    void Fit(TForceScale scale)
    {
        Grip.FitForce = [scale](std::uint8_t force) { return scale.Apply(force); };
    }

    int Level(std::uint8_t force)
    {
        Ball->QueueInput({0, force, 0, 0, 0, 0, 0, 0, 0});
        Grip.ReadDevice();
        return Grip.Level;
    }

    // In Easy Mode, the least force of each level 1..6 as the ball reports it.
    std::vector<int> LevelSteps()
    {
        Grip.Easy = true;
        std::vector<int> steps;
        int level = 0;
        for (int force = 0; force <= 255; ++force) {
            const int now = Level(std::uint8_t(force));
            EXPECT_GE(now, level) << "force " << force;
            if (now > level)
                steps.push_back(force);
            level = now;
        }
        return steps;
    }

    std::shared_ptr<THidSimulatedBus> Bus = std::make_shared<THidSimulatedBus>();
    std::shared_ptr<THidSimulatedDevice> Ball;
    std::unique_ptr<TJvHidDeviceController> Controller;
    TStressValueOne Grip;
};

} // namespace

TEST_F(TForceScaleTest, UnfittedTheBallKeepsTheGamesOwnSteps)
{
    EXPECT_EQ(LevelSteps(), (std::vector<int>{5, 10, 15, 20, 25, 30}));
    EXPECT_EQ(TForceScale{}.Apply(173), 173);
}

TEST_F(TForceScaleTest, ACalibratedPeakOf100GivesLevelSixFrom70InEqualStepsBelow)
{
    const TForceScale scale{100};
    Fit(scale);
    // 70 / 6 = 11.67 a step: the game's steps of 5 up to 30, stretched to 70.
    const std::vector<int> steps{12, 24, 35, 47, 59, 70};
    EXPECT_EQ(LevelSteps(), steps);
    for (int level = 1; level <= 6; ++level)
        EXPECT_EQ(scale.ForceForLevel(level), steps[size_t(level - 1)]);
    EXPECT_EQ(Level(69), 5);
    EXPECT_EQ(Level(255), 6);
}

TEST_F(TForceScaleTest, AWeakHandReachesLevelSixBelowTheGamesOwnThirty)
{
    // A peak of 20: level 6 from 14, and a ball at rest (force 2) still reads as released.
    Fit(TForceScale{20});
    EXPECT_EQ(LevelSteps(), (std::vector<int>{3, 5, 7, 10, 12, 14}));
    EXPECT_EQ(TForceScale{20}.Apply(2) / 5, 0);
}

TEST_F(TForceScaleTest, TheGateWorksOnTheFittedForceAsItDoesOnTheGamesOwn)
{
    Fit(TForceScale{100});
    // The game's own 0, 5, 20, 20, 12, 0 on a hand with peak 100.
    std::vector<int> levels;
    std::vector<bool> armed;
    for (std::uint8_t force : {0, 12, 47, 47, 28, 0}) {
        levels.push_back(Level(force));
        armed.push_back(Grip.Armed);
    }
    EXPECT_EQ(levels, (std::vector<int>{0, 1, 4, 4, 2, 0}));
    EXPECT_EQ(armed, (std::vector<bool>{true, true, true, true, false, false}));
    // A long rest closes the gate: a rise straight to level 3 does not count.
    for (int i = 0; i < 40; ++i)
        Level(0);
    EXPECT_EQ(Level(35), 0);
}
