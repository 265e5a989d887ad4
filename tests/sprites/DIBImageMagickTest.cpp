// Our decoder against an independent one: ImageMagick writes bitmap files of every depth and
// compression, their records are packed with griptool, and the pictures griptool extracts must
// have the very pixels ImageMagick decodes from the same bytes.
#include "ImageToolTestSupport.h"
#include "PictureCollectionTestData.h"
#include "sprites/DIB.h"

#include <cstring>

#include <QDir>
#include <QFile>
#include <QImage>
#include <QTemporaryDir>

#include <gtest/gtest.h>

using namespace imagetool;

namespace {

uint32_t U32(const std::vector<uint8_t>& d, size_t at)
{
    return uint32_t(d.at(at)) | uint32_t(d.at(at + 1)) << 8 | uint32_t(d.at(at + 2)) << 16 | uint32_t(d.at(at + 3)) << 24;
}

std::vector<uint8_t> ReadAll(const QString& path)
{
    QFile f(path);
    if (!f.open(QIODevice::ReadOnly))
        return {};
    const QByteArray b = f.readAll();
    return std::vector<uint8_t>(b.begin(), b.end());
}

void WriteAll(const QString& path, const std::vector<uint8_t>& bytes)
{
    QFile f(path);
    ASSERT_TRUE(f.open(QIODevice::WriteOnly));
    f.write(reinterpret_cast<const char*>(bytes.data()), qint64(bytes.size()));
}

// Rewrites any bitmap file ImageMagick wrote into the form a record can hold: the 12-byte
// header kept as it is, longer headers cut to 40 bytes with the masks after them, pixels right
// after the colour table, and optionally the rows stored top row first.
std::vector<uint8_t> Canonical(const std::vector<uint8_t>& file, bool topDown)
{
    const uint32_t offBits = U32(file, 10), headerSize = U32(file, 14);
    if (headerSize == 12) {
        std::vector<uint8_t> out(file.begin(), file.end());
        return out;
    }
    std::vector<uint8_t> header(file.begin() + 14, file.begin() + 54);
    const int32_t width = int32_t(U32(file, 18)), height = int32_t(U32(file, 22));
    const int bits = file[28] | file[29] << 8;
    uint32_t compression = U32(file, 30);
    uint32_t colours = U32(file, 46);
    if (colours == 0 && bits <= 8)
        colours = 1u << bits;
    const size_t tableAt = 14 + headerSize + (compression == 3 && headerSize == 40 ? 12 : 0);
    std::vector<uint8_t> masks;
    if (compression == 3) {
        if (headerSize > 40)
            masks.assign(file.begin() + 54, file.begin() + 66);
        else if (offBits >= 54 + 12 + colours * 4)
            masks.assign(file.begin() + 54, file.begin() + 66);
        else
            compression = 0; // masks announced but not written: the default channels
    }
    std::vector<uint8_t> table(file.begin() + long(tableAt), file.begin() + long(tableAt + (bits <= 8 ? colours * 4 : 0)));
    const int64_t stride = ((int64_t(width) * bits + 31) / 32) * 4;
    std::vector<uint8_t> pixels(file.begin() + offBits, file.end());
    if (compression == 0 || compression == 3)
        pixels.resize(size_t(stride * height));
    if (topDown) {
        std::vector<uint8_t> flipped;
        for (int32_t row = height - 1; row >= 0; --row)
            flipped.insert(flipped.end(), pixels.begin() + row * stride, pixels.begin() + (row + 1) * stride);
        pixels = flipped;
        const int32_t negative = -height;
        std::memcpy(header.data() + 8, &negative, 4);
    }
    const uint32_t forty = 40;
    std::memcpy(header.data(), &forty, 4);
    std::memcpy(header.data() + 16, &compression, 4);
    const uint32_t imageSize = uint32_t(pixels.size());
    std::memcpy(header.data() + 20, &imageSize, 4);
    std::memcpy(header.data() + 32, &colours, 4);
    if (bits > 8) {
        const uint32_t none = 0;
        std::memcpy(header.data() + 32, &none, 4);
    }

    std::vector<uint8_t> out = {'B', 'M', 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0};
    testdata::Append(out, header);
    testdata::Append(out, masks);
    testdata::Append(out, table);
    const uint32_t pixelAt = uint32_t(out.size()), size = uint32_t(out.size() + pixels.size());
    testdata::Append(out, pixels);
    std::memcpy(out.data() + 2, &size, 4);
    std::memcpy(out.data() + 10, &pixelAt, 4);
    return out;
}

struct TCase {
    const char* Name;
    QStringList Options; // convert options producing the bitmap from the source picture
    bool TopDown = false;
    int Bits;
    int Compression;
};

class DIBAgainstImageMagick : public ::testing::Test {
protected:
    void SetUp() override
    {
        ASSERT_TRUE(Dir.isValid());
        const TRun probe = Convert({"-version"});
        ASSERT_EQ(probe.ExitCode, 0) << "ImageMagick's convert is needed (scripts/deps installs it)";
    }
    QString Path(const QString& name) const { return Dir.filePath(name); }
    QTemporaryDir Dir;
};

} // namespace

