// `griptool hid list`: the line format on the simulated bus, and the real back end as built.
#include "GripToolRun.h"
#include "HidCommands.h"

#include "hid/simulated/HidSimulatedBus.h"

#include <gtest/gtest.h>

#include <QDir>

#include <regex>
#include <sstream>

TEST(HidListTest, OneLinePerDeviceWithHexIdsQuotedStringsAndReportLengths)
{
    THidSimulatedBus bus;
    bus.PlugGripBall();
    THidSimulatedDeviceConfig mouse;
    mouse.VendorID = 0x046D;
    mouse.ProductID = 0xC077;
    mouse.Manufacturer = "Logi";
    mouse.Product = "USB Optical Mouse";
    mouse.InputReportByteLength = 5;
    mouse.OutputReportByteLength = 0;
    bus.Plug(mouse);
    THidSimulatedDeviceConfig silent;  // no strings, and one that cannot even be queried
    silent.VendorID = 0x0001;
    bus.Plug(silent);
    THidSimulatedDeviceConfig locked;
    locked.FailQuery = true;
    bus.Plug(locked);

    std::ostringstream out;
    THidCommands::List(bus, out);
    const auto lines = griptool::Lines(out.str());
    const auto& devices = bus.Devices();
    ASSERT_EQ(lines.size(), 4u) << out.str();
    EXPECT_EQ(lines[0], "0 1209:0001 \"Grip Toys\" \"Kneadle Bal\" in=9 out=2 " + devices[0]->Path());
    EXPECT_EQ(lines[1], "1 046d:c077 \"Logi\" \"USB Optical Mouse\" in=5 out=0 " + devices[1]->Path());
    EXPECT_EQ(lines[2], "2 0001:0001 \"\" \"\" in=9 out=2 " + devices[2]->Path());
    EXPECT_EQ(lines[3], "3 0000:0000 \"\" \"\" in=0 out=0 " + devices[3]->Path());
}

TEST(HidListTest, RealBackEndListsThePresentDevicesAndSucceeds)
{
    const auto run = griptool::Tool({"hid", "list"});
    EXPECT_EQ(run.ExitCode, 0) << run.Err;
    const auto lines = griptool::Lines(run.Out);
    const QStringList nodes = QDir("/sys/class/hidraw").entryList(QDir::Dirs | QDir::NoDotAndDotDot);
    if (nodes.isEmpty()) {
        EXPECT_TRUE(lines.empty()) << run.Out;
    }
    const std::regex format(R"(\d+ [0-9a-f]{4}:[0-9a-f]{4} ".*" ".*" in=\d+ out=\d+ /\S+)");
    for (const auto& line : lines)
        EXPECT_TRUE(std::regex_match(line, format)) << line;
}
