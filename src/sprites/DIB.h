#pragma once

#include "platform/ByteReader.h"

#include <QImage>

#include <cstdint>
#include <span>
#include <vector>

// Failures of the device-independent bitmap reader and writer.
class EDIBError : public Exception {
public:
    using Exception::Exception;
};

struct TDIBMasks {
    uint32_t Red = 0, Green = 0, Blue = 0;
    bool operator==(const TDIBMasks&) const = default;
};

// How pixels are stored when a picture is written.
enum class TDIBStorage {
    Plain,     // compression 0, or 3 with masks for 16 and 32 bits
    RunLength, // 8-bit and 4-bit pictures only
};

// One device-independent bitmap: size, bit depth, palette (up to 8 bits), channel masks and
// the rows bottom row first. Run-length data is kept as read and decoded on first use.
class TDIB {
public:
    // Larger pictures are refused: no game picture comes near, and run-length data could
    // otherwise announce any size for a few bytes.
    static constexpr int64_t MaxPixels = int64_t(1) << 26;

    // Reads one record at the reader's position: header, masks, colour table and pixels.
    void LoadFromStream(TByteReader& reader);
    void LoadFromBytes(std::span<const uint8_t> data);
    // A whole Windows bitmap file: the 14-byte file header, then a record whose pixels begin
    // where the file header says.
    void LoadFromBitmapFile(std::span<const uint8_t> file);

    // The record as written back: 40-byte header, masks, palette, pixels.
    std::vector<uint8_t> SaveToBytes() const;
    std::vector<uint8_t> SaveToBitmapFile() const;

    // Builds a picture holding exactly the pixels of image at the given depth (1, 4, 8, 16,
    // 24, 32; for 16 bits masks select 5-5-5 or 5-6-5). Fails when the depth cannot hold
    // them without loss: too many colours for a palette, or channels finer than 5 or 6 bits.
    static TDIB FromImage(const QImage& image, int bitCount, TDIBStorage storage = TDIBStorage::Plain,
                          bool rgb565 = false);

    bool Empty() const { return FWidth <= 0 || FHeight <= 0; }
    int32_t Width() const { return FWidth; }
    int32_t Height() const { return FHeight; }
    int BitCount() const { return FBitCount; }
    int64_t Stride() const { return FStride; }
    int Compression() const { return FCompression; }
    // Still holding run-length data that no one has asked to decode.
    bool RunLengthPending() const { return FRunLengthPending; }
    const std::vector<uint32_t>& Palette() const { return FPalette; } // 0x00RRGGBB
    const TDIBMasks& Masks() const { return FMasks; }
    const std::vector<uint8_t>& RunLengthData() const { return FRunLength; }

    // Rows bottom row first, stride bytes each; decodes run-length data on first use.
    const std::vector<uint8_t>& Bits() const;
    // The colour at (x, y) with y counted from the top, as 0x00RRGGBB.
    uint32_t PixelRGB(int32_t x, int32_t y) const;
    // The whole picture, top row first, Format_RGB32.
    QImage ToImage() const;

private:
    void ReadPixels(TByteReader& reader, int32_t rawHeight, uint32_t imageSize);
    void DecodeRunLength() const;

    int32_t FWidth = 0;
    int32_t FHeight = 0;
    int FBitCount = 0;
    int FCompression = 0;
    int64_t FStride = 0;
    TDIBMasks FMasks;
    std::vector<uint32_t> FPalette;
    std::vector<uint8_t> FRunLength;
    mutable bool FRunLengthPending = false;
    mutable std::vector<uint8_t> FBits;
    // Header forms accepted only inside whole bitmap files (52, 56, 108, 124 bytes).
    bool FAllowLongHeaders = false;
    uint64_t FPixelOffset = 0; // from the record start; 0: right after the colour table
    friend class TDIBRunLength;
};

// The published 8-bit and 4-bit run-length encodings.
class TDIBRunLength {
public:
    // Decodes into rows bottom row first; malformed or short data stops decoding early and
    // leaves the rest 0, so nothing is read or written outside the buffers.
    static void Decode(std::span<const uint8_t> data, int bitCount, int32_t width, int32_t height,
                       int64_t stride, std::vector<uint8_t>& bits);
    // Encodes palette indexes (one per byte, rows bottom row first, width per row).
    static std::vector<uint8_t> Encode(std::span<const uint8_t> indexes, int bitCount, int32_t width,
                                       int32_t height);
};
