// The image writer through `griptool dxg`: pack, list and extract must round-trip exactly.
#include "ImageToolTestSupport.h"

#include <QDir>
#include <QFile>
#include <QImage>
#include <QTemporaryDir>

#include <gtest/gtest.h>

using namespace imagetool;

namespace {

class GripToolDxg : public ::testing::Test {
protected:
    QString Path(const QString& name) const { return Dir.filePath(name); }
    void Write(const QString& name, const QByteArray& text)
    {
        QFile f(Path(name));
        ASSERT_TRUE(f.open(QIODevice::WriteOnly));
        f.write(text);
    }
    // A picture with exactly n colours (n <= 16) and an odd width; every channel is one that
    // 5-bit (and for green 6-bit) channels can hold exactly.
    QImage Picture(int n, int width = 23, int height = 9)
    {
        QImage image(width, height, QImage::Format_RGB888);
        for (int y = 0; y < height; ++y)
            for (int x = 0; x < width; ++x) {
                const int k = (x * 3 + y * 5) % n;
                auto five = [](int v) { return (v << 3) | (v >> 2); };
                image.setPixel(x, y, qRgb(five(k * 2), k % 2 ? 255 : 0, five(31 - k)));
            }
        return image;
    }
    QTemporaryDir Dir;
};

} // namespace

TEST_F(GripToolDxg, PackListAndExtractRoundTripAtEveryDepth)
{
    ASSERT_TRUE(Picture(2).save(Path("two.png")));
    ASSERT_TRUE(Picture(16).save(Path("sixteen.png")));
    ASSERT_TRUE(Picture(16, 60, 20).save(Path("strip.png")));
    Write("manifest.txt",
          "# every depth the writer offers\n"
          "item one file=two.png depth=1\n"
          "item four file=sixteen.png depth=4 color=clFuchsia\n"
          "item eight file=sixteen.png depth=8 pattern=5x3 skip=1x0\n"
          "item rlefour file=sixteen.png depth=rle4 transparent=0\n"
          "item rleeight file=sixteen.png depth=rle8 color=0x00123456\n"
          "item five file=sixteen.png depth=16\n"
          "item six file=sixteen.png depth=565\n"
          "item default file=sixteen.png systemmemory=1\n"
          "item thirtytwo file=sixteen.png depth=32 color=clBtnFace\n"
          "item strip file=strip.png pattern=20x20 skip=0x0 color=255\n"
          "\n"
          "item empty\n");
    TRun pack = Exec(GripTool(), {"dxg", "pack", Path("manifest.txt"), Path("out.dxg")});
    ASSERT_EQ(pack.ExitCode, 0) << pack.Err.toStdString();

    TRun list = Exec(GripTool(), {"dxg", "list", Path("out.dxg")});
    ASSERT_EQ(list.ExitCode, 0) << list.Err.toStdString();
    EXPECT_EQ(list.Out.toStdString(),
              "0 one 23x9x1 pattern 0x0 skip 0x0 patterns 1 transparent 1 color 00000000\n"
              "1 four 23x9x4 pattern 0x0 skip 0x0 patterns 1 transparent 1 color 00ff00ff\n"
              "2 eight 23x9x8 pattern 5x3 skip 1x0 patterns 12 transparent 1 color 00000000\n"
              "3 rlefour 23x9x4 pattern 0x0 skip 0x0 patterns 1 transparent 0 color 00000000\n"
              "4 rleeight 23x9x8 pattern 0x0 skip 0x0 patterns 1 transparent 1 color 00123456\n"
              "5 five 23x9x16 pattern 0x0 skip 0x0 patterns 1 transparent 1 color 00000000\n"
              "6 six 23x9x16 pattern 0x0 skip 0x0 patterns 1 transparent 1 color 00000000\n"
              "7 default 23x9x24 pattern 0x0 skip 0x0 patterns 1 transparent 1 color 00000000\n"
              "8 thirtytwo 23x9x32 pattern 0x0 skip 0x0 patterns 1 transparent 1 color 8000000f\n"
              "9 strip 60x20x24 pattern 20x20 skip 0x0 patterns 3 transparent 1 color 000000ff\n"
              "10 empty 0x0x0 pattern 0x0 skip 0x0 patterns 0 transparent 1 color 00000000\n");

    TRun extract = Exec(GripTool(), {"dxg", "extract", Path("out.dxg"), Path("pictures")});
    ASSERT_EQ(extract.ExitCode, 0) << extract.Err.toStdString();
    const QStringList written = QDir(Path("pictures")).entryList(QDir::Files, QDir::Name);
    EXPECT_EQ(written.size(), 10); // the empty item has no picture
    const char* const sources[] = {"two", "sixteen", "sixteen", "sixteen", "sixteen", "sixteen", "sixteen",
                                   "sixteen", "sixteen", "strip"};
    const char* const names[] = {"one", "four", "eight", "rlefour", "rleeight", "five", "six", "default",
                                 "thirtytwo", "strip"};
    for (int i = 0; i < 10; ++i) {
        const QImage out(Path(QString("pictures/%1-%2.png").arg(i).arg(names[i])));
        ASSERT_FALSE(out.isNull()) << names[i];
        QFile png(Path(QString("pictures/%1-%2.png").arg(i).arg(names[i])));
        ASSERT_TRUE(png.open(QIODevice::ReadOnly));
        const QByteArray head = png.read(26);
        EXPECT_EQ(head.at(24), 8) << names[i];  // 8 bits per channel
        EXPECT_EQ(head.at(25), 2) << names[i];  // RGB, no alpha
        EXPECT_EQ(out.convertToFormat(QImage::Format_RGB32),
                  QImage(Path(QString(sources[i]) + ".png")).convertToFormat(QImage::Format_RGB32))
            << names[i];
    }

    // Packing the extracted pictures again gives the same file.
    Write("again.txt", "item one file=pictures/0-one.png depth=1\n");
    Write("first.txt", "item one file=two.png depth=1\n");
    ASSERT_EQ(Exec(GripTool(), {"dxg", "pack", Path("again.txt"), Path("again.dxg")}).ExitCode, 0);
    ASSERT_EQ(Exec(GripTool(), {"dxg", "pack", Path("first.txt"), Path("first.dxg")}).ExitCode, 0);
    QFile a(Path("again.dxg")), b(Path("first.dxg"));
    ASSERT_TRUE(a.open(QIODevice::ReadOnly) && b.open(QIODevice::ReadOnly));
    EXPECT_EQ(a.readAll(), b.readAll());
}

