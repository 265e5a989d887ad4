#include "hid/HidReportDescriptor.h"

#include <gtest/gtest.h>

#include <vector>

namespace {

// Descriptors as the devices send them, item by item.
const std::vector<uint8_t> BootMouse = {
    0x05, 0x01,  // Usage Page (Generic Desktop)
    0x09, 0x02,  // Usage (Mouse)
    0xA1, 0x01,  // Collection (Application)
    0x09, 0x01,  //   Usage (Pointer)
    0xA1, 0x00,  //   Collection (Physical)
    0x05, 0x09,  //     Usage Page (Button)
    0x19, 0x01,  //     Usage Minimum (1)
    0x29, 0x03,  //     Usage Maximum (3)
    0x15, 0x00,  //     Logical Minimum (0)
    0x25, 0x01,  //     Logical Maximum (1)
    0x95, 0x03,  //     Report Count (3)
    0x75, 0x01,  //     Report Size (1)
    0x81, 0x02,  //     Input (Data, Variable, Absolute)
    0x95, 0x01,  //     Report Count (1)
    0x75, 0x05,  //     Report Size (5)
    0x81, 0x01,  //     Input (Constant)
    0x05, 0x01,  //     Usage Page (Generic Desktop)
    0x09, 0x30,  //     Usage (X)
    0x09, 0x31,  //     Usage (Y)
    0x15, 0x81,  //     Logical Minimum (-127)
    0x25, 0x7F,  //     Logical Maximum (127)
    0x75, 0x08,  //     Report Size (8)
    0x95, 0x02,  //     Report Count (2)
    0x81, 0x06,  //     Input (Data, Variable, Relative)
    0xC0,        //   End Collection
    0xC0,        // End Collection
};

const std::vector<uint8_t> BootKeyboard = {
    0x05, 0x01, 0x09, 0x06, 0xA1, 0x01,  // Generic Desktop, Keyboard, Application
    0x05, 0x07, 0x19, 0xE0, 0x29, 0xE7,  // Key codes: modifiers E0..E7
    0x15, 0x00, 0x25, 0x01, 0x75, 0x01, 0x95, 0x08, 0x81, 0x02,  // 8 x 1 bit input
    0x95, 0x01, 0x75, 0x08, 0x81, 0x01,                          // reserved byte
    0x95, 0x05, 0x75, 0x01, 0x05, 0x08, 0x19, 0x01, 0x29, 0x05, 0x91, 0x02,  // 5 LEDs output
    0x95, 0x01, 0x75, 0x03, 0x91, 0x01,                                      // LED padding
    0x95, 0x06, 0x75, 0x08, 0x15, 0x00, 0x25, 0x65, 0x05, 0x07, 0x19, 0x00, 0x29, 0x65,
    0x81, 0x00,  // 6 key codes, array
    0xC0,
};

const std::vector<uint8_t> Gamepad = {
    0x05, 0x01, 0x09, 0x05, 0xA1, 0x01,  // Generic Desktop, Game Pad, Application
    0x15, 0x00, 0x25, 0x01, 0x35, 0x00, 0x45, 0x01,  // logical and physical 0..1
    0x75, 0x01, 0x95, 0x10, 0x05, 0x09, 0x19, 0x01, 0x29, 0x10, 0x81, 0x02,  // 16 buttons
    0x05, 0x01, 0x26, 0xFF, 0x00, 0x46, 0xFF, 0x00,  // logical and physical 0..255
    0x09, 0x30, 0x09, 0x31, 0x09, 0x32, 0x09, 0x35,  // X, Y, Z, Rz
    0x75, 0x08, 0x95, 0x04, 0x81, 0x02,  // 4 x 8 bit input
    0xC0,
};

// A vendor-defined device with 2-byte input reports and a 1-byte output report.
const std::vector<uint8_t> VendorTwoByte = {
    0x06, 0x00, 0xFF,  // Usage Page (Vendor 0xFF00)
    0x09, 0x01,        // Usage (1)
    0xA1, 0x01,        // Collection (Application)
    0x15, 0x00, 0x26, 0xFF, 0x00, 0x75, 0x08,  // bytes 0..255
    0x95, 0x02, 0x09, 0x01, 0x81, 0x02,  // 2 bytes input
    0x95, 0x01, 0x09, 0x02, 0x91, 0x02,  // 1 byte output
    0xC0,
};

// Mouse (ID 1), consumer control (ID 2) and a vendor feature report (ID 3) in one device.
const std::vector<uint8_t> NumberedReports = {
    0x05, 0x01, 0x09, 0x02, 0xA1, 0x01,  // Generic Desktop, Mouse, Application
    0x85, 0x01,                          //   Report ID (1)
    0x09, 0x01, 0xA1, 0x00,              //   Pointer, Physical
    0x05, 0x09, 0x19, 0x01, 0x29, 0x05, 0x15, 0x00, 0x25, 0x01, 0x95, 0x05, 0x75, 0x01,
    0x81, 0x02,                          //     5 buttons
    0x95, 0x01, 0x75, 0x03, 0x81, 0x01,  //     padding
    0x05, 0x01, 0x09, 0x30, 0x09, 0x31, 0x09, 0x38, 0x15, 0x81, 0x25, 0x7F, 0x75, 0x08,
    0x95, 0x03, 0x81, 0x06,  //     X, Y, Wheel
    0xC0, 0xC0,
    0x05, 0x0C, 0x09, 0x01, 0xA1, 0x01,  // Consumer, Consumer Control, Application
    0x85, 0x02,                          //   Report ID (2)
    0x15, 0x00, 0x26, 0xFF, 0x03, 0x19, 0x00, 0x2A, 0xFF, 0x03, 0x75, 0x10, 0x95, 0x01,
    0x81, 0x00,  //   one 16-bit usage
    0xC0,
    0x06, 0x00, 0xFF, 0x09, 0x01, 0xA1, 0x01,  // Vendor, Application
    0x85, 0x03,                                //   Report ID (3)
    0x15, 0x00, 0x26, 0xFF, 0x00, 0x75, 0x08, 0x95, 0x07, 0x09, 0x01, 0xB1, 0x02,  // 7-byte feature
    0xC0,
};

THidReportLayout Parse(const std::vector<uint8_t>& bytes)
{
    return ParseHidReportDescriptor(bytes);
}

}  // namespace

