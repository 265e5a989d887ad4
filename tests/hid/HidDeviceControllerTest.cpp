#include "hid/HidControllerClass.h"
#include "hid/simulated/HidSimulatedBus.h"
#include "platform/Guard.h"
#include "platform/Override.h"

#include <gtest/gtest.h>

namespace {

THidSimulatedDeviceConfig Device(const std::string& product, uint16_t vendor = 0x1209, uint16_t productId = 1)
{
    THidSimulatedDeviceConfig config;
    config.Manufacturer = "Maker " + std::to_string(vendor);
    config.Product = product;
    config.VendorID = vendor;
    config.ProductID = productId;
    return config;
}

class THidDeviceControllerTest : public ::testing::Test {
protected:
    std::shared_ptr<THidSimulatedBus> Bus = std::make_shared<THidSimulatedBus>();

    std::unique_ptr<TJvHidDeviceController> Start()
    {
        return std::make_unique<TJvHidDeviceController>(nullptr, Bus);
    }
};

}  // namespace

TEST_F(THidDeviceControllerTest, OnlyOneControllerAtATime)
{
    {
        auto first = Start();
        try {
            TJvHidDeviceController second(nullptr, Bus);
            FAIL() << "a second controller was allowed";
        } catch (const EControllerError& error) {
            EXPECT_STREQ(error.what(), "Only one TJvHidDeviceController allowed per program");
        }
    }
    EXPECT_NO_THROW(Start());  // the failed attempt did not leave the count raised
}

TEST_F(THidDeviceControllerTest, EnumerateWalksPresentDevicesUntilTheHandlerSaysStop)
{
    auto controller = Start();
    EXPECT_EQ(controller->Enumerate(), 0);
    Bus->Plug(Device("A"));
    Bus->Plug(Device("B"));
    Bus->Plug(Device("C"));
    // Without a handler the walk stops at the first present device and calls nothing.
    EXPECT_EQ(controller->Enumerate(), 1);

    std::vector<int> visited;
    bool accessibleInside = false;
    controller->SetOnEnumerate([&](TJvHidDevice* HidDev, int Idx) {
        visited.push_back(Idx);
        accessibleInside = HidDev->Accessible() && HidDev->Enumerating();
        return true;
    });
    EXPECT_EQ(controller->Enumerate(), 3);
    EXPECT_EQ(visited, (std::vector<int>{0, 1, 2}));
    EXPECT_TRUE(accessibleInside);
    for (TJvHidDevice* device : controller->Devices())
        EXPECT_FALSE(device->Enumerating());

    visited.clear();
    controller->SetOnEnumerate([&](TJvHidDevice*, int Idx) {
        visited.push_back(Idx);
        return false;
    });
    EXPECT_EQ(controller->Enumerate(), 1);
    EXPECT_EQ(visited, (std::vector<int>{0}));
}

TEST_F(THidDeviceControllerTest, EnumerationClosesWhatItOpenedUnlessCheckedOutEvenWhenTheHandlerThrows)
{
    auto first = Bus->Plug(Device("A"));
    auto second = Bus->Plug(Device("B"));
    auto controller = Start();
    controller->SetOnEnumerate([&](TJvHidDevice* HidDev, int Idx) {
        EXPECT_TRUE(HidDev->OpenFile());
        if (Idx == 1) {
            TJvHidDevice* taken = nullptr;
            controller->CheckOutByIndex(taken, Idx);
        }
        return true;
    });
    EXPECT_EQ(controller->Enumerate(), 2);
    EXPECT_EQ(first->OpenHandles(), 0);
    EXPECT_EQ(second->OpenHandles(), 1);  // checked out inside the handler: stays open

    controller->SetOnEnumerate([&](TJvHidDevice* HidDev, int) -> bool {
        HidDev->OpenFile();
        HidCheck(false);
        return true;
    });
    EXPECT_THROW(controller->Enumerate(), EHidClientError);
    EXPECT_FALSE(controller->Devices()[0]->Enumerating());
    EXPECT_EQ(first->OpenHandles(), 0);
    TJvHidDevice* taken = controller->Devices()[1];
    controller->CheckIn(taken);
    EXPECT_EQ(second->OpenHandles(), 0);
}

