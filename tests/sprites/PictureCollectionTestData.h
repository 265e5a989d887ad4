#pragma once

#include "platform/ByteWriter.h"

#include <cstdint>
#include <functional>
#include <string>
#include <vector>

// Byte builders for hand-made records and picture-collection files.
namespace testdata {

inline std::vector<uint8_t> Header40(int32_t width, int32_t height, int bits, uint32_t compression = 0,
                                     uint32_t imageSize = 0, uint32_t colorsUsed = 0)
{
    TByteWriter w;
    w.U32(40);
    w.I32(width);
    w.I32(height);
    w.U16(1);
    w.U16(uint16_t(bits));
    w.U32(compression);
    w.U32(imageSize);
    w.U32(0);
    w.U32(0);
    w.U32(colorsUsed);
    w.U32(0);
    return w.Bytes();
}

inline void Append(std::vector<uint8_t>& to, const std::vector<uint8_t>& more)
{
    to.insert(to.end(), more.begin(), more.end());
}

inline std::vector<uint8_t> Record(const std::string& graphicClass, const std::vector<uint8_t>& data)
{
    TByteWriter w;
    w.ShortString(graphicClass);
    w.Append(data);
    return w.Bytes();
}

// A component stream writer: property names and tagged values.
class TStream {
public:
    TStream& Name(const std::string& s) { W.ShortString(s); return *this; }
    TStream& Byte(uint8_t b) { W.U8(b); return *this; }
    TStream& Int8(int8_t v) { W.U8(2); W.U8(uint8_t(v)); return *this; }
    TStream& Int16(int16_t v) { W.U8(3); W.U16(uint16_t(v)); return *this; }
    TStream& Int32(int32_t v) { W.U8(4); W.I32(v); return *this; }
    TStream& Str(const std::string& s) { W.U8(6); W.ShortString(s); return *this; }
    TStream& LStr(const std::string& s) { W.U8(12); W.U32(uint32_t(s.size())); W.Append(s); return *this; }
    TStream& WStr(const std::u16string& s)
    {
        W.U8(18);
        W.U32(uint32_t(s.size()));
        for (char16_t c : s)
            W.U16(uint16_t(c));
        return *this;
    }
    TStream& Utf8(const std::string& s) { W.U8(20); W.U32(uint32_t(s.size())); W.Append(s); return *this; }
    TStream& Ident(const std::string& s) { W.U8(7); W.ShortString(s); return *this; }
    TStream& Bool(bool v) { W.U8(v ? 9 : 8); return *this; }
    TStream& Binary(const std::vector<uint8_t>& b) { W.U8(10); W.U32(uint32_t(b.size())); W.Append(b); return *this; }
    TStream& Raw(const std::vector<uint8_t>& b) { W.Append(b); return *this; }
    TByteWriter W;
};

// A whole file: resource header, "TPF0", the component with the given properties (a List
// collection holding the given items is added when items is set).
inline std::vector<uint8_t> File(const std::function<void(TStream&)>& properties, const std::string& objectName = "")
{
    TStream s;
    s.W.Append(std::string("TPF0"));
    s.Name("TPictureCollectionComponent").Name(objectName);
    properties(s);
    s.Byte(0).Byte(0);
    TByteWriter f;
    f.U8(0xFF);
    f.U16(10);
    f.Append(std::string("DXG"));
    f.U8(0);
    f.U16(0x1030);
    f.U32(uint32_t(s.W.Bytes().size()));
    f.Append(s.W.Bytes());
    return f.Bytes();
}

// A List holding items, each written by one function.
inline std::function<void(TStream&)> List(const std::vector<std::function<void(TStream&)>>& items)
{
    return [items](TStream& s) {
        s.Name("List").Byte(14);
        for (const auto& item : items) {
            s.Byte(1);
            item(s);
            s.Byte(0);
        }
        s.Byte(0);
    };
}

// A 24-bit record of the given size where every pixel has colour (x, y) -> 0x00RRGGBB.
inline std::vector<uint8_t> Dib24(int w, int h, const std::function<uint32_t(int, int)>& colour)
{
    auto bytes = Header40(w, h, 24);
    const int stride = ((w * 24 + 31) / 32) * 4;
    for (int row = 0; row < h; ++row) {
        const int y = h - 1 - row;
        std::vector<uint8_t> line(size_t(stride), 0);
        for (int x = 0; x < w; ++x) {
            const uint32_t c = colour(x, y);
            line[size_t(3 * x)] = uint8_t(c);
            line[size_t(3 * x + 1)] = uint8_t(c >> 8);
            line[size_t(3 * x + 2)] = uint8_t(c >> 16);
        }
        Append(bytes, line);
    }
    return bytes;
}

} // namespace testdata
