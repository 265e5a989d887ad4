#include "PictureCollectionTestData.h"
#include "sprites/DIB.h"

#include <gtest/gtest.h>

using namespace testdata;

namespace {

std::string ErrorOf(const std::vector<uint8_t>& bytes)
{
    try {
        TDIB dib;
        dib.LoadFromBytes(bytes);
        dib.Bits();
    } catch (const std::exception& e) {
        return e.what();
    }
    return "";
}

TDIB Load(const std::vector<uint8_t>& bytes)
{
    TDIB dib;
    dib.LoadFromBytes(bytes);
    return dib;
}

void Table(std::vector<uint8_t>& to, const std::vector<uint32_t>& rgb)
{
    for (uint32_t c : rgb)
        Append(to, {uint8_t(c), uint8_t(c >> 8), uint8_t(c >> 16), 0});
}

} // namespace

TEST(DIB, StoredSampleIs27By28At24BitsBottomRowFirst)
{
    const auto data = Dib24(27, 28, [](int x, int y) { return uint32_t(x * 9) << 16 | uint32_t(y * 9) << 8 | 7; });
    EXPECT_EQ(Record("TDIB", data).size(), 2397u);
    TByteReader reader(data);
    TDIB dib;
    dib.LoadFromStream(reader);
    EXPECT_EQ(reader.Left(), 0u);
    EXPECT_EQ(dib.Width(), 27);
    EXPECT_EQ(dib.Height(), 28);
    EXPECT_EQ(dib.BitCount(), 24);
    EXPECT_EQ(dib.Stride(), 84);
    EXPECT_EQ(dib.PixelRGB(0, 0), 0x000007u);
    EXPECT_EQ(dib.PixelRGB(26, 27), (26u * 9) << 16 | (27u * 9) << 8 | 7);
    const QImage image = dib.ToImage();
    EXPECT_EQ(image.pixel(3, 5) & 0xFFFFFF, dib.PixelRGB(3, 5));
}

TEST(DIB, PalettePicturesPackIndexesMostSignificantFirstWithRowPadding)
{
    // 1 bit, 11 wide: 2 bytes of bits, padded to 4.
    auto one = Header40(11, 2, 1);
    Table(one, {0x102030, 0xA0B0C0});
    Append(one, {0b10000000, 0b00100000, 0xEE, 0xEE}); // bottom row: x=0 and x=10 set
    Append(one, {0b01000000, 0, 0, 0});                // top row: x=1 set
    TDIB a = Load(one);
    EXPECT_EQ(a.PixelRGB(0, 1), 0xA0B0C0u);
    EXPECT_EQ(a.PixelRGB(10, 1), 0xA0B0C0u);
    EXPECT_EQ(a.PixelRGB(9, 1), 0x102030u);
    EXPECT_EQ(a.PixelRGB(1, 0), 0xA0B0C0u);
    EXPECT_EQ(a.PixelRGB(0, 0), 0x102030u);

    // 4 bits, 3 wide, colours used 3: entries 3..15 are black.
    auto four = Header40(3, 1, 4, 0, 0, 3);
    Table(four, {0x111111, 0x222222, 0x333333});
    Append(four, {0x21, 0xF0, 0, 0});
    TDIB b = Load(four);
    ASSERT_EQ(b.Palette().size(), 16u);
    EXPECT_EQ(b.PixelRGB(0, 0), 0x333333u);
    EXPECT_EQ(b.PixelRGB(1, 0), 0x222222u);
    EXPECT_EQ(b.PixelRGB(2, 0), 0u);
}

