#include "sprites/ImageWriter.h"

#include "platform/ByteWriter.h"
#include "sprites/PictureCollectionColors.h"

namespace {

void WriteInteger(TByteWriter& w, int32_t v)
{
    if (v >= -128 && v <= 127) {
        w.U8(2);
        w.U8(uint8_t(int8_t(v)));
    } else if (v >= -32768 && v <= 32767) {
        w.U8(3);
        w.U16(uint16_t(int16_t(v)));
    } else {
        w.U8(4);
        w.I32(v);
    }
}

void WriteString(TByteWriter& w, const std::string& s)
{
    if (s.size() <= 255) {
        w.U8(6);
        w.ShortString(s);
    } else {
        w.U8(12);
        w.U32(uint32_t(s.size()));
        w.Append(s);
    }
}

void WriteBinary(TByteWriter& w, std::span<const uint8_t> data)
{
    w.U8(10);
    w.U32(uint32_t(data.size()));
    w.Append(data);
}

void WriteColor(TByteWriter& w, uint32_t color)
{
    const std::string name = TPictureCollectionColors::NameOf(color);
    if (!name.empty()) {
        w.U8(7);
        w.ShortString(name);
    } else {
        WriteInteger(w, int32_t(color));
    }
}

} // namespace

std::vector<uint8_t> TImageWriter::PictureRecord(const std::string& graphicClass, std::span<const uint8_t> data)
{
    TByteWriter w;
    w.ShortString(graphicClass);
    w.Append(data);
    return std::move(w.Bytes());
}

std::vector<uint8_t> TImageWriter::Write(const std::vector<TImageWriterItem>& items,
                                         const std::array<uint8_t, 1024>& colorTable, const std::string& objectName)
{
    TByteWriter body;
    body.Append(std::string("TPF0"));
    body.ShortString("TPictureCollectionComponent");
    body.ShortString(objectName);
    body.ShortString("List.ColorTable");
    WriteBinary(body, colorTable);
    body.ShortString("List");
    body.U8(14);
    for (const auto& item : items) {
        body.U8(1);
        body.ShortString("Name");
        WriteString(body, item.Name);
        body.ShortString("PatternHeight");
        WriteInteger(body, item.PatternHeight);
        body.ShortString("PatternWidth");
        WriteInteger(body, item.PatternWidth);
        if (!item.PictureRecord.empty()) {
            body.ShortString("Picture.Data");
            WriteBinary(body, item.PictureRecord);
        }
        if (item.SkipHeight != 0) {
            body.ShortString("SkipHeight");
            WriteInteger(body, item.SkipHeight);
        }
        if (item.SkipWidth != 0) {
            body.ShortString("SkipWidth");
            WriteInteger(body, item.SkipWidth);
        }
        body.ShortString("SystemMemory");
        body.U8(item.SystemMemory ? 9 : 8);
        body.ShortString("Transparent");
        body.U8(item.Transparent ? 9 : 8);
        body.ShortString("TransparentColor");
        WriteColor(body, item.TransparentColor);
        body.U8(0);
    }
    body.U8(0); // end of the collection
    body.U8(0); // end of the properties
    body.U8(0); // no child objects

    const std::string resourceName = "TPICTURECOLLECTIONCOMPONENT";
    TByteWriter file;
    file.Bytes().reserve(body.Bytes().size() + resourceName.size() + 10);
    file.U8(0xFF);
    file.U16(10);
    file.Append(resourceName);
    file.U8(0);
    file.U16(0x1030);
    file.U32(uint32_t(body.Bytes().size()));
    file.Append(body.Bytes());
    return std::move(file.Bytes());
}
