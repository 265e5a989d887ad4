#include "GameFixture.h"

#include "game/StressValue.h"
#include "hid/HidControllerClass.h"
#include "hid/simulated/HidSimulatedBus.h"

#include <vector>

namespace {

class TStressValueTest : public TGameFixture {
protected:
    TStressValueTest()
    {
        Ball = Bus->PlugGripBall();
        Controller = std::make_unique<TJvHidDeviceController>(nullptr, Bus);
        TJvHidDevice* device = nullptr;
        EXPECT_TRUE(Controller->CheckOutByIndex(device, 0));
        Stress.Device = device;
    }

    // Devices lent out belong to the borrower until they are given back.
    ~TStressValueTest() override
    {
        for (TJvHidDevice* device : std::vector<TJvHidDevice*>(Controller->Devices()))
            if (device->CheckedOut())
                Controller->CheckIn(device);
    }

    // One tick with one report of this force.
    void Tick(std::uint8_t force)
    {
        Ball->QueueInput({0, force, 0, 0, 0, 0, 0, 0, 0});
        Stress.ReadDevice();
    }

    int LitMarks() const
    {
        int lit = 0;
        for (TStepMark* mark : Stress.Marks)
            lit += mark->Visible;
        return lit;
    }

    std::shared_ptr<THidSimulatedBus> Bus = std::make_shared<THidSimulatedBus>();
    std::shared_ptr<THidSimulatedDevice> Ball;
    std::unique_ptr<TJvHidDeviceController> Controller;
    TStressValueOne Stress;
};

} // namespace

TEST_F(TStressValueTest, GripAndReleaseGate)
{
    std::vector<int> levels;
    std::vector<bool> armed;
    for (std::uint8_t force : {0, 5, 20, 20, 12, 0}) {
        Tick(force);
        levels.push_back(Stress.Level);
        armed.push_back(Stress.Armed);
    }
    EXPECT_EQ(levels, (std::vector<int>{0, 1, 4, 4, 2, 0}));
    EXPECT_EQ(armed, (std::vector<bool>{true, true, true, true, false, false}));
}

TEST_F(TStressValueTest, LongRestClosesTheGateUntilAReadingOfOne)
{
    for (int i = 0; i < 40; ++i)
        Tick(0);
    // A grip that jumps straight past 1 stays shut out, however hard it gets.
    Tick(15);
    EXPECT_EQ(Stress.Level, 0);
    EXPECT_EQ(Stress.RepeatCount, 0);
    Tick(22);
    EXPECT_EQ(Stress.Level, 0);
    // Released and at rest for long again: the rest readings keep the gate shut, and only the
    // reading of 1 on the way up opens it.
    for (int i = 0; i < 40; ++i)
        Tick(0);
    EXPECT_FALSE(Stress.Armed);
    Tick(7);
    EXPECT_EQ(Stress.Level, 0);
    EXPECT_TRUE(Stress.Armed);
    Tick(22);
    EXPECT_EQ(Stress.Level, 4);
}

TEST_F(TStressValueTest, TheThirtySixthEqualReadingClosesTheGate)
{
    // From the initial state every rest reading equals the one before it; the gate stays open
    // through 35 of them and closes on the 36th.
    for (int rest : {35, 36}) {
        Stress.RepeatCount = 0;
        Stress.LastReading = 0;
        Stress.Armed = false;
        for (int i = 0; i < rest; ++i)
            Tick(0);
        EXPECT_EQ(Stress.RepeatCount, rest);
        Tick(15);
        EXPECT_EQ(Stress.Level, rest == 35 ? 3 : 0) << "after " << rest << " rest readings";
    }
    // A force held steady counts the same way.
    Tick(0);
    Tick(5);
    for (int i = 0; i < 36; ++i)
        Tick(20);  // the first, then 35 each equal to the one before
    EXPECT_EQ(Stress.RepeatCount, 35);
    EXPECT_EQ(Stress.Level, 4);
    Tick(20);  // the 36th equal reading still shows, with the gate as it was, and closes it
    EXPECT_EQ(Stress.Level, 4);
    EXPECT_FALSE(Stress.Armed);
    Tick(20);
    EXPECT_EQ(Stress.Level, 0);
}

