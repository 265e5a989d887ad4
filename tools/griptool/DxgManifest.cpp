#include "DxgManifest.h"

#include "platform/ByteWriter.h"
#include "sprites/DIB.h"
#include "sprites/PictureCollection.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QImageReader>

#include <cstdlib>
#include <fstream>
#include <sstream>

const char* const TDxgManifest::Help =
    "Manifest format (one image per line, in collection order; '#' starts a comment):\n"
    "  item NAME [KEY=VALUE ...]\n"
    "Keys:\n"
    "  file=PATH       a picture Qt can read (PNG, BMP, ...), stored as a TDIB record\n"
    "  depth=D         depth of that record: 1, 4, 8, 16 (5-5-5), 565 (16 bits 5-6-5), 24, 32,\n"
    "                  rle8 or rle4 (palette pictures stored run-length); default 24.\n"
    "                  The picture must fit the depth exactly (palette size, channel bits).\n"
    "  dib=PATH        a device-independent bitmap record (a bitmap file without its 14-byte\n"
    "                  header), stored unchanged as a TDIB record\n"
    "  bitmap=PATH     a whole Windows bitmap file, stored unchanged as a TBitmap record\n"
    "  pattern=WxH     PatternWidth x PatternHeight (default 0x0: the whole picture)\n"
    "  skip=WxH        SkipWidth x SkipHeight (default 0x0)\n"
    "  systemmemory=B  SystemMemory, 0 or 1 (default 0)\n"
    "  transparent=B   Transparent, 0 or 1 (default 1)\n"
    "  color=C         TransparentColor: a name such as clFuchsia, 0x00BBGGRR in hex, or a\n"
    "                  decimal number (default clBlack)\n"
    "Paths are relative to the manifest's folder. An item without a picture is stored empty.\n"
    "Example:\n"
    "  item blue file=blue.png pattern=20x20 color=clFuchsia\n"
    "  item digits file=digits.png depth=8 pattern=10x14 skip=2x0 transparent=0\n";

namespace {

std::vector<uint8_t> ReadWholeFile(const QString& path)
{
    QFile file(path);
    if (!file.open(QIODevice::ReadOnly))
        throw Exception(Format("Cannot open file %s", path.toLocal8Bit().constData()));
    const QByteArray bytes = file.readAll();
    return std::vector<uint8_t>(bytes.begin(), bytes.end());
}

bool ParseInt(const std::string& text, int64_t& value)
{
    if (text.empty())
        return false;
    char* end = nullptr;
    const bool hex = text.size() > 2 && text[0] == '0' && (text[1] == 'x' || text[1] == 'X');
    value = std::strtoll(text.c_str(), &end, hex ? 16 : 10);
    return *end == 0;
}

bool ParsePair(const std::string& text, int32_t& a, int32_t& b)
{
    const auto x = text.find('x');
    int64_t va = 0, vb = 0;
    if (x == std::string::npos || !ParseInt(text.substr(0, x), va) || !ParseInt(text.substr(x + 1), vb))
        return false;
    if (va < INT32_MIN || va > INT32_MAX || vb < INT32_MIN || vb > INT32_MAX)
        return false;
    a = int32_t(va);
    b = int32_t(vb);
    return true;
}

bool ParseBool(const std::string& text, bool& value)
{
    if (text == "0" || text == "1") {
        value = text == "1";
        return true;
    }
    return false;
}

std::vector<uint8_t> EncodePicture(const QString& path, const std::string& depth)
{
    QImageReader reader(path);
    const QImage image = reader.read();
    if (image.isNull())
        throw Exception(Format("Cannot read picture %s: %s", path.toLocal8Bit().constData(),
                               reader.errorString().toLocal8Bit().constData()));
    TDIB dib;
    if (depth == "rle8")
        dib = TDIB::FromImage(image, 8, TDIBStorage::RunLength);
    else if (depth == "rle4")
        dib = TDIB::FromImage(image, 4, TDIBStorage::RunLength);
    else if (depth == "565")
        dib = TDIB::FromImage(image, 16, TDIBStorage::Plain, true);
    else
        dib = TDIB::FromImage(image, std::atoi(depth.c_str()));
    return TImageWriter::PictureRecord("TDIB", dib.SaveToBytes());
}

} // namespace

std::vector<TImageWriterItem> TDxgManifest::Load(const std::string& path)
{
    std::ifstream in(path);
    if (!in)
        throw Exception(Format("Cannot open file %s", path.c_str()));
    const QDir base = QFileInfo(QString::fromStdString(path)).absoluteDir();
    std::vector<TImageWriterItem> items;
    std::string line;
    int number = 0;
    while (std::getline(in, line)) {
        ++number;
        auto fail = [&](const std::string& why) {
            throw Exception(Format("%s:%d: %s", path.c_str(), number, why.c_str()));
        };
        if (const auto hash = line.find('#'); hash != std::string::npos)
            line.erase(hash);
        std::istringstream words(line);
        std::string keyword;
        if (!(words >> keyword))
            continue;
        if (keyword != "item")
            fail("expected 'item NAME ...'");
        TImageWriterItem item;
        if (!(words >> item.Name))
            fail("item without a name");
        std::string file, dib, bitmap, depth = "24";
        std::string field;
        while (words >> field) {
            const auto eq = field.find('=');
            if (eq == std::string::npos)
                fail("expected KEY=VALUE, got '" + field + "'");
            const std::string key = field.substr(0, eq), value = field.substr(eq + 1);
            int64_t number64 = 0;
            bool ok = true;
            if (key == "file")
                file = value;
            else if (key == "dib")
                dib = value;
            else if (key == "bitmap")
                bitmap = value;
            else if (key == "depth") {
                static const char* const depths[] = {"1", "4", "8", "16", "565", "24", "32", "rle8", "rle4"};
                ok = std::find(std::begin(depths), std::end(depths), value) != std::end(depths);
                depth = value;
            } else if (key == "pattern")
                ok = ParsePair(value, item.PatternWidth, item.PatternHeight);
            else if (key == "skip")
                ok = ParsePair(value, item.SkipWidth, item.SkipHeight);
            else if (key == "systemmemory")
                ok = ParseBool(value, item.SystemMemory);
            else if (key == "transparent")
                ok = ParseBool(value, item.Transparent);
            else if (key == "color") {
                if (!TPictureCollectionColors::ByName(value, item.TransparentColor)) {
                    ok = ParseInt(value, number64) && number64 >= INT32_MIN && number64 <= UINT32_MAX;
                    item.TransparentColor = uint32_t(number64);
                }
            } else
                fail("unknown key '" + key + "'");
            if (!ok)
                fail("bad value for " + key + ": '" + value + "'");
        }
        if (int(!file.empty()) + int(!dib.empty()) + int(!bitmap.empty()) > 1)
            fail("give only one of file=, dib=, bitmap=");
        try {
            if (!file.empty())
                item.PictureRecord = EncodePicture(base.filePath(QString::fromStdString(file)), depth);
            else if (!dib.empty())
                item.PictureRecord = TImageWriter::PictureRecord("TDIB", ReadWholeFile(base.filePath(QString::fromStdString(dib))));
            else if (!bitmap.empty()) {
                const auto data = ReadWholeFile(base.filePath(QString::fromStdString(bitmap)));
                TByteWriter w;
                w.U32(uint32_t(data.size()));
                w.Append(data);
                item.PictureRecord = TImageWriter::PictureRecord("TBitmap", w.Bytes());
            }
        } catch (const std::exception& e) {
            fail(e.what());
        }
        items.push_back(std::move(item));
    }
    return items;
}
