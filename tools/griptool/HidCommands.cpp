#include "HidCommands.h"

#include "hid/HidBackend.h"
#include "platform/Exception.h"

#include <QString>

namespace {

std::string Text(bool ok, const std::u16string& text)
{
    return ok ? QString::fromStdU16String(text).toStdString() : std::string();
}

} // namespace

namespace THidCommands {

void List(THidBackend& backend, std::ostream& out)
{
    int index = 0;
    for (const THidInterfaceInfo& info : backend.ListInterfaces()) {
        THidAttributes attributes;
        THidCaps caps;
        std::string vendor, product;
        if (const auto handle = backend.Open(info.Path, THidAccess::QueryOnly)) {
            if (!handle->GetAttributes(attributes))
                attributes = {};
            if (!handle->GetCaps(caps))
                caps = {};
            std::u16string text;
            vendor = Text(handle->GetManufacturerString(text), text);
            text.clear();
            product = Text(handle->GetProductString(text), text);
        }
        out << Format("%d %04x:%04x \"%s\" \"%s\" in=%u out=%u %s\n", index++, attributes.VendorID,
                      attributes.ProductID, vendor.c_str(), product.c_str(), unsigned(caps.InputReportByteLength),
                      unsigned(caps.OutputReportByteLength), info.Path.c_str());
    }
}

} // namespace THidCommands