TEST_F(THidDeviceControllerTest, CheckOutOperationsPickTheFirstQualifyingDevice)
{
    Bus->Plug(Device("Pad", 0x046D, 0xC216));
    Bus->Plug(Device("Kneadle Ball", 0x1209, 7));
    Bus->Plug(Device("Kneadle Bal", 0x1209, 8));
    Bus->Plug(Device("Stick", 0x1209, 9));
    auto controller = Start();
    const auto& list = controller->Devices();
    TJvHidDevice* device = list[0];

    EXPECT_FALSE(controller->CheckOutByIndex(device, -1));
    EXPECT_EQ(device, nullptr);
    device = list[0];
    EXPECT_FALSE(controller->CheckOutByIndex(device, 4));
    EXPECT_EQ(device, nullptr);

    // Exact, case-sensitive, whole-string names: the near miss and other cases never match.
    TJvHidDevice* missing = nullptr;
    EXPECT_FALSE(controller->CheckOutByProductName(missing, "kneadle bal"));
    EXPECT_FALSE(controller->CheckOutByProductName(missing, "Kneadle Ba"));
    EXPECT_FALSE(controller->CheckOutByProductName(missing, ""));
    ASSERT_TRUE(controller->CheckOutByProductName(device, "Kneadle Bal"));
    EXPECT_EQ(device, list[2]);
    EXPECT_EQ(controller->NumCheckedOutDevices(), 1);
    EXPECT_EQ(controller->NumCheckedInDevices(), 3);
    EXPECT_FALSE(controller->CheckOutByIndex(missing, 2));  // already taken

    TJvHidDevice* byVendor = nullptr;
    ASSERT_TRUE(controller->CheckOutByID(byVendor, 0x1209, -1));
    EXPECT_EQ(byVendor, list[1]);
    TJvHidDevice* byId = nullptr;
    ASSERT_TRUE(controller->CheckOutByID(byId, 0x1209, 9));
    EXPECT_EQ(byId, list[3]);
    EXPECT_FALSE(controller->CheckOutByID(missing, 0x1209, -1));  // all of that vendor taken

    TJvHidDevice* byName = nullptr;
    ASSERT_TRUE(controller->CheckOutByVendorName(byName, "Maker 1133"));  // 0x046D
    EXPECT_EQ(byName, list[0]);
    EXPECT_FALSE(controller->CheckOut(missing));
    EXPECT_EQ(controller->NumCheckedOutDevices(), 4);
    EXPECT_EQ(controller->NumCheckedInDevices(), 0);

    controller->CheckIn(byName);
    EXPECT_EQ(byName, nullptr);
    TJvHidDevice* byClass = nullptr;
    ASSERT_TRUE(controller->CheckOutByClass(byClass, "hidraw"));
    EXPECT_EQ(byClass, list[0]);
    EXPECT_FALSE(controller->CheckOutByClass(missing, ""));

    for (TJvHidDevice* taken : {device, byVendor, byId, byClass})
        controller->CheckIn(taken);
    EXPECT_EQ(controller->NumCheckedOutDevices(), 0);
    EXPECT_EQ(controller->NumCheckedInDevices(), 4);
    // Checking in what is already in changes nothing.
    TJvHidDevice* again = list[0];
    controller->CheckIn(again);
    EXPECT_EQ(controller->NumCheckedInDevices(), 4);
    TJvHidDevice* none = nullptr;
    controller->CheckIn(none);
}

