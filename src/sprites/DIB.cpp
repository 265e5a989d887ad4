#include "sprites/DIB.h"

#include "platform/ByteWriter.h"

#include <algorithm>
#include <cstring>
#include <unordered_map>

namespace {

constexpr uint32_t BiRgb = 0, BiRle8 = 1, BiRle4 = 2, BiBitFields = 3;

struct TChannel {
    int Shift = 0;
    int Width = 0;
};

TChannel ChannelOf(uint32_t mask)
{
    TChannel c;
    if (mask == 0)
        return c;
    while (!(mask & 1)) {
        mask >>= 1;
        ++c.Shift;
    }
    while (mask & 1) {
        mask >>= 1;
        ++c.Width;
    }
    return c;
}

// Widens a channel of n bits to 8 by repeating its bits, so full scale stays full scale.
uint8_t Expand(uint32_t v, int n)
{
    if (n <= 0)
        return 0;
    if (n >= 8)
        return uint8_t(v >> (n - 8));
    uint32_t r = 0;
    int bits = 0;
    while (bits < 8) {
        r = (r << n) | v;
        bits += n;
    }
    return uint8_t(r >> (bits - 8));
}

TDIBMasks DefaultMasks(int bitCount)
{
    if (bitCount == 16)
        return {0x7C00, 0x03E0, 0x001F};
    return {0xFF0000, 0x00FF00, 0x0000FF};
}

bool ValidBitCount(int b)
{
    return b == 1 || b == 4 || b == 8 || b == 16 || b == 24 || b == 32;
}

bool ValidChannels(int bitCount, const TDIBMasks& m)
{
    int r = ChannelOf(m.Red).Width, g = ChannelOf(m.Green).Width, b = ChannelOf(m.Blue).Width;
    if (bitCount == 16)
        return r == 5 && b == 5 && (g == 5 || g == 6);
    return r == 8 && g == 8 && b == 8;
}

// Decodes one packed pixel value of a 16-, 24- or 32-bit picture through its masks.
struct TMaskDecoder {
    TChannel R, G, B;
    explicit TMaskDecoder(const TDIBMasks& m) : R(ChannelOf(m.Red)), G(ChannelOf(m.Green)), B(ChannelOf(m.Blue)) {}
    uint32_t operator()(uint32_t v) const
    {
        auto part = [v](const TChannel& c) { return Expand((v >> c.Shift) & ((1u << c.Width) - 1), c.Width); };
        return (uint32_t(part(R)) << 16) | (uint32_t(part(G)) << 8) | part(B);
    }
};

} // namespace

void TDIB::LoadFromBytes(std::span<const uint8_t> data)
{
    TByteReader reader(data);
    LoadFromStream(reader);
}