TEST(DIB, ColourTableCountsFollowColoursUsedTheDefaultAndThe256Cap)
{
    // 8 bits with colours used 16: 64 table bytes, then the pixels.
    auto eight = Header40(2, 1, 8, 0, 0, 16);
    std::vector<uint32_t> table(16);
    for (uint32_t i = 0; i < 16; ++i)
        table[i] = 0x010101 * (i + 1);
    Table(eight, table);
    Append(eight, {15, 16, 0, 0});
    TDIB a = Load(eight);
    EXPECT_EQ(a.PixelRGB(0, 0), 0x101010u);
    EXPECT_EQ(a.PixelRGB(1, 0), 0u);
    EXPECT_EQ(a.Palette().size(), 256u);

    // 24 bits with colours used 5: 20 bytes read and discarded.
    auto rgb = Header40(1, 1, 24, 0, 0, 5);
    Append(rgb, std::vector<uint8_t>(20, 0x77));
    Append(rgb, {1, 2, 3, 0});
    TDIB b = Load(rgb);
    EXPECT_EQ(b.PixelRGB(0, 0), 0x030201u);
    EXPECT_TRUE(b.Palette().empty());

    // Colours used above 256 reads 256 entries.
    auto capped = Header40(1, 1, 8, 0, 0, 100000);
    Append(capped, std::vector<uint8_t>(1024, 0));
    Append(capped, {0, 0, 0, 0});
    EXPECT_NO_THROW(Load(capped));
    capped.resize(capped.size() - 1);
    EXPECT_EQ(ErrorOf(capped), "Stream read error");
}

TEST(DIB, CoreHeaderHasThreeByteEntriesAndBottomUpRows)
{
    TByteWriter w;
    w.U32(12);
    w.U16(2);
    w.U16(2);
    w.U16(1);
    w.U16(1);
    auto bytes = w.Bytes();
    Append(bytes, {0x00, 0x00, 0xFF, 0xFF, 0x00, 0x00}); // red, blue
    Append(bytes, {0b01000000, 0, 0, 0, 0b10000000, 0, 0, 0});
    TDIB dib = Load(bytes);
    EXPECT_EQ(dib.PixelRGB(1, 1), 0x0000FFu); // bottom row first
    EXPECT_EQ(dib.PixelRGB(0, 1), 0xFF0000u);
    EXPECT_EQ(dib.PixelRGB(0, 0), 0x0000FFu);
}

TEST(DIB, NegativeHeightStoresTheFirstRowOnTop)
{
    auto bytes = Header40(1, -2, 24);
    Append(bytes, {0xFF, 0, 0, 0, 0, 0xFF, 0, 0});
    TDIB dib = Load(bytes);
    EXPECT_EQ(dib.Height(), 2);
    EXPECT_EQ(dib.PixelRGB(0, 0), 0x0000FFu);
    EXPECT_EQ(dib.PixelRGB(0, 1), 0x00FF00u);
}

TEST(DIB, ZeroWidthIsAnEmptyPictureWhateverTheRowOrder)
{
    for (int32_t height : {3, -3}) {
        TDIB dib = Load(Header40(0, height, 24));
        EXPECT_TRUE(dib.Empty());
        EXPECT_TRUE(dib.ToImage().isNull());
    }
}

TEST(DIB, SixteenBitChannelsComeFromDefaultOrGivenMasks)
{
    auto d555 = Header40(2, 1, 16);
    Append(d555, {0x00, 0x7C, 0x1F, 0x00}); // full red, full blue
    TDIB a = Load(d555);
    EXPECT_EQ(a.PixelRGB(0, 0), 0xFF0000u);
    EXPECT_EQ(a.PixelRGB(1, 0), 0x0000FFu);

    auto d565 = Header40(1, 1, 16, 3);
    Append(d565, {0x00, 0xF8, 0x00, 0x00, 0xE0, 0x07, 0, 0, 0x1F, 0, 0, 0});
    Append(d565, {0x20, 0x00, 0, 0}); // green 1 of 63
    TDIB b = Load(d565);
    EXPECT_EQ(b.PixelRGB(0, 0), 0x000400u);

    auto wrong = Header40(1, 1, 16, 3);
    Append(wrong, {0, 0, 0xFF, 0, 0, 0xFF, 0, 0, 0xFF, 0, 0, 0});
    Append(wrong, {0, 0, 0, 0});
    EXPECT_EQ(ErrorOf(wrong), "PixelFormat in invalid");

    auto masks32 = Header40(1, 1, 32, 3);
    Append(masks32, {0, 0, 0xFF, 0, 0, 0xFF, 0, 0, 0xFF, 0, 0, 0});
    Append(masks32, {0x11, 0x22, 0x33, 0x44});
    EXPECT_EQ(Load(masks32).PixelRGB(0, 0), 0x332211u);
}

