#include "hid/HidControllerClass.h"
#include "hid/simulated/HidSimulatedBus.h"

#include <gtest/gtest.h>

#include <array>

namespace {

class THidDeviceTest : public ::testing::Test {
protected:
    std::shared_ptr<THidSimulatedBus> Bus = std::make_shared<THidSimulatedBus>();

    std::unique_ptr<TJvHidDeviceController> Start()
    {
        return std::make_unique<TJvHidDeviceController>(nullptr, Bus);
    }

    static THidSimulatedDeviceConfig Named(const std::string& product)
    {
        THidSimulatedDeviceConfig config;
        config.Manufacturer = "Maker";
        config.Product = product;
        return config;
    }
};

}  // namespace

TEST_F(THidDeviceTest, IdentityIsReadOnceAtCreation)
{
    THidSimulatedDeviceConfig config = Named("Kneadle Bal");
    config.VendorID = 0x04D8;
    config.ProductID = 0xF00D;
    config.SerialNumber = "A-17";
    config.LanguageIds = std::vector<uint16_t>{0x0409, 0x0404, 0x7777};
    config.DeviceDescription = "USB Input Device";
    auto ball = Bus->Plug(config);
    auto controller = Start();

    ASSERT_EQ(controller->Devices().size(), 1u);
    const TJvHidDevice& device = *controller->Devices()[0];
    EXPECT_EQ(device.DevicePath(), ball->Path());
    EXPECT_EQ(device.DeviceInstance(), ball->Identity());
    EXPECT_EQ(device.DeviceDescription(), "USB Input Device");
    EXPECT_EQ(device.ClassDescription(), "hidraw");
    EXPECT_EQ(device.VendorName(), "Maker");
    EXPECT_EQ(device.ProductName(), "Kneadle Bal");
    EXPECT_EQ(device.SerialNumber(), "A-17");
    EXPECT_EQ(device.Attributes().Size, 10u);
    EXPECT_EQ(device.Attributes().VendorID, 0x04D8);
    EXPECT_EQ(device.Attributes().ProductID, 0xF00D);
    EXPECT_EQ(device.Caps().InputReportByteLength, 9);
    EXPECT_EQ(device.Caps().OutputReportByteLength, 2);
    EXPECT_EQ(device.LinkCollectionNodes().size(), 1u);
    EXPECT_EQ(device.LanguageStrings(),
              (std::vector<std::string>{"English (United States)", "Chinese (Taiwan)", "unknown Locale ID $7777"}));
    EXPECT_FALSE(device.IsOpen());
    EXPECT_EQ(ball->OpenHandles(), 0);  // the creation handle was closed again
}

TEST_F(THidDeviceTest, SerialThatRepeatsTheLanguageListIsNoSerial)
{
    struct TCase {
        const char* Name;
        std::optional<std::vector<uint16_t>> Languages;
        std::string Serial;
        std::string Expected;
    };
    const TCase cases[] = {
        {"equals the one language", std::vector<uint16_t>{0x0409}, "\xD0\x89", ""},
        {"equals both languages", std::vector<uint16_t>{0x0409, 0x0404}, "\xD0\x89\xD0\x84", ""},
        {"differs in the second unit", std::vector<uint16_t>{0x0409, 0x0404}, "\xD0\x89X", "\xD0\x89X"},
        {"shorter than the list", std::vector<uint16_t>{0x0409, 0x0404}, "\xD0\x89", "\xD0\x89"},
        {"no languages offered", std::vector<uint16_t>{}, "A-17", ""},
        {"languages unknown to the back end", std::nullopt, "A-17", "A-17"},
    };
    for (const TCase& c : cases) {
        SCOPED_TRACE(c.Name);
        THidSimulatedDeviceConfig config = Named("Pad");
        config.LanguageIds = c.Languages;
        config.SerialNumber = c.Serial;
        auto device = Bus->Plug(config);
        {
            auto controller = Start();
            EXPECT_EQ(controller->Devices()[0]->SerialNumber(), c.Expected);
        }
        Bus->Unplug(device);
    }
}