TEST_F(GripToolDxg, FailuresPrintTheMessageAndExitWithOne)
{
    TRun missing = Exec(GripTool(), {"dxg", "list", Path("absent.dxg")});
    EXPECT_EQ(missing.ExitCode, 1);
    EXPECT_EQ(missing.Err.toStdString(), "Cannot open file " + Path("absent.dxg").toStdString() + "\n");
    EXPECT_TRUE(missing.Out.isEmpty());

    static const char badFile[] = "\xFF\x0A\x00X\x00\x00\x00\x00\x00\x00\x00TPF1";
    Write("bad.dxg", QByteArray(badFile, sizeof badFile - 1));
    TRun bad = Exec(GripTool(), {"dxg", "extract", Path("bad.dxg"), Path("x")});
    EXPECT_EQ(bad.ExitCode, 1);
    EXPECT_EQ(bad.Err.toStdString(), "Invalid stream format\n");

    ASSERT_TRUE(QImage(3, 3, QImage::Format_RGB32).save(Path("p.png")));
    QImage colours(3, 1, QImage::Format_RGB32);
    colours.setPixel(0, 0, 0xFF000000);
    colours.setPixel(1, 0, 0xFFFFFFFF);
    colours.setPixel(2, 0, 0xFF808080);
    ASSERT_TRUE(colours.save(Path("three.png")));
    struct {
        const char* Manifest;
        const char* Error;
    } lines[] = {
        {"thing ball\n", ":1: expected 'item NAME ...'"},
        {"item ball file=p.png pattern=3\n", ":1: bad value for pattern: '3'"},
        {"item ball file=p.png size=3\n", ":1: unknown key 'size'"},
        {"item ball file=p.png depth=7\n", ":1: bad value for depth: '7'"},
        {"# ok\nitem ball file=p.png dib=p.png\n", ":2: give only one of file=, dib=, bitmap="},
        {"item ball file=three.png depth=1\n", ":1: Picture has more than 2 colours, too many for 1 bits"},
        {"item ball dib=p.png\n", "Error reading TPictureCollectionItem.Picture.Data: DIB is invalid"},
    };
    for (const auto& line : lines) {
        Write("m.txt", line.Manifest);
        TRun run = Exec(GripTool(), {"dxg", "pack", Path("m.txt"), Path("m.dxg")});
        EXPECT_EQ(run.ExitCode, 1) << line.Manifest;
        EXPECT_NE(run.Err.toStdString().find(line.Error), std::string::npos) << run.Err.toStdString();
        EXPECT_FALSE(QFile::exists(Path("m.dxg"))) << line.Manifest;
    }

    TRun usage = Exec(GripTool(), {"dxg", "list"});
    EXPECT_EQ(usage.ExitCode, 1);
    EXPECT_TRUE(usage.Err.contains("Usage:"));
    TRun help = Exec(GripTool(), {"--help"});
    EXPECT_EQ(help.ExitCode, 0);
    EXPECT_TRUE(help.Out.contains("item NAME [KEY=VALUE ...]"));
}

TEST_F(GripToolDxg, ExtractKeepsNamesInsideTheFolder)
{
    ASSERT_TRUE(QImage(2, 2, QImage::Format_RGB32).save(Path("p.png")));
    Write("m.txt", "item ../../escape file=p.png\n");
    ASSERT_EQ(Exec(GripTool(), {"dxg", "pack", Path("m.txt"), Path("m.dxg")}).ExitCode, 0);
    ASSERT_EQ(Exec(GripTool(), {"dxg", "extract", Path("m.dxg"), Path("deep/out")}).ExitCode, 0);
    EXPECT_TRUE(QFile::exists(Path("deep/out/0-.._.._escape.png")));
    EXPECT_FALSE(QFile::exists(Path("escape.png")));
}