TEST_F(THidDeviceControllerTest, UnpluggingACheckedOutDeviceKeepsItListedUntilCheckIn)
{
    auto ball = Bus->PlugGripBall();
    Bus->Plug(Device("Pad"));
    auto controller = Start();
    std::vector<TJvHidDevice*> unplugged;
    controller->SetOnDeviceUnplug([&](TJvHidDevice* HidDev) { unplugged.push_back(HidDev); });
    controller->Loaded();
    int changes = 0;
    controller->SetOnDeviceChange([&](QObject* Sender) {
        EXPECT_EQ(Sender, controller.get());
        ++changes;
    });
    changes = 0;

    TJvHidDevice* device = nullptr;
    ASSERT_TRUE(controller->CheckOutByProductName(device, "Kneadle Bal"));
    ASSERT_TRUE(device->OpenFile());
    Bus->Unplug(ball);

    EXPECT_EQ(unplugged, (std::vector<TJvHidDevice*>{device}));
    EXPECT_EQ(changes, 1);
    EXPECT_FALSE(device->PluggedIn());
    EXPECT_EQ(ball->OpenHandles(), 0);
    ASSERT_EQ(controller->Devices().size(), 2u);
    EXPECT_EQ(controller->NumUnpluggedDevices(), 1);
    EXPECT_EQ(controller->NumCheckedOutDevices(), 0);
    EXPECT_EQ(controller->NumCheckedInDevices(), 1);
    EXPECT_EQ(controller->Enumerate(), 1);  // only the pad is present

    Bus->Announce();  // another change notice: the handler is not called again
    EXPECT_EQ(unplugged.size(), 1u);

    controller->CheckIn(device);
    EXPECT_EQ(device, nullptr);
    EXPECT_EQ(controller->NumUnpluggedDevices(), 0);
    ASSERT_EQ(controller->Devices().size(), 1u);
    EXPECT_EQ(controller->Devices()[0]->ProductName(), "Pad");
}

TEST_F(THidDeviceControllerTest, UnpluggingACheckedInDeviceDropsIt)
{
    auto pad = Bus->Plug(Device("Pad"));
    Bus->Plug(Device("Stick"));
    auto controller = Start();
    int unplugs = 0;
    controller->SetOnDeviceUnplug([&](TJvHidDevice*) { ++unplugs; });
    Bus->Unplug(pad);
    EXPECT_EQ(unplugs, 1);
    ASSERT_EQ(controller->Devices().size(), 1u);
    EXPECT_EQ(controller->Devices()[0]->ProductName(), "Stick");
    EXPECT_EQ(controller->NumCheckedInDevices(), 1);
    EXPECT_EQ(controller->NumUnpluggedDevices(), 0);
}

TEST_F(THidDeviceControllerTest, ARescanThatFindsTheSameDevicesChangesNothing)
{
    Bus->Plug(Device("Pad"));
    Bus->PlugGripBall();
    auto controller = Start();
    const std::vector<TJvHidDevice*> before = controller->Devices();
    TJvHidDevice* device = nullptr;
    ASSERT_TRUE(controller->CheckOutByIndex(device, 1));
    int changes = 0;
    controller->SetOnDeviceChange([&](QObject*) { ++changes; });
    ASSERT_EQ(changes, 1);

    controller->Rescan();
    Bus->Announce();
    EXPECT_EQ(changes, 1);
    EXPECT_EQ(controller->Devices(), before);
    EXPECT_TRUE(device->CheckedOut());
    EXPECT_EQ(controller->NumCheckedOutDevices(), 1);
    EXPECT_EQ(controller->NumCheckedInDevices(), 1);
    controller->CheckIn(device);
}

TEST_F(THidDeviceControllerTest, NewDevicesAreAppendedAndAReplugIsANewDevice)
{
    auto ball = Bus->PlugGripBall();
    auto controller = Start();
    TJvHidDevice* old = controller->Devices()[0];
    int changes = 0;
    controller->SetOnDeviceChange([&](QObject*) { ++changes; });
    changes = 0;

    Bus->Plug(Device("Pad"));
    EXPECT_EQ(changes, 1);
    ASSERT_EQ(controller->Devices().size(), 2u);
    EXPECT_EQ(controller->Devices()[0], old);
    EXPECT_EQ(controller->Devices()[1]->ProductName(), "Pad");

    // Gone and back between two notices: still a different device.
    Bus->SetAnnounce(false);
    Bus->Unplug(ball);
    Bus->PlugGripBall();
    Bus->Announce();
    EXPECT_EQ(changes, 2);
    ASSERT_EQ(controller->Devices().size(), 2u);
    EXPECT_EQ(controller->Devices()[0]->ProductName(), "Pad");
    EXPECT_EQ(controller->Devices()[1]->ProductName(), "Kneadle Bal");
}

