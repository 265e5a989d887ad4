#include "game/GripBall.h"
#include "game/StressValue.h"
#include "hid/HidControllerClass.h"
#include "hid/simulated/HidSimulatedBus.h"

#include <QFile>
#include <QTemporaryDir>

#include <gtest/gtest.h>

#include <memory>
#include <string>
#include <vector>

namespace {

// Player one's grip without its step marks: only its device matters here.
class TGrip : public TStressValue {
public:
    void SetLevel(std::int32_t value) override { Level = value; }
};

THidSimulatedDeviceConfig Device(const std::string& product)
{
    THidSimulatedDeviceConfig config;
    config.Manufacturer = "Maker";
    config.Product = product;
    config.VendorID = 0x1209;
    config.ProductID = 1;
    return config;
}

// The handlers on a controller of their own, bound as the debug form binds them.
class TGripBallTest : public ::testing::Test {
protected:
    // The balls go back as the debug form gives them back, then the controller goes, while the
    // handlers it may still call exist.
    ~TGripBallTest() override
    {
        if (Ball)
            Ball->Release();
        Controller.reset();
    }

    void Start()
    {
        Controller = std::make_unique<TJvHidDeviceController>(nullptr, Bus);
        Ball = std::make_unique<TGripBall>(*Controller);
        Ball->Bind();
    }

    std::shared_ptr<THidSimulatedBus> Bus = std::make_shared<THidSimulatedBus>();
    std::unique_ptr<TJvHidDeviceController> Controller;
    std::unique_ptr<TGripBall> Ball;
    TGrip PlayerOne;
};

} // namespace

TEST_F(TGripBallTest, FindsChecksOutAndReleasesTheBallByItsExactName)
{
    auto pad = Bus->Plug(Device("Pad"));
    auto nearMiss = Bus->Plug(Device("Kneadle Ball"));
    auto ball = Bus->PlugGripBall();
    ball->QueueInput({0, 42});
    Start();

    // Binding ran the first enumeration, past the two devices that are not the ball.
    ASSERT_NE(Ball->GripDevice, nullptr);
    EXPECT_EQ(Ball->GripDevice, Controller->Devices()[2]);
    EXPECT_TRUE(Ball->GripDevice->CheckedOut());
    EXPECT_EQ(ball->QueuedReports(), 0u);
    EXPECT_EQ(ball->WrittenReports(), (std::vector<std::vector<uint8_t>>{{0, 0}}));
    EXPECT_TRUE(nearMiss->WrittenReports().empty());
    EXPECT_EQ(Controller->NumCheckedOutDevices(), 1);
    // As start-up hands it over.
    PlayerOne.Device = Ball->GripDevice;
    Ball->Player = &PlayerOne;

    // A second ball: both get checked out, the grip device is the last one visited, and
    // player one keeps the ball it has.
    auto secondBall = Bus->PlugGripBall();
    EXPECT_EQ(Controller->NumCheckedOutDevices(), 2);
    EXPECT_EQ(Ball->GripDevice, Controller->Devices()[3]);
    EXPECT_EQ(PlayerOne.Device, Controller->Devices()[2]);
    EXPECT_EQ(secondBall->WrittenReports().size(), 1u);
    // The first ball was found again; its check-out failed silently, its write still ran.
    EXPECT_EQ(ball->WrittenReports().size(), 2u);

    // Player one's ball goes away: checked in from inside the rescan, and gone from the list.
    TJvHidDevice* secondDevice = Ball->GripDevice;
    Bus->Unplug(ball);
    EXPECT_EQ(PlayerOne.Device, nullptr);
    EXPECT_EQ(Controller->NumUnpluggedDevices(), 0);
    ASSERT_EQ(Controller->Devices().size(), 3u);
    EXPECT_EQ(Controller->Devices()[2], secondDevice);
    EXPECT_EQ(Controller->NumCheckedOutDevices(), 1);

    // A ball that is not player one's is left listed until someone checks it in.
    Bus->Unplug(secondBall);
    EXPECT_EQ(Controller->NumUnpluggedDevices(), 1);
    Controller->CheckIn(secondDevice);
    EXPECT_EQ(Controller->NumUnpluggedDevices(), 0);
    EXPECT_EQ(Controller->Devices().size(), 2u);
}

TEST_F(TGripBallTest, AFailingBallRaisesFromTheEnumerationAndStaysCheckedOut)
{
    auto ball = Bus->PlugGripBall();
    ball->SetFailWrites(true);
    Controller = std::make_unique<TJvHidDeviceController>(nullptr, Bus);
    Ball = std::make_unique<TGripBall>(*Controller);
    EXPECT_THROW(Ball->Bind(), EHidClientError);
    // Checked out before the write failed: the ball stays with the game, open.
    ASSERT_NE(Ball->GripDevice, nullptr);
    EXPECT_TRUE(Ball->GripDevice->CheckedOut());
    EXPECT_FALSE(Ball->GripDevice->Enumerating());
    EXPECT_EQ(ball->OpenHandles(), 1);
    Ball->Release();
    EXPECT_EQ(ball->OpenHandles(), 0);
}