TEST(DIB, FailuresCarryTheirMessages)
{
    EXPECT_TRUE(Load({}).Empty());
    EXPECT_EQ(ErrorOf({40, 0, 0}), "DIB is invalid");
    auto odd = Header40(1, 1, 24);
    odd[0] = 41;
    EXPECT_EQ(ErrorOf(odd), "DIB is invalid");
    auto two = Header40(1, 1, 2);
    Append(two, std::vector<uint8_t>(16, 0));
    EXPECT_EQ(ErrorOf(two), "Bitcount in invalid (2)");
    auto compression = Header40(1, 1, 24, 5);
    Append(compression, {0, 0, 0, 0});
    EXPECT_EQ(ErrorOf(compression), "DIB is invalid");
    EXPECT_EQ(ErrorOf(Header40(-5, 1, 24)), "DIB is invalid");
    EXPECT_EQ(ErrorOf(Header40(1, 1, 24, 1)), "DIB is invalid"); // run-length 8 on a 24-bit picture
    auto huge = Header40(100000, 100000, 8, 1);
    Append(huge, std::vector<uint8_t>(1024, 0));
    EXPECT_EQ(ErrorOf(huge), "DIB is invalid");
}

TEST(DIB, EveryTruncationFailsCleanly)
{
    auto bytes = Header40(5, 3, 4, 0, 0, 2);
    Table(bytes, {0xFFFFFF, 0});
    Append(bytes, std::vector<uint8_t>(12, 0x10));
    ASSERT_NO_THROW(Load(bytes));
    for (size_t n = 1; n < bytes.size(); ++n) {
        const std::vector<uint8_t> part(bytes.begin(), bytes.begin() + long(n));
        const std::string error = ErrorOf(part);
        EXPECT_TRUE(error == "Stream read error" || error == "DIB is invalid") << n << ": " << error;
    }
}

TEST(DIB, RunLength8DecodesRunsLiteralsDeltasAndEnds)
{
    std::vector<uint8_t> rle = {
        3, 1,          // 1 1 1
        0, 3, 2, 3, 4, 0, // literal 2 3 4, padded
        0, 0,          // next row up
        0, 2, 2, 1,    // move 2 right, 1 up
        2, 5,          // 5 5 at x 2..3 of row 2
        0, 1,          // end
        9, 9,          // ignored after the end
    };
    auto bytes = Header40(6, 3, 8, 1, uint32_t(rle.size()), 6);
    Table(bytes, {0, 0x010101, 0x020202, 0x030303, 0x040404, 0x050505});
    Append(bytes, rle);
    TDIB dib = Load(bytes);
    EXPECT_TRUE(dib.RunLengthPending());
    EXPECT_EQ(dib.Compression(), 1);
    // Rows from the top: row 0 is the third row decoded.
    std::vector<uint32_t> top, bottom, middle;
    for (int x = 0; x < 6; ++x) {
        top.push_back(dib.PixelRGB(x, 0) & 0xFF);
        middle.push_back(dib.PixelRGB(x, 1) & 0xFF);
        bottom.push_back(dib.PixelRGB(x, 2) & 0xFF);
    }
    EXPECT_FALSE(dib.RunLengthPending());
    EXPECT_EQ(bottom, (std::vector<uint32_t>{1, 1, 1, 2, 3, 4}));
    EXPECT_EQ(middle, (std::vector<uint32_t>{0, 0, 0, 0, 0, 0}));
    EXPECT_EQ(top, (std::vector<uint32_t>{0, 0, 5, 5, 0, 0}));
}