TEST_F(TStressValueTest, EasyModeShowsTheForceAndFreezesTheGate)
{
    Tick(30);  // gate closed: level 0
    EXPECT_EQ(Stress.Level, 0);
    Stress.Easy = true;
    for (int i = 0; i < 50; ++i)
        Tick(17);
    EXPECT_EQ(Stress.Level, 3);
    EXPECT_EQ(Stress.LastReading, 6);
    EXPECT_FALSE(Stress.Armed);
    EXPECT_EQ(Stress.RepeatCount, 0);
    Tick(255);
    EXPECT_EQ(Stress.Level, 6);
    EXPECT_EQ(LitMarks(), 6);
    Stress.Easy = false;
    Tick(20);
    EXPECT_EQ(Stress.Level, 0);
}

TEST_F(TStressValueTest, MarksBelowTheLevelAreLit)
{
    EXPECT_EQ(LitMarks(), 6);  // all visible until the first level is set
    Stress.SetLevel(2);
    EXPECT_TRUE(Stress.Marks[0]->Visible);
    EXPECT_TRUE(Stress.Marks[1]->Visible);
    EXPECT_EQ(LitMarks(), 2);
    Stress.SetLevel(51);
    EXPECT_EQ(Stress.Level, 6);
    Stress.SetLevel(0);
    EXPECT_EQ(LitMarks(), 0);
    EXPECT_EQ(Stress.Marks[3]->X, 344);
    EXPECT_EQ(Stress.Marks[5]->Y, 112);
    EXPECT_EQ(Stress.Marks[0]->Engine(), Stage.Layer(SlotLayerFive));

    TStressValueTwo two;
    EXPECT_EQ(two.Marks[2]->Y, 310);
    EXPECT_EQ(two.Marks[0]->Engine(), Stage.Layer(SlotLayerFour));
}

TEST_F(TStressValueTest, EveryQueuedReportIsOneReadingAndAnEmptyQueueChangesNothing)
{
    for (std::uint8_t force : {0, 5, 20})
        Ball->QueueInput({0, force, 0, 0, 0, 0, 0, 0, 0});
    Stress.ReadDevice();
    EXPECT_EQ(Stress.Level, 4);
    EXPECT_EQ(Stress.LastReading, 4);
    EXPECT_EQ(Ball->QueuedReports(), 0u);
    // The ball goes quiet: the tick neither waits nor changes the level.
    Stress.ReadDevice();
    Stress.ReadDevice();
    EXPECT_EQ(Stress.Level, 4);
    EXPECT_EQ(Stress.RepeatCount, 0);
}

TEST_F(TStressValueTest, ABallThatNeverStopsReportingCannotHoldTheTick)
{
    Ball->SetForce(20);
    Stress.ReadDevice();
    EXPECT_EQ(Ball->Reads(), TStressValue::MaxReportsPerRead);
}

TEST_F(TStressValueTest, LongReportsAreReadOnlyAsFarAsTheBufferGoes)
{
    THidSimulatedDeviceConfig config;
    config.Product = "Kneadle Bal";
    config.InputReportByteLength = 64;
    auto wide = Bus->Plug(config);
    Controller->Rescan();
    TJvHidDevice* device = nullptr;
    ASSERT_TRUE(Controller->CheckOutByIndex(device, 1));
    Stress.Device = device;
    std::vector<std::uint8_t> report(64, 0xEE);
    report[1] = 10;
    wide->QueueInput(report);
    Stress.Easy = true;
    Stress.ReadDevice();
    EXPECT_EQ(Stress.Level, 2);
}

TEST_F(TStressValueTest, FailedReadRaisesTheHidError)
{
    Ball->SetFailReads(true);
    try {
        Stress.ReadDevice();
        FAIL() << "no error";
    } catch (const EHidClientError& e) {
        EXPECT_STREQ(e.what(), "HidClient Error: a boolean function failed");
    }
}

TEST_F(TStressValueTest, WithoutADeviceNothingIsRead)
{
    Stress.Device = nullptr;
    Stress.ReadDevice();
    EXPECT_EQ(Stress.Level, 0);
    EXPECT_EQ(Ball->Reads(), 0);
}
