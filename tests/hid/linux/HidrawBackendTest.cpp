#include "hid/HidDeviceController.h"
#include "hid/linux/HidrawBackend.h"

#include <gtest/gtest.h>

#include <QDir>

#include <csignal>
#include <sys/socket.h>
#include <unistd.h>

#include <array>

namespace {

// A datagram socket keeps report boundaries the way a hidraw node does, so the handle's
// read and write paths run on it unchanged; closing the far end stands for unplugging.
class THidrawHandleTest : public ::testing::Test {
protected:
    void SetUp() override
    {
        // Writing to a socket whose far end is closed raises SIGPIPE; a hidraw node does not.
        signal(SIGPIPE, SIG_IGN);
        ASSERT_EQ(socketpair(AF_UNIX, SOCK_SEQPACKET | SOCK_CLOEXEC, 0, FEnds), 0);
    }
    void TearDown() override
    {
        if (FEnds[1] >= 0)
            close(FEnds[1]);
    }

    THidrawHandle Handle(bool numbered)
    {
        THidrawDeviceInfo info;
        info.HaveDescriptor = true;
        info.Layout.Valid = true;
        info.Layout.NumberedReports = numbered;
        info.Layout.InputReportByteLength = 9;
        return THidrawHandle(FEnds[0], info);
    }
    void DeviceSends(std::vector<uint8_t> report)
    {
        ASSERT_EQ(write(FEnds[1], report.data(), report.size()), static_cast<ssize_t>(report.size()));
    }
    void Unplug()
    {
        close(FEnds[1]);
        FEnds[1] = -1;
    }

    int FEnds[2] = {-1, -1};
};

}  // namespace

TEST_F(THidrawHandleTest, UnnumberedReportsGetAZeroReportIdInFront)
{
    THidrawHandle handle = Handle(false);
    DeviceSends({0x37, 0x01, 0x02});
    std::array<uint8_t, 9> buffer{};
    size_t got = 0;
    ASSERT_TRUE(handle.ReadReport(buffer.data(), buffer.size(), got, 0));
    ASSERT_EQ(got, 4u);
    EXPECT_EQ(buffer[0], 0);
    EXPECT_EQ(buffer[1], 0x37);  // the force byte lands where the game reads it
    EXPECT_EQ(buffer[3], 0x02);
}

TEST_F(THidrawHandleTest, NumberedReportsKeepTheirId)
{
    THidrawHandle handle = Handle(true);
    DeviceSends({0x02, 0x10, 0x20});
    std::array<uint8_t, 9> buffer{};
    size_t got = 0;
    ASSERT_TRUE(handle.ReadReport(buffer.data(), buffer.size(), got, 0));
    ASSERT_EQ(got, 3u);
    EXPECT_EQ(buffer[0], 0x02);
    EXPECT_EQ(buffer[1], 0x10);
}

TEST_F(THidrawHandleTest, ALongReportIsCutAtTheBufferAndTheNextReportIsIntact)
{
    THidrawHandle handle = Handle(false);
    std::vector<uint8_t> longReport(40);
    for (size_t i = 0; i < longReport.size(); ++i)
        longReport[i] = static_cast<uint8_t>(i + 1);
    DeviceSends(longReport);
    DeviceSends({0x55});
    std::array<uint8_t, 12> buffer;
    buffer.fill(0xEE);
    size_t got = 0;
    ASSERT_TRUE(handle.ReadReport(buffer.data(), 9, got, 0));
    EXPECT_EQ(got, 9u);
    EXPECT_EQ(buffer[8], 8);
    EXPECT_EQ(buffer[9], 0xEE);  // nothing written past the requested length
    ASSERT_TRUE(handle.ReadReport(buffer.data(), 9, got, 0));
    EXPECT_EQ(got, 2u);
    EXPECT_EQ(buffer[1], 0x55);
}

TEST_F(THidrawHandleTest, NoReportQueuedIsAnEmptySuccessAndAGoneDeviceAFailure)
{
    THidrawHandle handle = Handle(false);
    std::array<uint8_t, 9> buffer{};
    size_t got = 99;
    EXPECT_TRUE(handle.ReadReport(buffer.data(), buffer.size(), got, 0));
    EXPECT_EQ(got, 0u);
    EXPECT_TRUE(handle.ReadReport(buffer.data(), buffer.size(), got, 5));
    EXPECT_EQ(got, 0u);

    // A report sent before the unplug is still delivered, then reads fail, even an
    // unlimited wait.
    DeviceSends({0x09});
    Unplug();
    EXPECT_TRUE(handle.ReadReport(buffer.data(), buffer.size(), got, 0));
    EXPECT_EQ(got, 2u);
    EXPECT_FALSE(handle.ReadReport(buffer.data(), buffer.size(), got, -1));
    EXPECT_EQ(got, 0u);
}