TEST_F(THidDeviceTest, UnreadableStringsStayEmptyAndUnopenableDevicesAreListedBare)
{
    THidSimulatedDeviceConfig noName;  // no strings at all
    auto unnamed = Bus->Plug(noName);
    THidSimulatedDeviceConfig locked = Named("Locked");
    locked.FailOpen = true;  // no read-write permission: identity still comes from a query open
    Bus->Plug(locked);
    THidSimulatedDeviceConfig broken = Named("Broken");
    broken.FailQuery = true;
    Bus->Plug(broken);
    auto controller = Start();

    ASSERT_EQ(controller->Devices().size(), 3u);
    EXPECT_EQ(controller->Devices()[0]->ProductName(), "");
    EXPECT_EQ(controller->Devices()[0]->VendorName(), "");
    EXPECT_EQ(controller->Devices()[1]->ProductName(), "Locked");
    EXPECT_NE(controller->Devices()[1]->DeviceInstance(), 0u);
    const TJvHidDevice& bare = *controller->Devices()[2];
    EXPECT_EQ(bare.ProductName(), "");
    EXPECT_EQ(bare.DeviceInstance(), 0u);
    EXPECT_EQ(bare.DeviceDescription(), "");
    EXPECT_EQ(bare.Attributes().VendorID, 0);

    TJvHidDevice* device = nullptr;
    EXPECT_FALSE(controller->CheckOutByProductName(device, "Broken"));
    EXPECT_EQ(device, nullptr);
    // The locked device checks out but cannot be opened for I/O.
    ASSERT_TRUE(controller->CheckOutByProductName(device, "Locked"));
    EXPECT_FALSE(device->OpenFile());
    uint32_t count = 0;
    uint8_t buffer[9] = {};
    EXPECT_FALSE(device->ReadFile(buffer, 9, count));
    controller->CheckIn(device);
}

TEST_F(THidDeviceTest, IoNeedsTheDeviceCheckedOutOrBeingEnumerated)
{
    auto ball = Bus->PlugGripBall();
    ball->QueueInput({0, 40});
    auto controller = Start();
    TJvHidDevice* device = controller->Devices()[0];

    uint8_t buffer[9] = {};
    uint32_t count = 0;
    EXPECT_FALSE(device->Accessible());
    EXPECT_FALSE(device->OpenFile());
    EXPECT_FALSE(device->ReadFile(buffer, 9, count));
    EXPECT_FALSE(device->WriteFile(buffer, 2, count));
    EXPECT_FALSE(device->FlushQueue());
    EXPECT_FALSE(device->GetFeature(buffer, 9));
    EXPECT_FALSE(device->SetFeature(buffer, 9));
    EXPECT_FALSE(device->DeviceIoControl(0, nullptr, 0, nullptr, 0, count));
    EXPECT_EQ(ball->OpenHandles(), 0);
    EXPECT_EQ(ball->Reads(), 0);
    EXPECT_EQ(ball->QueuedReports(), 1u);

    TJvHidDevice* taken = nullptr;
    ASSERT_TRUE(controller->CheckOut(taken));
    ASSERT_EQ(taken, device);
    EXPECT_TRUE(device->OpenFile());
    EXPECT_TRUE(device->OpenFile());
    EXPECT_EQ(ball->OpenHandles(), 1);  // the second call kept the first handle
    EXPECT_EQ(device->NumInputBuffers(), 64u);
    ASSERT_TRUE(device->ReadFile(buffer, 9, count));
    EXPECT_EQ(count, 2u);
    EXPECT_EQ(buffer[1], 40);
    device->CloseFile();
    EXPECT_EQ(ball->OpenHandles(), 0);
    EXPECT_EQ(device->NumInputBuffers(), 0u);
    controller->CheckIn(taken);
}

TEST_F(THidDeviceTest, ReadsNeverOverrunTheCallersBufferAndNeverWaitWhenAskedNotTo)
{
    auto ball = Bus->PlugGripBall();
    auto controller = Start();
    TJvHidDevice* device = nullptr;
    ASSERT_TRUE(controller->CheckOutByProductName(device, "Kneadle Bal"));

    std::vector<uint8_t> longReport(64, 0xAB);
    ball->QueueInput(longReport);
    std::array<uint8_t, 12> buffer;
    buffer.fill(0);
    uint32_t count = 0;
    ASSERT_TRUE(device->ReadFile(buffer.data(), 9, count));
    EXPECT_EQ(count, 9u);
    EXPECT_EQ(buffer[8], 0xAB);
    EXPECT_EQ(buffer[9], 0);

    // A device that stops reporting: the queued read comes back empty at once, every time,
    // while the waiting read gives up as a failure.
    for (int tick = 0; tick < 100; ++tick) {
        ASSERT_TRUE(device->ReadQueuedReport(buffer.data(), 9, count));
        ASSERT_EQ(count, 0u);
    }
    EXPECT_EQ(ball->EmptyReads(), 100);
    EXPECT_FALSE(device->ReadFile(buffer.data(), 9, count));
    EXPECT_THROW(HidCheck(device->ReadFile(buffer.data(), 9, count)), EHidClientError);

    ball->SetForce(17);
    ASSERT_TRUE(device->ReadQueuedReport(buffer.data(), 9, count));
    EXPECT_EQ(count, 9u);
    EXPECT_EQ(buffer[1], 17);
    controller->CheckIn(device);
}

