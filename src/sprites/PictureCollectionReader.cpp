#include "sprites/PictureCollectionReader.h"

#include "platform/ByteReader.h"
#include "sprites/PictureCollection.h"

#include <QString>

#include <algorithm>
#include <cctype>
#include <cstring>

namespace {

enum : uint8_t {
    vaNull = 0, vaList = 1, vaInt8 = 2, vaInt16 = 3, vaInt32 = 4, vaString = 6, vaIdent = 7,
    vaFalse = 8, vaTrue = 9, vaBinary = 10, vaLString = 12, vaNil = 13, vaCollection = 14,
    vaWString = 18, vaUTF8String = 20,
};

// A fault already reported with its object and property; outer properties pass it on as is.
class EPropertyReadError : public EPictureCollectionError {
public:
    using EPictureCollectionError::EPictureCollectionError;
};

[[noreturn]] void InvalidValue()
{
    throw EPictureCollectionError("Invalid property value");
}

bool IsIntegerTag(uint8_t tag)
{
    return tag == vaInt8 || tag == vaInt16 || tag == vaInt32;
}

int32_t ReadInteger(TByteReader& r)
{
    switch (r.U8()) {
    case vaInt8: return r.I8();
    case vaInt16: return r.I16();
    case vaInt32: return r.I32();
    default: InvalidValue();
    }
}

bool SameText(const std::string& a, const char* b)
{
    if (a.size() != std::strlen(b))
        return false;
    for (size_t i = 0; i < a.size(); ++i)
        if (std::tolower(static_cast<unsigned char>(a[i])) != std::tolower(static_cast<unsigned char>(b[i])))
            return false;
    return true;
}

bool ReadBoolean(TByteReader& r)
{
    switch (r.U8()) {
    case vaFalse: return false;
    case vaTrue: return true;
    case vaIdent: {
        const std::string ident = r.ShortString();
        if (SameText(ident, "False"))
            return false;
        if (SameText(ident, "True"))
            return true;
        InvalidValue();
    }
    default: InvalidValue();
    }
}

std::string ReadString(TByteReader& r)
{
    switch (r.U8()) {
    case vaString: return r.ShortString();
    case vaLString: {
        auto b = r.Take(r.U32());
        return std::string(b.begin(), b.end());
    }
    case vaWString: {
        const uint64_t units = r.U32();
        auto b = r.Take(units * 2);
        std::u16string text(size_t(units), u'\0');
        for (size_t i = 0; i < text.size(); ++i)
            text[i] = char16_t(b[2 * i] | (b[2 * i + 1] << 8));
        return QString::fromStdU16String(text).toStdString();
    }
    case vaUTF8String: {
        auto b = r.Take(r.U32());
        return std::string(b.begin(), b.end());
    }
    default: InvalidValue();
    }
}

std::span<const uint8_t> ReadBinary(TByteReader& r)
{
    if (r.U8() != vaBinary)
        InvalidValue();
    return r.Take(r.U32());
}

uint32_t ReadColor(TByteReader& r)
{
    if (r.Peek() == vaIdent) {
        r.U8();
        uint32_t value = 0;
        if (!TPictureCollectionColors::ByName(r.ShortString(), value))
            InvalidValue();
        return value;
    }
    return uint32_t(ReadInteger(r));
}

// Runs one property's reading; any fault but an already reported one is reported with the
// object and property it happened in.
template <typename F>
void WithinProperty(const std::string& objectName, const std::string& property, F&& read)
{
    try {
        read();
    } catch (const EPropertyReadError&) {
        throw;
    } catch (const std::exception& e) {
        throw EPropertyReadError(
            Format("Error reading %s%s%s: %s", objectName.c_str(), ".", property.c_str(), e.what()));
    }
}

} // namespace

void TPictureCollectionComponent::ReadFromBytes(std::span<const uint8_t> data)
{
    // Resource header: 0xFF, type 10, a zero-terminated name of at most 76 characters,
    // memory flags and data size.
    if (data.size() < 3 || data[0] != 0xFF || (data[1] | (data[2] << 8)) != 10)
        throw EPictureCollectionError("Invalid stream format");
    const auto head = data.first(std::min<size_t>(data.size(), 79));
    const auto zero = std::find(head.begin() + 3, head.end(), uint8_t(0));
    if (zero == head.end())
        throw EPictureCollectionError("Invalid stream format");
    const size_t streamStart = size_t(zero - head.begin()) - 3 + 10;
    if (streamStart + 4 > data.size() || std::memcmp(data.data() + streamStart, "TPF0", 4) != 0)
        throw EPictureCollectionError("Invalid stream format");

    TByteReader r(data.subspan(streamStart + 4));
    const uint8_t prefix = r.Peek();
    if ((prefix & 0xF0) == 0xF0) {
        r.U8();
        if (prefix & 0x02) {
            if (!IsIntegerTag(r.Peek()))
                throw EPictureCollectionError("Invalid stream format");
            ReadInteger(r);
        }
    }
    r.ShortString(); // class name
    std::string objectName = r.ShortString();
    if (objectName.empty())
        objectName = "TPictureCollectionComponent";
    while (r.Peek() != vaNull)
        ReadProperty(r, objectName);
    r.U8();
    // The component owns no child objects.
    if (r.U8() != vaNull)
        throw EPictureCollectionError("Invalid stream format");
}

void TPictureCollectionComponent::ReadProperty(TByteReader& r, const std::string& objectName)
{
    const std::string name = r.ShortString();
    WithinProperty(objectName, name, [&] {
        if (name == "List.ColorTable") {
            auto table = ReadBinary(r);
            if (table.size() < List->ColorTable.size())
                throw EStreamReadError();
            std::copy_n(table.begin(), List->ColorTable.size(), List->ColorTable.begin());
        } else if (name == "List") {
            if (r.U8() != vaCollection)
                InvalidValue();
            ReadCollection(r);
        } else if (name == "Tag") {
            ReadInteger(r);
        } else {
            throw EPictureCollectionError(Format("Property %s does not exist", name.c_str()));
        }
    });
}

void TPictureCollectionComponent::ReadCollection(TByteReader& r)
{
    while (r.Peek() != vaNull) {
        if (IsIntegerTag(r.Peek()))
            ReadInteger(r); // the item's order number; the file order rules
        if (r.U8() != vaList)
            InvalidValue();
        TPictureCollectionItem* item = List->Add();
        while (r.Peek() != vaNull)
            ReadItemProperty(r, *item);
        r.U8();
    }
    r.U8();
}

void TPictureCollectionComponent::ReadItemProperty(TByteReader& r, TPictureCollectionItem& item)
{
    const std::string name = r.ShortString();
    WithinProperty("TPictureCollectionItem", name, [&] {
        if (name == "Name")
            item.SetName(ReadString(r));
        else if (name == "PatternHeight")
            item.PatternHeight = ReadInteger(r);
        else if (name == "PatternWidth")
            item.PatternWidth = ReadInteger(r);
        else if (name == "SkipHeight")
            item.SkipHeight = ReadInteger(r);
        else if (name == "SkipWidth")
            item.SkipWidth = ReadInteger(r);
        else if (name == "SystemMemory")
            item.SystemMemory = ReadBoolean(r);
        else if (name == "Transparent")
            item.Transparent = ReadBoolean(r);
        else if (name == "TransparentColor")
            item.SetTransparentColor(ReadColor(r));
        else if (name == "Picture.Data")
            item.Picture().LoadFromRecord(ReadBinary(r));
        else
            throw EPictureCollectionError(Format("Property %s does not exist", name.c_str()));
    });
}