void TDIB::LoadFromStream(TByteReader& reader)
{
    const bool allowLong = FAllowLongHeaders;
    const uint64_t pixelOffset = FPixelOffset;
    *this = TDIB();

    const size_t start = reader.Position();
    if (reader.Left() == 0)
        return; // no bytes at all: an empty picture
    if (reader.Left() < 4)
        throw EDIBError("DIB is invalid");

    const uint32_t headerSize = reader.U32();
    int32_t width = 0, rawHeight = 0;
    int bitCount = 0;
    uint32_t compression = BiRgb, imageSize = 0, colorsUsed = 0;
    bool coreHeader = false;
    std::span<const uint8_t> headerRest;
    if (headerSize == 12) {
        coreHeader = true;
        width = reader.U16();
        rawHeight = reader.U16();
        reader.U16(); // planes
        bitCount = reader.U16();
    } else if (headerSize == 40 ||
               (allowLong && (headerSize == 52 || headerSize == 56 || headerSize == 108 || headerSize == 124))) {
        width = reader.I32();
        rawHeight = reader.I32();
        reader.U16(); // planes
        bitCount = reader.U16();
        compression = reader.U32();
        imageSize = reader.U32();
        reader.U32(); // resolutions
        reader.U32();
        colorsUsed = reader.U32();
        reader.U32(); // colours important
        headerRest = reader.Take(headerSize - 40);
    } else {
        throw EDIBError("DIB is invalid");
    }

    TDIBMasks masks = DefaultMasks(bitCount);
    if (compression == BiBitFields) {
        if (headerRest.size() >= 12) {
            TByteReader inHeader(headerRest);
            masks.Red = inHeader.U32();
            masks.Green = inHeader.U32();
            masks.Blue = inHeader.U32();
        } else {
            masks.Red = reader.U32();
            masks.Green = reader.U32();
            masks.Blue = reader.U32();
        }
    }

    uint64_t entries = colorsUsed;
    if (entries == 0 && bitCount <= 8)
        entries = uint64_t(1) << bitCount;
    entries = std::min<uint64_t>(entries, 256);
    const size_t entrySize = coreHeader ? 3 : 4;
    auto table = reader.Take(entries * entrySize);

    if (!ValidBitCount(bitCount))
        throw EDIBError(Format("Bitcount in invalid (%d)", bitCount));
    if (!ValidChannels(bitCount, masks))
        throw EDIBError("PixelFormat in invalid");
    const int64_t height = rawHeight < 0 ? -int64_t(rawHeight) : rawHeight;
    if (width < 0 || height > INT32_MAX || int64_t(width) * height > MaxPixels)
        throw EDIBError("DIB is invalid");

    FWidth = width;
    FHeight = int32_t(height);
    FBitCount = bitCount;
    FMasks = masks;
    FStride = ((int64_t(width) * bitCount + 31) / 32) * 4;
    if (bitCount <= 8) {
        FPalette.assign(size_t(1) << bitCount, 0);
        for (size_t i = 0; i < entries && i < FPalette.size(); ++i) {
            const uint8_t* e = table.data() + i * entrySize;
            FPalette[i] = (uint32_t(e[2]) << 16) | (uint32_t(e[1]) << 8) | e[0];
        }
    }

    // Inside a bitmap file the pixels may start after a gap; never before the table's end.
    const uint64_t consumed = reader.Position() - start;
    if (pixelOffset > consumed)
        reader.Skip(pixelOffset - consumed);

    switch (compression) {
    case BiRgb:
    case BiBitFields: {
        FCompression = int(compression);
        auto raw = reader.Take(uint64_t(FStride) * uint64_t(height));
        FBits.resize(raw.size());
        if (rawHeight >= 0 || raw.empty()) {
            std::copy(raw.begin(), raw.end(), FBits.begin());
        } else {
            for (int64_t row = 0; row < height; ++row)
                std::memcpy(FBits.data() + (height - 1 - row) * FStride, raw.data() + row * FStride,
                            size_t(FStride));
        }
        break;
    }
    case BiRle8:
    case BiRle4: {
        // Each encoding belongs to its own depth; anything else would be read as garbage.
        if ((compression == BiRle8) != (bitCount == 8) || (compression == BiRle4) != (bitCount == 4))
            throw EDIBError("DIB is invalid");
        FCompression = int(compression);
        auto raw = reader.Take(imageSize);
        FRunLength.assign(raw.begin(), raw.end());
        FRunLengthPending = true;
        break;
    }
    default:
        throw EDIBError("DIB is invalid");
    }
}

void TDIB::LoadFromBitmapFile(std::span<const uint8_t> file)
{
    TByteReader reader(file);
    if (file.size() < 2 || file[0] != 'B' || file[1] != 'M')
        throw EDIBError("Bitmap image is not valid");
    reader.Skip(10);
    const uint32_t offBits = reader.U32();
    TDIB dib;
    dib.FAllowLongHeaders = true;
    dib.FPixelOffset = offBits > 14 ? offBits - 14 : 0;
    dib.LoadFromStream(reader);
    *this = std::move(dib);
}

const std::vector<uint8_t>& TDIB::Bits() const
{
    if (FRunLengthPending)
        DecodeRunLength();
    return FBits;
}

void TDIB::DecodeRunLength() const
{
    FRunLengthPending = false;
    TDIBRunLength::Decode(FRunLength, FBitCount, FWidth, FHeight, FStride, FBits);
}