TEST(HidReportDescriptor, CommonDevicesGetTheLengthsTheyReportWithTheReportIdByte)
{
    struct TCase {
        const char* Name;
        const std::vector<uint8_t>& Bytes;
        uint16_t UsagePage, Usage, Input, Output, Feature;
        bool Numbered;
    };
    const TCase cases[] = {
        {"boot mouse", BootMouse, 0x01, 0x02, 4, 0, 0, false},
        {"boot keyboard", BootKeyboard, 0x01, 0x06, 9, 2, 0, false},
        {"gamepad", Gamepad, 0x01, 0x05, 7, 0, 0, false},
        {"vendor 2-byte", VendorTwoByte, 0xFF00, 0x01, 3, 2, 0, false},
        // The longest input report (mouse, 4 bytes) decides; the consumer report is 2.
        {"numbered", NumberedReports, 0x01, 0x02, 5, 0, 8, true},
    };
    for (const TCase& c : cases) {
        SCOPED_TRACE(c.Name);
        const THidReportLayout layout = Parse(c.Bytes);
        ASSERT_TRUE(layout.Valid) << layout.Error;
        EXPECT_EQ(layout.UsagePage, c.UsagePage);
        EXPECT_EQ(layout.Usage, c.Usage);
        EXPECT_EQ(layout.InputReportByteLength, c.Input);
        EXPECT_EQ(layout.OutputReportByteLength, c.Output);
        EXPECT_EQ(layout.FeatureReportByteLength, c.Feature);
        EXPECT_EQ(layout.NumberedReports, c.Numbered);
    }
}

TEST(HidReportDescriptor, CollectionsBecomeLinkedNodesAndFillTheCaps)
{
    const THidReportLayout layout = Parse(NumberedReports);
    ASSERT_EQ(layout.Collections.size(), 4u);
    const auto& mouse = layout.Collections[0];
    const auto& pointer = layout.Collections[1];
    EXPECT_EQ(mouse.LinkUsagePage, 0x01);
    EXPECT_EQ(mouse.LinkUsage, 0x02);
    EXPECT_EQ(mouse.CollectionType, 1);
    EXPECT_EQ(mouse.NumberOfChildren, 1);
    EXPECT_EQ(mouse.FirstChild, 1);
    EXPECT_EQ(pointer.Parent, 0);
    EXPECT_EQ(pointer.LinkUsage, 0x01);
    EXPECT_EQ(pointer.CollectionType, 0);
    EXPECT_EQ(layout.Collections[2].LinkUsagePage, 0x0C);
    EXPECT_EQ(layout.Collections[3].LinkUsagePage, 0xFF00);

    THidCaps caps;
    layout.FillCaps(caps);
    EXPECT_EQ(caps.InputReportByteLength, 5);
    EXPECT_EQ(caps.FeatureReportByteLength, 8);
    EXPECT_EQ(caps.NumberLinkCollectionNodes, 4);
}

TEST(HidReportDescriptor, ChildrenOfOneCollectionAreChainedAsSiblings)
{
    const std::vector<uint8_t> bytes = {
        0x05, 0x01, 0x09, 0x04, 0xA1, 0x01,  // Joystick application
        0x09, 0x30, 0xA1, 0x00, 0xC0,        //   first physical child
        0x09, 0x31, 0xA1, 0x02, 0xC0,        //   second, logical
        0xC0,
    };
    const THidReportLayout layout = Parse(bytes);
    ASSERT_TRUE(layout.Valid);
    ASSERT_EQ(layout.Collections.size(), 3u);
    EXPECT_EQ(layout.Collections[0].NumberOfChildren, 2);
    EXPECT_EQ(layout.Collections[0].FirstChild, 1);
    EXPECT_EQ(layout.Collections[1].NextSibling, 2);
    EXPECT_EQ(layout.Collections[2].NextSibling, 0);
    EXPECT_EQ(layout.Collections[2].CollectionType, 2);
    EXPECT_EQ(layout.InputReportByteLength, 0);
}