TEST_F(DIBAgainstImageMagick, ExtractGivesThePixelsImageMagickDecodes)
{
    // An odd width, so row padding matters, and many colours.
    ASSERT_EQ(Convert({"-size", "37x23", "-seed", "4", "plasma:fractal", Path("source.png")}).ExitCode, 0);
    const QString src = Path("source.png");
    const std::vector<TCase> cases = {
        {"p1", {"-colors", "2", "-type", "palette", "-compress", "none"}, false, 1, 0},
        {"p1top", {"-colors", "2", "-type", "palette", "-compress", "none"}, true, 1, 0},
        {"p4", {"-colors", "16", "-type", "palette", "-compress", "none"}, false, 4, 0},
        {"p4top", {"-colors", "16", "-type", "palette", "-compress", "none"}, true, 4, 0},
        {"p8", {"-colors", "200", "-type", "palette", "-compress", "none"}, false, 8, 0},
        {"rle8", {"-colors", "200", "-type", "palette", "-compress", "rle"}, false, 8, 1},
        {"rgb555", {"-define", "bmp:subtype=RGB555"}, false, 16, 0},
        {"rgb565", {"-define", "bmp:subtype=RGB565", "-format", "bmp"}, false, 16, 3},
        {"rgb24", {"-type", "truecolor"}, false, 24, 0},
        {"rgb24top", {"-type", "truecolor"}, true, 24, 0},
        {"rgb32", {"-alpha", "set", "-define", "bmp3:alpha=true"}, false, 32, 0},
        {"masks32", {"-alpha", "set", "-define", "bmp:subtype=ARGB8888", "-format", "bmp"}, false, 32, 3},
        {"core24", {"-type", "truecolor", "-format", "bmp2"}, false, 24, 0},
        {"core4", {"-colors", "16", "-type", "palette", "-format", "bmp2"}, false, 4, 0},
    };
    QString manifest;
    for (const TCase& c : cases) {
        QStringList args = {src};
        QString format = "BMP3";
        for (int i = 0; i < c.Options.size(); ++i) {
            if (c.Options[i] == "-format")
                format = c.Options[++i].toUpper();
            else
                args << c.Options[i];
        }
        args << format + ":" + Path(QString(c.Name) + ".bmp");
        ASSERT_EQ(Convert(args).ExitCode, 0) << c.Name;
        const auto canonical = Canonical(ReadAll(Path(QString(c.Name) + ".bmp")), c.TopDown);
        WriteAll(Path(QString(c.Name) + "-c.bmp"), canonical);
        // The record is the bitmap file without its 14-byte file header.
        WriteAll(Path(QString(c.Name) + ".dib"), std::vector<uint8_t>(canonical.begin() + 14, canonical.end()));
        SCOPED_TRACE(c.Name);
        TDIB check;
        check.LoadFromBytes(std::vector<uint8_t>(canonical.begin() + 14, canonical.end()));
        EXPECT_EQ(check.BitCount(), c.Bits) << c.Name;
        EXPECT_EQ(check.Compression(), c.Compression) << c.Name;
        manifest += QString("item %1 dib=%1.dib\n").arg(c.Name);
    }
    // Run-length 4 and literal-heavy run-length 8 data that ImageMagick does not write itself.
    QImage sixteen(Path("p4-c.bmp"));
    ASSERT_FALSE(sixteen.isNull());
    for (auto [name, bits] : {std::pair{"rle4", 4}, std::pair{"rle8own", 8}}) {
        const auto file = TDIB::FromImage(sixteen, bits, TDIBStorage::RunLength).SaveToBitmapFile();
        WriteAll(Path(QString(name) + "-c.bmp"), file);
        WriteAll(Path(QString(name) + ".dib"), std::vector<uint8_t>(file.begin() + 14, file.end()));
        manifest += QString("item %1 dib=%1.dib\n").arg(name);
    }
    QFile m(Path("manifest.txt"));
    ASSERT_TRUE(m.open(QIODevice::WriteOnly));
    m.write(manifest.toUtf8());
    m.close();

    TRun pack = Exec(GripTool(), {"dxg", "pack", Path("manifest.txt"), Path("all.dxg")});
    ASSERT_EQ(pack.ExitCode, 0) << pack.Err.toStdString();
    TRun extract = Exec(GripTool(), {"dxg", "extract", Path("all.dxg"), Path("out")});
    ASSERT_EQ(extract.ExitCode, 0) << extract.Err.toStdString();

    const QStringList names = manifest.split('\n', Qt::SkipEmptyParts);
    for (int i = 0; i < names.size(); ++i) {
        const QString name = names[i].section(' ', 1, 1);
        const QString decoded = Path(name + "-im.png");
        ASSERT_EQ(Convert({Path(name + "-c.bmp"), "-alpha", "off", "-depth", "8", "PNG24:" + decoded}).ExitCode, 0) << name.toStdString();
        const QImage theirs = QImage(decoded).convertToFormat(QImage::Format_RGB32);
        const QImage ours = QImage(Path(QString("out/%1-%2.png").arg(i).arg(name))).convertToFormat(QImage::Format_RGB32);
        ASSERT_FALSE(theirs.isNull()) << name.toStdString();
        ASSERT_FALSE(ours.isNull()) << name.toStdString();
        ASSERT_EQ(ours.size(), theirs.size()) << name.toStdString();
        int differing = 0;
        for (int y = 0; y < ours.height(); ++y)
            for (int x = 0; x < ours.width(); ++x)
                if (ours.pixel(x, y) != theirs.pixel(x, y) && differing++ < 3)
                    ADD_FAILURE() << name.toStdString() << " at " << x << "," << y << ": ours " << std::hex
                                  << ours.pixel(x, y) << " theirs " << theirs.pixel(x, y);
        EXPECT_EQ(differing, 0) << name.toStdString();
    }
}