uint32_t TDIB::PixelRGB(int32_t x, int32_t y) const
{
    if (x < 0 || y < 0 || x >= FWidth || y >= FHeight)
        return 0;
    const uint8_t* row = Bits().data() + int64_t(FHeight - 1 - y) * FStride;
    switch (FBitCount) {
    case 1:
        return FPalette[(row[x >> 3] >> (7 - (x & 7))) & 1];
    case 4:
        return FPalette[(row[x >> 1] >> ((x & 1) ? 0 : 4)) & 15];
    case 8:
        return FPalette[row[x]];
    case 16:
        return TMaskDecoder(FMasks)(uint32_t(row[2 * x]) | (uint32_t(row[2 * x + 1]) << 8));
    case 24: {
        const uint8_t* p = row + 3 * int64_t(x);
        return TMaskDecoder(FMasks)(uint32_t(p[0]) | (uint32_t(p[1]) << 8) | (uint32_t(p[2]) << 16));
    }
    default: {
        const uint8_t* p = row + 4 * int64_t(x);
        return TMaskDecoder(FMasks)(uint32_t(p[0]) | (uint32_t(p[1]) << 8) | (uint32_t(p[2]) << 16) |
                                    (uint32_t(p[3]) << 24));
    }
    }
}

QImage TDIB::ToImage() const
{
    if (Empty())
        return QImage();
    QImage image(FWidth, FHeight, QImage::Format_RGB32);
    const auto& bits = Bits();
    const TMaskDecoder decode(FMasks);
    const bool standard24 = FMasks == DefaultMasks(24);
    for (int32_t y = 0; y < FHeight; ++y) {
        const uint8_t* row = bits.data() + int64_t(FHeight - 1 - y) * FStride;
        auto* out = reinterpret_cast<uint32_t*>(image.scanLine(y));
        switch (FBitCount) {
        case 1:
            for (int32_t x = 0; x < FWidth; ++x)
                out[x] = 0xFF000000u | FPalette[(row[x >> 3] >> (7 - (x & 7))) & 1];
            break;
        case 4:
            for (int32_t x = 0; x < FWidth; ++x)
                out[x] = 0xFF000000u | FPalette[(row[x >> 1] >> ((x & 1) ? 0 : 4)) & 15];
            break;
        case 8:
            for (int32_t x = 0; x < FWidth; ++x)
                out[x] = 0xFF000000u | FPalette[row[x]];
            break;
        case 16:
            for (int32_t x = 0; x < FWidth; ++x)
                out[x] = 0xFF000000u | decode(uint32_t(row[2 * x]) | (uint32_t(row[2 * x + 1]) << 8));
            break;
        case 24:
            if (standard24) {
                for (int32_t x = 0; x < FWidth; ++x, row += 3)
                    out[x] = 0xFF000000u | (uint32_t(row[2]) << 16) | (uint32_t(row[1]) << 8) | row[0];
            } else {
                for (int32_t x = 0; x < FWidth; ++x, row += 3)
                    out[x] = 0xFF000000u | decode(uint32_t(row[0]) | (uint32_t(row[1]) << 8) | (uint32_t(row[2]) << 16));
            }
            break;
        default:
            for (int32_t x = 0; x < FWidth; ++x, row += 4)
                out[x] = 0xFF000000u | decode(uint32_t(row[0]) | (uint32_t(row[1]) << 8) |
                                              (uint32_t(row[2]) << 16) | (uint32_t(row[3]) << 24));
            break;
        }
    }
    return image;
}

std::vector<uint8_t> TDIB::SaveToBytes() const
{
    TByteWriter w;
    const bool runLength = FRunLengthPending;
    const bool withMasks = !runLength && (FBitCount == 16 || FBitCount == 32);
    const uint32_t compression = runLength ? uint32_t(FCompression) : withMasks ? BiBitFields : BiRgb;
    const auto& pixels = runLength ? FRunLength : FBits;
    w.U32(40);
    w.I32(FWidth);
    w.I32(FHeight);
    w.U16(1);
    w.U16(uint16_t(FBitCount));
    w.U32(compression);
    w.U32(uint32_t(pixels.size()));
    w.U32(0);
    w.U32(0);
    w.U32(0);
    w.U32(0);
    if (withMasks) {
        w.U32(FMasks.Red);
        w.U32(FMasks.Green);
        w.U32(FMasks.Blue);
    }
    for (uint32_t c : FPalette) {
        w.U8(uint8_t(c));
        w.U8(uint8_t(c >> 8));
        w.U8(uint8_t(c >> 16));
        w.U8(0);
    }
    w.Append(pixels);
    return std::move(w.Bytes());
}