TEST(HidReportDescriptor, PushPopLongItemsAndExtendedUsagesAreHonoured)
{
    const std::vector<uint8_t> bytes = {
        0x0B, 0x01, 0x00, 0x0D, 0xFF,  // Usage (page 0xFF0D, usage 1) as one 4-byte item
        0xA1, 0x01,
        0x75, 0x08, 0x95, 0x04,        // 4 x 8 bits
        0xA4,                          // Push
        0x75, 0x01, 0x95, 0x01,        // 1 x 1 bit
        0x81, 0x02,
        0xB4,                          // Pop: back to 4 x 8 bits
        0xFE, 0x02, 0x10, 0xAA, 0xBB,  // a long item, skipped whole
        0x81, 0x02,
        0xC0,
    };
    const THidReportLayout layout = Parse(bytes);
    ASSERT_TRUE(layout.Valid) << layout.Error;
    EXPECT_EQ(layout.UsagePage, 0xFF0D);
    EXPECT_EQ(layout.Usage, 0x01);
    // 1 bit + 32 bits = 5 bytes, plus the report ID.
    EXPECT_EQ(layout.InputReportByteLength, 6);
}

TEST(HidReportDescriptor, EmptyDescriptorHasNoReports)
{
    const THidReportLayout layout = ParseHidReportDescriptor(nullptr, 0);
    EXPECT_TRUE(layout.Valid);
    EXPECT_EQ(layout.InputReportByteLength, 0);
    EXPECT_TRUE(layout.Collections.empty());
}

TEST(HidReportDescriptor, MalformedDescriptorsAreRefusedWithZeroLengths)
{
    struct TCase {
        const char* Name;
        std::vector<uint8_t> Bytes;
    };
    const TCase cases[] = {
        {"item cut short", {0x05, 0x01, 0xA1, 0x01, 0x75, 0x08, 0x95, 0x02, 0x81, 0x02, 0xC0, 0x26, 0xFF}},
        {"long item cut short", {0xFE, 0x05, 0x10, 0x01}},
        {"long item without header", {0xFE, 0x05}},
        {"end without collection", {0x75, 0x08, 0x95, 0x01, 0x81, 0x02, 0xC0}},
        {"collection left open", {0xA1, 0x01, 0x75, 0x08, 0x95, 0x01, 0x81, 0x02}},
        {"report ID 0", {0x85, 0x00, 0x75, 0x08, 0x95, 0x01, 0x81, 0x02}},
        {"report ID above 255", {0x86, 0x00, 0x01, 0x75, 0x08, 0x95, 0x01, 0x81, 0x02}},
        {"report size above 256", {0x76, 0x01, 0x01, 0x95, 0x01, 0x81, 0x02}},
        {"report count too large", {0x75, 0x01, 0x97, 0x00, 0x00, 0x01, 0x00, 0x81, 0x02}},
        {"pop without push", {0xB4}},
        {"push overflow", {0xA4, 0xA4, 0xA4, 0xA4, 0xA4}},
        // 256 bits x 12288 = 393216 bytes, far beyond what the kernel accepts.
        {"report too long", {0x76, 0x00, 0x01, 0x96, 0x00, 0x30, 0x81, 0x02}},
    };
    for (const TCase& c : cases) {
        SCOPED_TRACE(c.Name);
        const THidReportLayout layout = Parse(c.Bytes);
        EXPECT_FALSE(layout.Valid);
        EXPECT_FALSE(layout.Error.empty());
        EXPECT_EQ(layout.InputReportByteLength, 0);
        EXPECT_EQ(layout.OutputReportByteLength, 0);
    }
}

TEST(HidReportDescriptor, ReportsAddUpAcrossItemsOfTheSameIdOnly)
{
    // Two input items for ID 1 (3 + 2 bytes) and one of 6 bytes for ID 2: the longest is 6.
    const std::vector<uint8_t> bytes = {
        0xA1, 0x01, 0x75, 0x08,
        0x85, 0x01, 0x95, 0x03, 0x81, 0x02, 0x95, 0x02, 0x81, 0x02,
        0x85, 0x02, 0x95, 0x06, 0x81, 0x02,
        0x85, 0x01, 0x95, 0x02, 0x81, 0x02,  // ID 1 again: now 7 bytes
        0xC0,
    };
    const THidReportLayout layout = Parse(bytes);
    ASSERT_TRUE(layout.Valid);
    EXPECT_EQ(layout.InputReportByteLength, 8);
}
