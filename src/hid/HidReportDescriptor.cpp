#include "hid/HidReportDescriptor.h"

#include <algorithm>
#include <array>

namespace {

// Item tags of the short item format (prefix byte: tag in bits 7..4, type in 3..2, size in 1..0).
enum : uint8_t { TypeMain = 0, TypeGlobal = 1, TypeLocal = 2 };
enum : uint8_t { MainInput = 0x8, MainOutput = 0x9, MainCollection = 0xA, MainFeature = 0xB,
                 MainEndCollection = 0xC };
enum : uint8_t { GlobalUsagePage = 0x0, GlobalReportSize = 0x7, GlobalReportId = 0x8,
                 GlobalReportCount = 0x9, GlobalPush = 0xA, GlobalPop = 0xB };
enum : uint8_t { LocalUsage = 0x0 };
constexpr uint8_t LongItemPrefix = 0xFE;

// The limits the kernel's HID core applies; a descriptor beyond them never gets a hidraw node.
constexpr uint32_t MaxReportSizeBits = 256;
constexpr uint32_t MaxReportCount = 12288;
constexpr uint32_t MaxReportBytes = 16384 - 1;  // one byte of the buffer is the report ID
constexpr size_t MaxGlobalStack = 4;
constexpr size_t MaxCollectionDepth = 256;

struct TGlobals {
    uint32_t UsagePage = 0;
    uint32_t ReportSize = 0;
    uint32_t ReportCount = 0;
    uint32_t ReportId = 0;
};

struct TOpenCollection {
    size_t Node;
    size_t LastChild;  // 0 when none yet; node 0 is never anyone's child
};

THidReportLayout Refuse(const char* why)
{
    THidReportLayout layout;
    layout.Error = why;
    return layout;
}

uint16_t ReportLength(uint32_t bits)
{
    return bits == 0 ? 0 : static_cast<uint16_t>((bits + 7) / 8 + 1);
}

}  // namespace

void THidReportLayout::FillCaps(THidCaps& caps) const
{
    caps.Usage = Usage;
    caps.UsagePage = UsagePage;
    caps.InputReportByteLength = InputReportByteLength;
    caps.OutputReportByteLength = OutputReportByteLength;
    caps.FeatureReportByteLength = FeatureReportByteLength;
    caps.NumberLinkCollectionNodes = static_cast<uint16_t>(Collections.size());
}

THidReportLayout ParseHidReportDescriptor(const uint8_t* data, size_t size)
{
    THidReportLayout layout;
    TGlobals globals;
    std::vector<TGlobals> globalStack;
    std::vector<TOpenCollection> open;
    bool haveUsage = false;
    uint32_t firstUsage = 0;
    bool firstUsageExtended = false;
    // Bits of each report, by kind (input, output, feature) and report ID.
    std::array<std::array<uint32_t, 256>, 3> bits{};

    size_t pos = 0;
    while (pos < size) {
        const uint8_t prefix = data[pos++];
        if (prefix == LongItemPrefix) {
            if (size - pos < 2)
                return Refuse("truncated long item");
            const size_t length = data[pos];
            pos += 2;
            if (size - pos < length)
                return Refuse("truncated long item");
            pos += length;
            continue;
        }
        const size_t length = (prefix & 3) == 3 ? 4 : (prefix & 3);
        if (size - pos < length)
            return Refuse("truncated item");
        uint32_t value = 0;
        for (size_t i = 0; i < length; ++i)
            value |= static_cast<uint32_t>(data[pos + i]) << (8 * i);
        pos += length;
        const uint8_t type = (prefix >> 2) & 3;
        const uint8_t tag = prefix >> 4;

        if (type == TypeGlobal) {
            switch (tag) {
            case GlobalUsagePage: globals.UsagePage = value; break;
            case GlobalReportSize:
                if (value > MaxReportSizeBits)
                    return Refuse("report size too large");
                globals.ReportSize = value;
                break;
            case GlobalReportCount:
                if (value > MaxReportCount)
                    return Refuse("report count too large");
                globals.ReportCount = value;
                break;
            case GlobalReportId:
                if (value == 0 || value > 255)
                    return Refuse("report ID out of range");
                globals.ReportId = value;
                layout.NumberedReports = true;
                break;
            case GlobalPush:
                if (globalStack.size() >= MaxGlobalStack)
                    return Refuse("global stack overflow");
                globalStack.push_back(globals);
                break;
            case GlobalPop:
                if (globalStack.empty())
                    return Refuse("global stack underflow");
                globals = globalStack.back();
                globalStack.pop_back();
                break;
            default: break;
            }
            continue;
        }
        if (type == TypeLocal) {
            if (tag == LocalUsage && !haveUsage) {
                haveUsage = true;
                firstUsage = value;
                firstUsageExtended = length == 4;
            }
            continue;
        }
        if (type != TypeMain)
            continue;  // reserved item type: skipped, as the kernel does

        switch (tag) {
        case MainInput:
        case MainOutput:
        case MainFeature: {
            const int kind = tag == MainInput ? 0 : tag == MainOutput ? 1 : 2;
            uint32_t& total = bits[kind][globals.ReportId];
            total += globals.ReportSize * globals.ReportCount;  // each factor is bounded above
            if (total > MaxReportBytes * 8)
                return Refuse("report too long");
            break;
        }
        case MainCollection: {
            if (open.size() >= MaxCollectionDepth)
                return Refuse("collections nested too deeply");
            THidLinkCollectionNode node;
            node.LinkUsagePage = static_cast<uint16_t>(firstUsageExtended ? firstUsage >> 16 : globals.UsagePage);
            node.LinkUsage = static_cast<uint16_t>(haveUsage ? firstUsage & 0xFFFF : 0);
            node.CollectionType = static_cast<uint8_t>(value);
            const size_t index = layout.Collections.size();
            if (index > 0xFFFF)
                return Refuse("too many collections");
            if (!open.empty()) {
                TOpenCollection& parent = open.back();
                THidLinkCollectionNode& parentNode = layout.Collections[parent.Node];
                node.Parent = static_cast<uint16_t>(parent.Node);
                ++parentNode.NumberOfChildren;
                if (parent.LastChild == 0)
                    parentNode.FirstChild = static_cast<uint16_t>(index);
                else
                    layout.Collections[parent.LastChild].NextSibling = static_cast<uint16_t>(index);
                parent.LastChild = index;
            } else if (index == 0) {
                layout.UsagePage = node.LinkUsagePage;
                layout.Usage = node.LinkUsage;
            }
            layout.Collections.push_back(node);
            open.push_back({index, 0});
            break;
        }
        case MainEndCollection:
            if (open.empty())
                return Refuse("end of a collection that was never opened");
            open.pop_back();
            break;
        default: break;
        }
        // Local items apply to the one main item that follows them.
        haveUsage = false;
        firstUsageExtended = false;
    }
    if (!open.empty())
        return Refuse("collection left open");

    uint32_t longest[3] = {0, 0, 0};
    for (int kind = 0; kind < 3; ++kind)
        for (uint32_t reportBits : bits[kind])
            longest[kind] = std::max(longest[kind], reportBits);
    layout.InputReportByteLength = ReportLength(longest[0]);
    layout.OutputReportByteLength = ReportLength(longest[1]);
    layout.FeatureReportByteLength = ReportLength(longest[2]);
    layout.Valid = true;
    return layout;
}