std::vector<uint8_t> TDIB::SaveToBitmapFile() const
{
    const auto record = SaveToBytes();
    const uint32_t pixelBytes = uint32_t(FRunLengthPending ? FRunLength.size() : FBits.size());
    TByteWriter w;
    w.U8('B');
    w.U8('M');
    w.U32(uint32_t(14 + record.size()));
    w.U32(0);
    w.U32(uint32_t(14 + record.size() - pixelBytes));
    w.Append(record);
    return std::move(w.Bytes());
}

TDIB TDIB::FromImage(const QImage& source, int bitCount, TDIBStorage storage, bool rgb565)
{
    if (!ValidBitCount(bitCount))
        throw EDIBError(Format("Bitcount in invalid (%d)", bitCount));
    if (storage == TDIBStorage::RunLength && bitCount != 8 && bitCount != 4)
        throw EDIBError("Run-length storage needs 4 or 8 bits");
    const QImage image = source.convertToFormat(QImage::Format_RGB32);
    TDIB dib;
    if (image.isNull())
        return dib;
    if (int64_t(image.width()) * image.height() > MaxPixels)
        throw EDIBError("DIB is invalid");
    dib.FWidth = image.width();
    dib.FHeight = image.height();
    dib.FBitCount = bitCount;
    dib.FMasks = bitCount == 16 && rgb565 ? TDIBMasks{0xF800, 0x07E0, 0x001F} : DefaultMasks(bitCount);
    dib.FCompression = bitCount == 16 || bitCount == 32 ? int(BiBitFields) : int(BiRgb);
    dib.FStride = ((int64_t(dib.FWidth) * bitCount + 31) / 32) * 4;
    dib.FBits.assign(size_t(dib.FStride * dib.FHeight), 0);
    auto rgbAt = [&](int x, int y) { return image.pixel(x, y) & 0xFFFFFFu; };

    if (bitCount <= 8) {
        const size_t capacity = size_t(1) << bitCount;
        std::unordered_map<uint32_t, uint8_t> index;
        std::vector<uint8_t> indexes(size_t(dib.FWidth) * dib.FHeight);
        for (int y = 0; y < dib.FHeight; ++y) {
            for (int x = 0; x < dib.FWidth; ++x) {
                const uint32_t c = rgbAt(x, y);
                auto it = index.find(c);
                if (it == index.end()) {
                    if (dib.FPalette.size() == capacity)
                        throw EDIBError(Format("Picture has more than %zu colours, too many for %d bits", capacity, bitCount));
                    it = index.emplace(c, uint8_t(dib.FPalette.size())).first;
                    dib.FPalette.push_back(c);
                }
                indexes[size_t(dib.FHeight - 1 - y) * dib.FWidth + x] = it->second;
            }
        }
        dib.FPalette.resize(capacity, 0);
        if (storage == TDIBStorage::RunLength) {
            dib.FCompression = bitCount == 8 ? int(BiRle8) : int(BiRle4);
            dib.FRunLength = TDIBRunLength::Encode(indexes, bitCount, dib.FWidth, dib.FHeight);
            dib.FRunLengthPending = true;
            dib.FBits.clear();
            return dib;
        }
        for (int32_t row = 0; row < dib.FHeight; ++row) {
            uint8_t* out = dib.FBits.data() + row * dib.FStride;
            const uint8_t* in = indexes.data() + size_t(row) * dib.FWidth;
            for (int32_t x = 0; x < dib.FWidth; ++x) {
                if (bitCount == 8)
                    out[x] = in[x];
                else if (bitCount == 4)
                    out[x >> 1] |= uint8_t(in[x] << ((x & 1) ? 0 : 4));
                else
                    out[x >> 3] |= uint8_t(in[x] << (7 - (x & 7)));
            }
        }
        return dib;
    }

    const TMaskDecoder decode(dib.FMasks);
    const TChannel r = ChannelOf(dib.FMasks.Red), g = ChannelOf(dib.FMasks.Green), b = ChannelOf(dib.FMasks.Blue);
    for (int y = 0; y < dib.FHeight; ++y) {
        uint8_t* out = dib.FBits.data() + int64_t(dib.FHeight - 1 - y) * dib.FStride;
        for (int x = 0; x < dib.FWidth; ++x) {
            const uint32_t c = rgbAt(x, y);
            const uint32_t v = ((((c >> 16) & 0xFF) >> (8 - std::min(r.Width, 8))) << r.Shift) |
                               ((((c >> 8) & 0xFF) >> (8 - std::min(g.Width, 8))) << g.Shift) |
                               (((c & 0xFF) >> (8 - std::min(b.Width, 8))) << b.Shift);
            if (decode(v) != c)
                throw EDIBError(Format("Picture cannot be stored at %d bits without loss", bitCount));
            for (int k = 0; k < bitCount / 8; ++k)
                out[x * (bitCount / 8) + k] = uint8_t(v >> (8 * k));
        }
    }
    return dib;
}

