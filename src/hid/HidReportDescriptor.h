#pragma once

#include "hid/HidBackend.h"

#include <cstddef>
#include <cstdint>
#include <string>
#include <vector>

// What the device's report descriptor says about its reports, enough to size reads and
// writes and fill the capability record.
struct THidReportLayout {
    bool Valid = false;
    std::string Error;          // why the descriptor was refused, when not Valid
    bool NumberedReports = false;  // some Report ID item was seen
    uint16_t UsagePage = 0;     // of the first top-level collection
    uint16_t Usage = 0;
    // Longest report of each kind in bytes, the report-ID byte included; 0 when the device
    // has no report of that kind.
    uint16_t InputReportByteLength = 0;
    uint16_t OutputReportByteLength = 0;
    uint16_t FeatureReportByteLength = 0;
    std::vector<THidLinkCollectionNode> Collections;

    void FillCaps(THidCaps& caps) const;
};

// Parses a report descriptor as the kernel's HID core would accept it: items must be
// complete, collections balanced, report IDs 1..255, report sizes at most 256 bits and
// every report at most 16384 bytes. A refused descriptor gives Valid false and zero lengths.
THidReportLayout ParseHidReportDescriptor(const uint8_t* data, size_t size);

inline THidReportLayout ParseHidReportDescriptor(const std::vector<uint8_t>& data)
{
    return ParseHidReportDescriptor(data.data(), data.size());
}
