// The real hidraw back end (libudev, sysfs, /dev/hidrawN) against balls emulated by umockdev.
// Runs under umockdev-wrapper.
#include "BallBed.h"

#include "game/GripBall.h"
#include "game/StressValue.h"
#include "hid/HidDeviceController.h"
#include "hid/linux/HidrawBackend.h"

#include <gtest/gtest.h>

#include <QCoreApplication>
#include <QElapsedTimer>

#include <cstdio>
#include <functional>
#include <memory>
#include <string>
#include <vector>

#include <grp.h>
#include <sys/stat.h>
#include <unistd.h>

namespace {

class TGrip : public TStressValue {
public:
    void SetLevel(std::int32_t value) override { Level = value; }
};

// Runs the event loop, where hot-plug notices arrive, until done() or two seconds.
bool Within2s(const std::function<bool()>& done)
{
    QElapsedTimer clock;
    clock.start();
    while (!done() && clock.elapsed() < 2000)
        QCoreApplication::processEvents(QEventLoop::AllEvents, 20);
    return done();
}

class THidrawUmockdevTest : public ::testing::Test {
protected:
    void SetUp() override { ASSERT_TRUE(TBallBed::Mocking()) << "run this program under umockdev-wrapper"; }
    // The handlers go before the controller that calls them, the controller before the bed.
    void TearDown() override
    {
        if (Ball)
            Ball->Release();
        Ball.reset();
        Controller.reset();
    }

    void Start()
    {
        Controller = std::make_unique<TJvHidDeviceController>(nullptr, std::make_shared<THidrawBackend>());
        Ball = std::make_unique<TGripBall>(*Controller);
        Ball->OnAccessProblem = [this](const std::string& message) { Messages.push_back(message); };
        Ball->Bind();
        One.Device = Ball->GripDevice;
        Ball->Player = &One;
        Ball->PlayerTwo = &Two;
        Ball->AttachPlayers();
    }

    TBallBed Bed;
    std::unique_ptr<TJvHidDeviceController> Controller;
    std::unique_ptr<TGripBall> Ball;
    TGrip One, Two;
    std::vector<std::string> Messages;
};

} // namespace

TEST_F(THidrawUmockdevTest, AnEmulatedBallIsListedGreetedAndRead)
{
    const TEmulatedBall ball = Bed.Add(0);
    THidrawBackend backend;
    const std::vector<THidInterfaceInfo> listed = backend.ListInterfaces();
    ASSERT_EQ(listed.size(), 1u);
    EXPECT_EQ(listed[0].Path, "/dev/hidraw0");
    EXPECT_NE(listed[0].Identity, 0u);

    Start();
    ASSERT_NE(One.Device, nullptr);
    const TJvHidDevice& device = *One.Device;
    EXPECT_EQ(device.ProductName(), "Kneadle Bal");
    EXPECT_EQ(device.VendorName(), "Grip Rhythm");
    EXPECT_EQ(device.SerialNumber(), ball.Serial);
    EXPECT_EQ(device.Attributes().VendorID, 0x1209);
    EXPECT_EQ(device.Attributes().ProductID, 0x0001);
    EXPECT_EQ(device.Attributes().VersionNumber, 0x0100);
    EXPECT_EQ(device.Caps().InputReportByteLength, 9);
    EXPECT_EQ(device.Caps().OutputReportByteLength, 2);
    EXPECT_TRUE(device.CheckedOut());
    // The zero output report of the greeting reached the ball.
    EXPECT_EQ(Bed.Received(ball, 500), (std::vector<std::uint8_t>{0, 0}));

    // A report the ball sends is read by the game, its first data byte as the force.
    One.Easy = true;
    ASSERT_TRUE(Bed.Send(ball, 20));
    ASSERT_TRUE(Within2s([&] {
        One.ReadDevice();
        return One.Level == 4;
    }));
    EXPECT_TRUE(Messages.empty());
}