// ---- run-length data ----

void TDIBRunLength::Decode(std::span<const uint8_t> d, int bitCount, int32_t width, int32_t height,
                           int64_t stride, std::vector<uint8_t>& bits)
{
    bits.assign(size_t(stride * height), 0);
    int64_t x = 0, y = 0;
    auto put = [&](uint8_t v) {
        if (x < width && y < height) {
            uint8_t* row = bits.data() + y * stride;
            if (bitCount == 8)
                row[x] = v;
            else if (x & 1)
                row[x >> 1] = uint8_t((row[x >> 1] & 0xF0) | (v & 15));
            else
                row[x >> 1] = uint8_t((row[x >> 1] & 0x0F) | (v << 4));
        }
        ++x;
    };
    size_t i = 0;
    while (i + 2 <= d.size() && y < height) {
        const uint8_t count = d[i], value = d[i + 1];
        i += 2;
        if (count > 0) {
            for (int k = 0; k < count && x < width; ++k)
                put(bitCount == 8 ? value : (k & 1) ? (value & 15) : (value >> 4));
            continue; // pixels past the row's end are dropped
        }
        if (value == 0) { // end of row
            x = 0;
            ++y;
        } else if (value == 1) { // end of bitmap
            break;
        } else if (value == 2) { // move right and up
            if (i + 2 > d.size())
                break;
            x += d[i];
            y += d[i + 1];
            i += 2;
        } else { // literal pixels
            const size_t bytes = bitCount == 8 ? value : (size_t(value) + 1) / 2;
            if (i + bytes > d.size())
                break;
            for (int k = 0; k < value; ++k)
                put(bitCount == 8 ? d[i + k] : (k & 1) ? (d[i + k / 2] & 15) : (d[i + k / 2] >> 4));
            i += bytes + (bytes & 1);
        }
    }
}

std::vector<uint8_t> TDIBRunLength::Encode(std::span<const uint8_t> idx, int bitCount, int32_t width, int32_t height)
{
    std::vector<uint8_t> out;
    for (int32_t row = 0; row < height; ++row) {
        const uint8_t* p = idx.data() + size_t(row) * width;
        int32_t x = 0;
        while (x < width) {
            int32_t run = 1;
            while (x + run < width && run < 255 && p[x + run] == p[x])
                ++run;
            if (run >= 2 || width - x < 3) {
                out.push_back(uint8_t(run));
                out.push_back(bitCount == 8 ? p[x] : uint8_t((p[x] << 4) | p[x]));
                x += run;
                continue;
            }
            // A literal stretch ends where two equal pixels begin a run.
            int32_t n = 1;
            while (x + n < width && n < 255 && !(x + n + 1 < width && p[x + n] == p[x + n + 1]))
                ++n;
            if (n < 3) {
                out.push_back(1);
                out.push_back(bitCount == 8 ? p[x] : uint8_t((p[x] << 4) | p[x]));
                x += 1;
                continue;
            }
            out.push_back(0);
            out.push_back(uint8_t(n));
            size_t bytes = 0;
            if (bitCount == 8) {
                out.insert(out.end(), p + x, p + x + n);
                bytes = size_t(n);
            } else {
                for (int32_t k = 0; k < n; k += 2)
                    out.push_back(uint8_t((p[x + k] << 4) | (k + 1 < n ? p[x + k + 1] : 0)));
                bytes = size_t(n + 1) / 2;
            }
            if (bytes & 1)
                out.push_back(0);
            x += n;
        }
        out.push_back(0);
        out.push_back(row + 1 < height ? 0 : 1);
    }
    return out;
}