TEST_F(THidDeviceTest, WritesFeaturesAndFailuresReachTheDevice)
{
    auto ball = Bus->PlugGripBall();
    auto controller = Start();
    TJvHidDevice* device = nullptr;
    ASSERT_TRUE(controller->CheckOut(device));

    const uint8_t zeros[2] = {0, 0};
    uint32_t written = 0;
    ASSERT_TRUE(device->WriteFile(zeros, 2, written));
    EXPECT_EQ(written, 2u);
    ASSERT_EQ(ball->WrittenReports().size(), 1u);
    EXPECT_EQ(ball->WrittenReports()[0], (std::vector<uint8_t>{0, 0}));

    const uint8_t feature[3] = {5, 1, 2};
    uint8_t back[3] = {5, 0, 0};
    ASSERT_TRUE(device->SetFeature(feature, 3));
    ASSERT_TRUE(device->GetFeature(back, 3));
    EXPECT_EQ(back[2], 2);

    ball->QueueInput({0, 1});
    ASSERT_TRUE(device->FlushQueue());
    EXPECT_EQ(ball->QueuedReports(), 0u);

    ball->SetFailWrites(true);
    EXPECT_FALSE(device->WriteFile(zeros, 2, written));
    ball->SetFailReads(true);
    ball->SetForce(10);
    uint8_t buffer[9];
    uint32_t count = 0;
    EXPECT_FALSE(device->ReadQueuedReport(buffer, 9, count));
    try {
        HidCheck(device->ReadFile(buffer, 9, count));
        FAIL() << "no error raised";
    } catch (const EHidClientError& error) {
        EXPECT_STREQ(error.what(), "HidClient Error: a boolean function failed");
    }
    EXPECT_NO_THROW(HidCheck(true));
    controller->CheckIn(device);
}

TEST_F(THidDeviceTest, HandleUnplugClosesAndTellsOnce)
{
    auto ball = Bus->PlugGripBall();
    auto controller = Start();
    TJvHidDevice* device = nullptr;
    ASSERT_TRUE(controller->CheckOut(device));
    ASSERT_TRUE(device->OpenFile());
    int calls = 0;
    TJvHidDevice* told = nullptr;
    device->SetOnUnplug([&](TJvHidDevice* HidDev) {
        ++calls;
        told = HidDev;
    });
    device->HandleUnplug();
    device->HandleUnplug();
    EXPECT_EQ(calls, 1);
    EXPECT_EQ(told, device);
    EXPECT_FALSE(device->PluggedIn());
    EXPECT_FALSE(device->IsOpen());
    EXPECT_FALSE(device->OpenFile());  // an unplugged device never opens again
    EXPECT_EQ(ball->OpenHandles(), 0);
    controller->CheckIn(device);
}

TEST_F(THidDeviceTest, DestroyingACheckedOutDeviceLeavesAFreshCopyInItsSlot)
{
    Bus->Plug(Named("First"));
    Bus->PlugGripBall();
    auto controller = Start();
    TJvHidDevice* device = nullptr;
    ASSERT_TRUE(controller->CheckOutByIndex(device, 1));
    const uint64_t instance = device->DeviceInstance();
    EXPECT_EQ(controller->NumCheckedOutDevices(), 1);
    EXPECT_EQ(controller->NumCheckedInDevices(), 1);

    delete device;
    ASSERT_EQ(controller->Devices().size(), 2u);
    const TJvHidDevice* fresh = controller->Devices()[1];
    EXPECT_EQ(fresh->DeviceInstance(), instance);
    EXPECT_EQ(fresh->ProductName(), "Kneadle Bal");
    EXPECT_FALSE(fresh->CheckedOut());
    EXPECT_EQ(controller->NumCheckedOutDevices(), 0);
    EXPECT_EQ(controller->NumCheckedInDevices(), 2);
}

TEST(HidDeviceLanguage, UnknownIdentifiersAreNamedByNumber)
{
    EXPECT_EQ(TJvHidDevice::LanguageName(0x0abc), "unknown Locale ID $0abc");
    EXPECT_EQ(TJvHidDevice::LanguageName(0x0409), "English (United States)");
}