TEST_F(THidrawUmockdevTest, BallsPluggedInAndOutAreCheckedInAndOutAndGoToTheirPlayers)
{
    Start();
    EXPECT_TRUE(Controller->Devices().empty());
    const TEmulatedBall first = Bed.Add(0);
    Bed.Announce(first, "add");
    ASSERT_TRUE(Within2s([&] { return One.Device != nullptr; })) << "the first ball never arrived";
    EXPECT_EQ(One.Device->DevicePath(), first.Node);
    EXPECT_EQ(Bed.Received(first, 500), (std::vector<std::uint8_t>{0, 0}));

    const TEmulatedBall second = Bed.Add(1);
    Bed.Announce(second, "add");
    ASSERT_TRUE(Within2s([&] { return Two.Device != nullptr; })) << "the second ball never arrived";
    EXPECT_EQ(Two.Device->DevicePath(), second.Node);
    EXPECT_EQ(Controller->NumCheckedOutDevices(), 2);
    // Each player reads its own ball.
    One.Easy = Two.Easy = true;
    Bed.Send(first, 5);
    Bed.Send(second, 30);
    ASSERT_TRUE(Within2s([&] {
        One.ReadDevice();
        Two.ReadDevice();
        return One.Level == 1 && Two.Level == 6;
    }));

    std::vector<int> lost;
    const TSubscription following = Ball->OnBallLost.Subscribe([&](int player) { lost.push_back(player); });
    Bed.Remove(first);
    ASSERT_TRUE(Within2s([&] { return One.Device == nullptr; })) << "the unplugged ball was kept";
    EXPECT_EQ(lost, std::vector<int>{0});
    EXPECT_EQ(Two.Device->DevicePath(), second.Node);
    // Player one's ball is given back and gone from the list; player two's is still there.
    EXPECT_EQ(Controller->Devices().size(), 1u);
    EXPECT_EQ(Controller->NumCheckedOutDevices(), 1);
}

namespace {

// A user's view: root may open anything, so the check runs as nobody, in a child of its own.
[[noreturn]] void OpenWithoutPermission()
{
    if (geteuid() == 0 && (setgroups(0, nullptr) != 0 || setgid(65534) != 0 || setuid(65534) != 0)) {
        std::fprintf(stderr, "could not become nobody\n");
        std::_Exit(2);
    }
    TBallBed bed;
    const TEmulatedBall ball = bed.Add(0);
    if (chmod(bed.NodeFile(ball).c_str(), 0) != 0) {
        std::fprintf(stderr, "chmod failed\n");
        std::_Exit(3);
    }
    std::vector<std::string> messages;
    TGrip one;
    int status = 0;
    {
        TJvHidDeviceController controller(nullptr, std::make_shared<THidrawBackend>());
        TGripBall grip(controller);
        grip.OnAccessProblem = [&](const std::string& message) { messages.push_back(message); };
        grip.Bind();
        one.Device = grip.GripDevice;
        grip.Player = &one;
        grip.AttachPlayers();
        // The ball is known, checked out and waiting; player one cannot read it yet.
        if (!one.Device && grip.Waiting().size() == 1 && controller.Devices().size() == 1) {
            // Found again, and retried while still closed: no second message.
            controller.Enumerate();
            grip.RetryWaiting();
            // Access granted: the next retry takes it.
            chmod(bed.NodeFile(ball).c_str(), 0600);
            grip.RetryWaiting();
            if (!one.Device || one.Device->DevicePath() != ball.Node || !grip.Waiting().empty())
                status = 4;
        } else {
            status = 5;
        }
        grip.Release();
    }
    for (const std::string& message : messages)
        std::fprintf(stderr, "MESSAGE: %s\n", message.c_str());
    std::fprintf(stderr, "messages: %zu\n", messages.size());
    std::fflush(stderr);
    std::_Exit(messages.size() == 1 ? status : 6);
}

} // namespace

TEST_F(THidrawUmockdevTest, ABallWithoutPermissionIsNamedOnceWithTheFixAndTakenWhenAllowed)
{
    GTEST_FLAG_SET(death_test_style, "threadsafe");
    EXPECT_EXIT(OpenWithoutPermission(), ::testing::ExitedWithCode(0),
                "MESSAGE: The grip ball at /dev/hidraw0 cannot be opened: permission denied\\."
                "(.|\n)*sudo install -m 644 -t /etc/udev/rules.d [^ ]*70-grip-ball.rules && sudo udevadm"
                "(.|\n)*messages: 1\n");
}
