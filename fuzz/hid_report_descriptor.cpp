#include "hid/HidReportDescriptor.h"

#include <cstdlib>

// Report descriptors come from the device: any bytes at all must parse or be refused,
// and an accepted one must give lengths the kernel could deliver.
extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size)
{
    const THidReportLayout layout = ParseHidReportDescriptor(data, size);
    if (!layout.Valid && (layout.InputReportByteLength || layout.OutputReportByteLength ||
                          layout.FeatureReportByteLength || layout.Error.empty()))
        std::abort();
    if (layout.InputReportByteLength > 16384 || layout.OutputReportByteLength > 16384 ||
        layout.FeatureReportByteLength > 16384)
        std::abort();
    for (size_t i = 0; i < layout.Collections.size(); ++i) {
        const THidLinkCollectionNode& node = layout.Collections[i];
        if (i > 0 && node.Parent >= i)  // a parent always comes before its children
            std::abort();
    }
    return 0;
}