TEST_F(THidDeviceControllerTest, HandlersAreAssignedAsComponentsAssignThem)
{
    Bus->Plug(Device("Pad"));
    auto controller = Start();
    int firstCalls = 0, secondCalls = 0;
    TNotifyEvent first = [&](QObject*) { ++firstCalls; };
    TNotifyEvent second = [&](QObject*) { ++secondCalls; };
    controller->SetOnDeviceChange(first);
    EXPECT_EQ(firstCalls, 1);  // the first assignment calls at once
    controller->SetOnDeviceChange(first);
    EXPECT_EQ(firstCalls, 1);  // the same handler again is no change
    controller->SetOnDeviceChange(second);
    EXPECT_EQ(secondCalls, 0);  // a second, different handler is not called
    controller->SetOnDeviceChange(nullptr);
    controller->SetOnDeviceChange(first);
    EXPECT_EQ(firstCalls, 1);

    // A new unplug handler replaces the old one only on devices that still had the old one.
    TJvHidUnplugEvent oldHandler = [](TJvHidDevice*) {};
    TJvHidUnplugEvent own = [](TJvHidDevice*) {};
    TJvHidUnplugEvent newHandler = [](TJvHidDevice*) {};
    controller->SetOnDeviceUnplug(oldHandler);
    TJvHidDevice* pad = controller->Devices()[0];
    EXPECT_TRUE(pad->OnUnplug() == oldHandler);  // it had the old one: none
    pad->SetOnUnplug(own);
    controller->Loaded();  // every device gets the current handler
    EXPECT_TRUE(pad->OnUnplug() == oldHandler);
    controller->SetOnDeviceUnplug(newHandler);
    EXPECT_TRUE(pad->OnUnplug() == newHandler);
    pad->SetOnUnplug(own);
    controller->SetOnDeviceUnplug(oldHandler);
    EXPECT_TRUE(pad->OnUnplug() == own);
    // New devices start with the controller's current handler.
    Bus->Plug(Device("Stick"));
    EXPECT_TRUE(controller->Devices()[1]->OnUnplug() == oldHandler);
}

TEST_F(THidDeviceControllerTest, AFailingUnplugHandlerDoesNotLeaveTheListHalfUpdated)
{
    auto pad = Bus->Plug(Device("Pad"));
    auto controller = Start();
    controller->SetOnDeviceUnplug([](TJvHidDevice*) { HidCheck(false); });
    int changes = 0;
    controller->SetOnDeviceChange([&](QObject*) { ++changes; });
    ASSERT_EQ(changes, 1);

    Bus->SetAnnounce(false);
    Bus->Unplug(pad);
    Bus->Plug(Device("Stick"));
    EXPECT_THROW(controller->Rescan(), EHidClientError);
    ASSERT_EQ(controller->Devices().size(), 1u);
    EXPECT_EQ(controller->Devices()[0]->ProductName(), "Stick");
    EXPECT_EQ(controller->NumCheckedInDevices(), 1);
    EXPECT_EQ(controller->NumUnpluggedDevices(), 0);
    EXPECT_EQ(changes, 2);  // the change was still reported
}

TEST_F(THidDeviceControllerTest, AFailingUnplugHandlerDuringDestructionIsReportedNotFatal)
{
    Bus->PlugGripBall();
    auto controller = Start();
    TJvHidDevice* device = nullptr;
    ASSERT_TRUE(controller->CheckOut(device));
    device->SetOnUnplug([](TJvHidDevice*) { HidCheck(false); });
    std::string reported;
    TOverride handler =
        OverrideApplicationExceptionHandler([&](std::exception_ptr error) { reported = ExceptionMessage(error); });
    controller.reset();
    handler.Restore();
    EXPECT_EQ(reported, "HidClient Error: a boolean function failed");
    EXPECT_FALSE(device->PluggedIn());
    EXPECT_EQ(device->Controller(), nullptr);
    delete device;  // it was the holder's; with no controller it simply goes
}