TEST(DIB, RunLength4AlternatesNibblesAndPadsLiterals)
{
    std::vector<uint8_t> rle = {5, 0x12, 0, 3, 0x34, 0x50, 0, 1};
    auto bytes = Header40(9, 1, 4, 2, uint32_t(rle.size()));
    std::vector<uint32_t> table(16);
    for (uint32_t i = 0; i < 16; ++i)
        table[i] = i;
    Table(bytes, table);
    Append(bytes, rle);
    TDIB dib = Load(bytes);
    std::vector<uint32_t> row;
    for (int x = 0; x < 9; ++x)
        row.push_back(dib.PixelRGB(x, 0));
    EXPECT_EQ(row, (std::vector<uint32_t>{1, 2, 1, 2, 1, 3, 4, 5, 0}));
}

TEST(DIB, RunLengthDataThatOverrunsThePictureIsClipped)
{
    // Runs past the row's end, deltas past the top and literals cut short must neither
    // crash nor write outside the picture.
    std::vector<uint8_t> rle = {255, 7, 0, 2, 200, 0, 4, 7, 0, 0, 0, 2, 0, 50, 3, 1, 0, 9, 1, 2};
    auto bytes = Header40(3, 2, 8, 1, uint32_t(rle.size()), 8);
    std::vector<uint32_t> table(8);
    for (uint32_t i = 0; i < 8; ++i)
        table[i] = i;
    Table(bytes, table);
    Append(bytes, rle);
    TDIB dib = Load(bytes);
    EXPECT_EQ(dib.Bits().size(), size_t(dib.Stride() * 2));
    EXPECT_EQ(dib.PixelRGB(2, 1), 7u);
}

TEST(DIB, WrittenPicturesReadBackToTheSamePixels)
{
    QImage image(13, 5, QImage::Format_RGB32);
    for (int y = 0; y < 5; ++y)
        for (int x = 0; x < 13; ++x)
            image.setPixel(x, y, (x + y) % 3 == 0 ? 0xFF0000FFu : (x % 2 ? 0xFFFF0000u : 0xFF00FF00u));
    struct TCase {
        int Bits;
        TDIBStorage Storage;
        bool Rgb565;
        int Compression;
    };
    EXPECT_THROW(TDIB::FromImage(image, 2), EDIBError);
    for (const TCase c : {TCase{4, TDIBStorage::Plain, false, 0}, TCase{8, TDIBStorage::Plain, false, 0},
                          TCase{16, TDIBStorage::Plain, false, 3}, TCase{16, TDIBStorage::Plain, true, 3},
                          TCase{24, TDIBStorage::Plain, false, 0}, TCase{32, TDIBStorage::Plain, false, 3},
                          TCase{8, TDIBStorage::RunLength, false, 1}, TCase{4, TDIBStorage::RunLength, false, 2}}) {
        const auto bytes = TDIB::FromImage(image, c.Bits, c.Storage, c.Rgb565).SaveToBytes();
        TDIB back = Load(bytes);
        EXPECT_EQ(back.BitCount(), c.Bits);
        EXPECT_EQ(back.Compression(), c.Compression) << c.Bits;
        EXPECT_EQ(back.ToImage(), image) << c.Bits << (c.Storage == TDIBStorage::RunLength ? " rle" : "");
    }
    EXPECT_THROW(TDIB::FromImage(image, 1), EDIBError); // three colours
    QImage fine(1, 1, QImage::Format_RGB32);
    fine.setPixel(0, 0, 0xFF010203);
    EXPECT_THROW(TDIB::FromImage(fine, 16), EDIBError);
    EXPECT_NO_THROW(TDIB::FromImage(fine, 24));
}

TEST(DIB, BitmapFilesHonourThePixelOffset)
{
    auto record = Header40(1, 1, 24);
    TByteWriter w;
    w.U8('B');
    w.U8('M');
    w.U32(0);
    w.U32(0);
    w.U32(14 + 40 + 6); // a 6-byte gap before the pixels
    auto file = w.Bytes();
    Append(file, record);
    Append(file, std::vector<uint8_t>(6, 0xAA));
    Append(file, {1, 2, 3, 0});
    TDIB dib;
    dib.LoadFromBitmapFile(file);
    EXPECT_EQ(dib.PixelRGB(0, 0), 0x030201u);
    file[0] = 'X';
    EXPECT_THROW(dib.LoadFromBitmapFile(file), EDIBError);
}