TEST_F(THidrawHandleTest, WritesPassTheReportIdThroughAndFailOnceGone)
{
    THidrawHandle handle = Handle(false);
    const uint8_t report[2] = {0, 0};
    size_t written = 0;
    ASSERT_TRUE(handle.WriteReport(report, 2, written));
    EXPECT_EQ(written, 2u);
    std::array<uint8_t, 8> received{};
    ASSERT_EQ(read(FEnds[1], received.data(), received.size()), 2);
    EXPECT_EQ(received[0], 0);

    EXPECT_FALSE(handle.WriteReport(report, 0, written));
    Unplug();
    EXPECT_FALSE(handle.WriteReport(report, 2, written));
}

TEST_F(THidrawHandleTest, FlushDropsQueuedReports)
{
    THidrawHandle handle = Handle(false);
    DeviceSends({1});
    DeviceSends({2});
    EXPECT_TRUE(handle.FlushQueue());
    std::array<uint8_t, 9> buffer{};
    size_t got = 0;
    EXPECT_TRUE(handle.ReadReport(buffer.data(), buffer.size(), got, 0));
    EXPECT_EQ(got, 0u);
}

TEST(HidrawHandle, QueryOnlyHandleAnswersIdentityButDoesNoIo)
{
    THidrawDeviceInfo info;
    info.Attributes.VendorID = 0x1234;
    info.Product = u"Kneadle Bal";
    THidrawHandle handle(-1, info);
    THidAttributes attributes;
    EXPECT_TRUE(handle.GetAttributes(attributes));
    EXPECT_EQ(attributes.VendorID, 0x1234);
    std::u16string text;
    EXPECT_TRUE(handle.GetProductString(text));
    EXPECT_EQ(text, u"Kneadle Bal");
    EXPECT_FALSE(handle.GetManufacturerString(text));
    THidCaps caps;
    EXPECT_FALSE(handle.GetCaps(caps));  // no descriptor was read
    EXPECT_FALSE(handle.GetLanguageIds().has_value());

    uint8_t buffer[9] = {};
    size_t count = 0;
    uint32_t buffers = 0;
    EXPECT_FALSE(handle.ReadReport(buffer, 9, count, 0));
    EXPECT_FALSE(handle.WriteReport(buffer, 2, count));
    EXPECT_FALSE(handle.GetFeature(buffer, 9));
    EXPECT_FALSE(handle.GetNumInputBuffers(buffers));
    EXPECT_FALSE(handle.IoControl(0, nullptr, 0, nullptr, 0, count));
}

TEST(HidrawBackend, ListsEveryHidrawNodeAndNothingElse)
{
    THidrawBackend backend;
    const std::vector<THidInterfaceInfo> list = backend.ListInterfaces();
    const QStringList nodes = QDir("/sys/class/hidraw").entryList(QDir::Dirs | QDir::NoDotAndDotDot);
    // On a machine without HID devices the list is empty; elsewhere it matches sysfs.
    EXPECT_EQ(list.size(), static_cast<size_t>(nodes.size()));
    for (const THidInterfaceInfo& info : list) {
        EXPECT_EQ(info.Path.rfind("/dev/hidraw", 0), 0u) << info.Path;
        EXPECT_NE(info.Identity, 0u);
    }
}

TEST(HidrawBackend, RefusesPathsThatAreNotHidrawNodes)
{
    THidrawBackend backend;
    EXPECT_EQ(backend.Open("/dev/null", THidAccess::QueryOnly), nullptr);
    EXPECT_EQ(backend.Open("/nonexistent/hidraw0", THidAccess::ReadWrite), nullptr);
    EXPECT_EQ(backend.Open("/tmp", THidAccess::QueryOnly), nullptr);
}

TEST(HidrawBackend, ControllerStartsAndRescansOnTheRealBus)
{
    auto backend = std::make_shared<THidrawBackend>();
    const size_t present = backend->ListInterfaces().size();
    TJvHidDeviceController controller(nullptr, backend);
    EXPECT_EQ(controller.NumCheckedInDevices(), static_cast<int32_t>(present));
    int changes = 0;
    controller.SetOnDeviceChange([&](QObject*) { ++changes; });
    EXPECT_EQ(changes, 1);  // the first assignment runs the handler once
    controller.Rescan();
    EXPECT_EQ(changes, 1);  // nothing came or went
    EXPECT_EQ(controller.Enumerate(), present > 0 ? 1 : 0);
}