TEST_F(TGripBallTest, DestroyingTheControllerGivesPlayerOnesBallBack)
{
    auto ball = Bus->PlugGripBall();
    Bus->Plug(Device("Pad"));
    Start();
    ASSERT_NE(Ball->GripDevice, nullptr);
    PlayerOne.Device = Ball->GripDevice;
    Ball->Player = &PlayerOne;
    ASSERT_EQ(ball->OpenHandles(), 1);

    // The unplug handler checks the ball in while the controller goes away.
    Controller.reset();
    EXPECT_EQ(PlayerOne.Device, nullptr);
    EXPECT_EQ(ball->OpenHandles(), 0);
    Ball.reset();
    EXPECT_NO_THROW(Start());
}

TEST_F(TGripBallTest, ReleaseStopsTheHandlersAndGivesEveryBallBack)
{
    auto first = Bus->PlugGripBall();
    auto second = Bus->PlugGripBall();
    Start();
    Ball->Player = &PlayerOne;
    ASSERT_EQ(Controller->NumCheckedOutDevices(), 2);

    Ball->Release();
    EXPECT_EQ(Controller->NumCheckedOutDevices(), 0);
    EXPECT_EQ(first->OpenHandles(), 0);
    EXPECT_EQ(second->OpenHandles(), 0);
    EXPECT_EQ(Ball->GripDevice, nullptr);
    EXPECT_EQ(Ball->Player, nullptr);
    // A ball plugged in now is nobody's.
    auto third = Bus->PlugGripBall();
    EXPECT_TRUE(third->WrittenReports().empty());
    EXPECT_EQ(Controller->NumCheckedOutDevices(), 0);
    EXPECT_EQ(PlayerOne.Device, nullptr);
}

TEST_F(TGripBallTest, ABallThatCannotBeOpenedIsNamedOnceWaitsAndIsTakenWhenItOpens)
{
    THidSimulatedDeviceConfig config = Device("Kneadle Bal");
    config.FailOpen = true;
    config.OpenErrno = EBUSY;
    auto ball = Bus->Plug(config);
    std::vector<std::string> messages;
    Controller = std::make_unique<TJvHidDeviceController>(nullptr, Bus);
    Ball = std::make_unique<TGripBall>(*Controller);
    Ball->OnAccessProblem = [&](const std::string& message) { messages.push_back(message); };
    // Found, but no read or write is tried on it, so nothing is raised.
    EXPECT_NO_THROW(Ball->Bind());
    PlayerOne.Device = Ball->GripDevice;
    Ball->Player = &PlayerOne;
    Ball->AttachPlayers();
    EXPECT_EQ(PlayerOne.Device, nullptr);
    ASSERT_EQ(messages.size(), 1u);
    EXPECT_EQ(messages[0].rfind("The grip ball at " + ball->Path() + " cannot be opened: it is busy", 0), 0u)
        << messages[0];
    // Another device comes and the ball is found again: still closed, and not said again.
    Bus->Plug(Device("Pad"));
    Ball->RetryWaiting();
    EXPECT_EQ(messages.size(), 1u);
    EXPECT_TRUE(ball->WrittenReports().empty());

    // The other program lets go: the next try takes it, greets it and gives it to player one.
    ball->Config().FailOpen = false;
    Ball->RetryWaiting();
    ASSERT_NE(PlayerOne.Device, nullptr);
    EXPECT_EQ(PlayerOne.Device->DevicePath(), ball->Path());
    EXPECT_EQ(ball->WrittenReports(), (std::vector<std::vector<uint8_t>>{{0, 0}}));
    EXPECT_TRUE(Ball->Waiting().empty());
}

TEST(BallAccessMessage, NamesTheNodeTheReasonAndTheFix)
{
    // No rule folders: the answer must not depend on whether this machine has the rule.
    const std::string denied = BallAccessMessage("/dev/hidraw7", EACCES, {});
    EXPECT_NE(denied.find("/dev/hidraw7 cannot be opened: permission denied."), std::string::npos);
    EXPECT_NE(denied.find(UdevRuleInstallCommand()), std::string::npos);
    EXPECT_NE(UdevRuleInstallCommand().find("70-grip-ball.rules"), std::string::npos);
    const std::string other = BallAccessMessage("/dev/hidraw7", EIO, {});
    EXPECT_NE(other.find("cannot be opened: Input/output error."), std::string::npos);
}

TEST(BallAccessMessage, WithTheRuleInstalledItSaysToPlugTheBallInAgain)
{
    const QTemporaryDir etc, usr;
    const std::vector<std::string> folders = {etc.path().toStdString(), usr.path().toStdString()};
    EXPECT_NE(BallAccessMessage("/dev/hidraw7", EACCES, folders).find(UdevRuleInstallCommand()), std::string::npos);
    QFile rule(usr.filePath("70-grip-ball.rules"));
    ASSERT_TRUE(rule.open(QIODevice::WriteOnly));
    const std::string installed = BallAccessMessage("/dev/hidraw7", EACCES, folders);
    EXPECT_NE(installed.find("The grip ball's udev rule is installed (" + rule.fileName().toStdString() +
                             ") but was not yet in force when the ball came: plug the ball in again, or run\n\n"
                             "    sudo udevadm trigger -s hidraw"),
              std::string::npos)
        << installed;
    EXPECT_EQ(installed.find(UdevRuleInstallCommand()), std::string::npos) << installed;
}
