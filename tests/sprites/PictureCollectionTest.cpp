#include "PictureCollectionTestData.h"
#include "sprites/PictureCollection.h"

#include <QBuffer>
#include <QTemporaryDir>

#include <gtest/gtest.h>

using namespace testdata;

namespace {

std::string LoadError(TPictureCollection& collection, const std::vector<uint8_t>& bytes)
{
    try {
        collection.LoadFromBytes(bytes);
    } catch (const EPictureCollectionError& e) {
        return e.what();
    }
    return "";
}

std::string LoadError(const std::vector<uint8_t>& bytes)
{
    TPictureCollection collection;
    return LoadError(collection, bytes);
}

std::function<void(TStream&)> Named(const std::string& name)
{
    return [name](TStream& s) { s.Name("Name").Str(name); };
}

std::vector<uint8_t> SmallDib(uint32_t colour)
{
    return Record("TDIB", Dib24(3, 2, [colour](int, int) { return colour; }));
}

} // namespace

TEST(PictureCollection, ReadsEveryPropertyInEveryValueForm)
{
    std::vector<uint8_t> table(1030);
    for (size_t i = 0; i < table.size(); ++i)
        table[i] = uint8_t(i * 7);
    const auto bytes = File(
        [&](TStream& s) {
            s.Name("Tag").Int16(12);
            s.Name("List.ColorTable").Binary(table);
            List({[](TStream& i) {
                      i.Name("Name").Str("ball").Name("PatternHeight").Int8(20).Name("PatternWidth").Int16(300);
                      i.Name("Picture.Data").Binary(SmallDib(0x112233));
                      i.Name("SkipHeight").Int32(-5).Name("SkipWidth").Int8(4);
                      i.Name("SystemMemory").Bool(true).Name("Transparent").Ident("false");
                      i.Name("TransparentColor").Ident("CLFUCHSIA");
                  },
                  [](TStream& i) {
                      i.Name("Name").LStr("Long").Name("TransparentColor").Int32(0x123456);
                      i.Name("PatternWidth").Int8(1).Name("PatternWidth").Int8(2); // the last value counts
                  },
                  [](TStream& i) { i.Name("Name").WStr(u"wide").Name("Transparent").Ident("True"); },
                  [](TStream& i) { i.Name("Name").Utf8("utf").Name("TransparentColor").Ident("clBtnFace"); }})(s);
        },
        "Store");
    TPictureCollection c;
    c.LoadFromBytes(bytes);
    ASSERT_EQ(c.Count(), 4);
    const auto* ball = c.Items(0);
    EXPECT_EQ(ball->Name(), "ball");
    EXPECT_EQ(ball->PatternHeight, 20);
    EXPECT_EQ(ball->PatternWidth, 300);
    EXPECT_EQ(ball->SkipHeight, -5);
    EXPECT_EQ(ball->SkipWidth, 4);
    EXPECT_TRUE(ball->SystemMemory);
    EXPECT_FALSE(ball->Transparent);
    EXPECT_EQ(ball->TransparentColor(), 0xFF00FFu);
    EXPECT_EQ(ball->Picture().Width(), 3);
    EXPECT_EQ(ball->Picture().ToImage().pixel(1, 1) & 0xFFFFFF, 0x112233u);
    EXPECT_EQ(c.Items(1)->Name(), "Long");
    EXPECT_EQ(c.Items(1)->TransparentColor(), 0x123456u);
    EXPECT_EQ(c.Items(1)->PatternWidth, 2);
    EXPECT_TRUE(c.Items(1)->Transparent);
    EXPECT_TRUE(c.Items(1)->Picture().Empty());
    EXPECT_EQ(c.Items(2)->Name(), "wide");
    EXPECT_EQ(c.Items(3)->Name(), "utf");
    EXPECT_EQ(c.Items(3)->TransparentColor(), 0x8000000Fu);
    EXPECT_EQ(c.ColorTable[5], uint8_t(35));
    EXPECT_EQ(c.ColorTable[1023], uint8_t(1023 * 7));
}

TEST(PictureCollection, ItemsMayStartWithAnOrderNumber)
{
    const auto bytes = File([](TStream& s) {
        s.Name("List").Byte(14);
        s.Int8(7).Byte(1).Name("Name").Str("a").Byte(0);
        s.Int32(9).Byte(1).Name("Name").Str("b").Byte(0);
        s.Byte(0);
    });
    TPictureCollection c;
    c.LoadFromBytes(bytes);
    ASSERT_EQ(c.Count(), 2);
    EXPECT_EQ(c.Items(1)->Name(), "b");
}

TEST(PictureCollection, WrongHeaderOrSignatureIsAnInvalidStreamFormat)
{
    const auto good = File(List({Named("x")}));
    EXPECT_EQ(LoadError(good), "");
    for (size_t at : {size_t(0), size_t(1), size_t(2)}) {
        auto bad = good;
        bad[at] ^= 0x01;
        EXPECT_EQ(LoadError(bad), "Invalid stream format") << at;
    }
    auto signature = good;
    signature[4 + 10 - 1 + 3] = 'X'; // the fourth byte of "TPF0" after the 3-letter name
    EXPECT_EQ(LoadError(signature), "Invalid stream format");
    std::vector<uint8_t> longName = {0xFF, 10, 0};
    longName.resize(200, 'A');
    EXPECT_EQ(LoadError(longName), "Invalid stream format");
    EXPECT_EQ(LoadError({0xFF, 10}), "Invalid stream format");
    EXPECT_EQ(LoadError(std::vector<uint8_t>(good.begin(), good.begin() + 14)), "Invalid stream format");
}

TEST(PictureCollection, PropertyFaultsNameTheObjectThePropertyAndTheCause)
{
    EXPECT_EQ(LoadError(File([](TStream& s) { s.Name("Foo").Int8(1); })),
              "Error reading TPictureCollectionComponent.Foo: Property Foo does not exist");
    EXPECT_EQ(LoadError(File([](TStream& s) { s.Name("Foo").Int8(1); }, "ImgStore")),
              "Error reading ImgStore.Foo: Property Foo does not exist");
    EXPECT_EQ(LoadError(File([](TStream& s) { s.Name("Tag").Str("x"); })),
              "Error reading TPictureCollectionComponent.Tag: Invalid property value");
    EXPECT_EQ(LoadError(File([](TStream& s) { s.Name("List.ColorTable").Binary(std::vector<uint8_t>(1023)); })),
              "Error reading TPictureCollectionComponent.List.ColorTable: Stream read error");
    EXPECT_EQ(LoadError(File([](TStream& s) { s.Name("List").Int8(0); })),
              "Error reading TPictureCollectionComponent.List: Invalid property value");
    EXPECT_EQ(LoadError(File(List({[](TStream& i) { i.Name("Bar").Int8(1); }}))),
              "Error reading TPictureCollectionItem.Bar: Property Bar does not exist");
    EXPECT_EQ(LoadError(File(List({[](TStream& i) { i.Name("PatternWidth").Str("10"); }}))),
              "Error reading TPictureCollectionItem.PatternWidth: Invalid property value");
    EXPECT_EQ(LoadError(File(List({[](TStream& i) { i.Name("Transparent").Ident("Yes"); }}))),
              "Error reading TPictureCollectionItem.Transparent: Invalid property value");
    EXPECT_EQ(LoadError(File(List({[](TStream& i) { i.Name("TransparentColor").Ident("clPink"); }}))),
              "Error reading TPictureCollectionItem.TransparentColor: Invalid property value");
    EXPECT_EQ(LoadError(File(List({[](TStream& i) { i.Name("Name").Ident("ball"); }}))),
              "Error reading TPictureCollectionItem.Name: Invalid property value");

    auto bitCount2 = Header40(1, 1, 2);
    Append(bitCount2, std::vector<uint8_t>(20, 0));
    EXPECT_EQ(LoadError(File(List({[&](TStream& i) { i.Name("Picture.Data").Binary(Record("TDIB", bitCount2)); }}))),
              "Error reading TPictureCollectionItem.Picture.Data: Bitcount in invalid (2)");
    EXPECT_EQ(LoadError(File(List({[](TStream& i) {
                  i.Name("Picture.Data").Binary(Record("TBitmap", {4, 0, 0, 0, 'X', 'M', 0, 0}));
              }}))),
              "Error reading TPictureCollectionItem.Picture.Data: Bitmap image is not valid");
    EXPECT_EQ(LoadError(File(List({[](TStream& i) {
                  i.Name("Picture.Data").Binary(Record("TBitmap", {40, 0, 0, 0, 'B', 'M'}));
              }}))),
              "Error reading TPictureCollectionItem.Picture.Data: Stream read error");
}

TEST(PictureCollection, AFaultKeepsTheItemsReadBeforeIt)
{
    auto bytes = File(List({Named("one"), Named("two"), Named("three")}));
    const std::string marker = "three";
    const auto at = std::search(bytes.begin(), bytes.end(), marker.begin(), marker.end());
    bytes.erase(at + 2, bytes.end()); // the third name is cut short
    TPictureCollection c;
    EXPECT_EQ(LoadError(c, bytes), "Error reading TPictureCollectionItem.Name: Stream read error");
    ASSERT_EQ(c.Count(), 3);
    EXPECT_EQ(c.Items(1)->Name(), "two");
    EXPECT_EQ(c.Items(2)->Name(), "");

    // A load replaces what was there.
    c.LoadFromBytes(File(List({Named("only")})));
    ASSERT_EQ(c.Count(), 1);
    EXPECT_EQ(c.IndexOfName("two"), -1);
}

TEST(PictureCollection, PictureRecordsOfEveryClass)
{
    TDIB dib = TDIB::FromImage(QImage(4, 3, QImage::Format_RGB32), 8);
    const auto bitmapFile = dib.SaveToBitmapFile();
    TByteWriter sized;
    sized.U32(uint32_t(bitmapFile.size()));
    sized.Append(bitmapFile);

    QImage icon(16, 16, QImage::Format_ARGB32);
    icon.fill(0xFF00FF00);
    QBuffer buffer;
    buffer.open(QIODevice::WriteOnly);
    ASSERT_TRUE(icon.save(&buffer, "ICO"));
    const std::vector<uint8_t> ico(buffer.data().begin(), buffer.data().end());

    TPictureCollection c;
    c.LoadFromBytes(File(List({
        [&](TStream& i) { i.Name("Picture.Data").Binary(Record("TBitmap", sized.Bytes())); },
        [&](TStream& i) { i.Name("Picture.Data").Binary(Record("TBitmap", {0, 0, 0, 0})); },
        [&](TStream& i) { i.Name("Picture.Data").Binary(Record("TMetafile", {1, 2, 3})); },
        [&](TStream& i) { i.Name("Picture.Data").Binary(Record("tdib", SmallDib(1))); },
        [&](TStream& i) { i.Name("Picture.Data").Binary(Record("TDIB", {})); },
        [&](TStream& i) { i.Name("Picture.Data").Binary(Record("TIcon", ico)); },
    })));
    ASSERT_EQ(c.Count(), 6);
    EXPECT_EQ(c.Items(0)->Picture().Width(), 4);
    EXPECT_EQ(c.Items(0)->Picture().BitCount(), 8);
    for (int i = 1; i <= 4; ++i)
        EXPECT_TRUE(c.Items(i)->Picture().Empty()) << i;
    EXPECT_EQ(c.Items(5)->Picture().Width(), 16);
    EXPECT_EQ(c.Items(5)->Picture().ToImage().pixel(8, 8) & 0xFFFFFF, 0x00FF00u);

    EXPECT_EQ(LoadError(File(List({[](TStream& i) { i.Name("Picture.Data").Binary(Record("TIcon", {1, 2})); }}))),
              "Error reading TPictureCollectionItem.Picture.Data: Icon image is not valid");
}

TEST(PictureCollection, NamesAreFoundWithoutRegardToCaseAndTheLastNamedWins)
{
    TPictureCollection c;
    c.LoadFromBytes(File(List({Named("detect"), Named("ball"), Named("Other"), Named("BALL")})));
    EXPECT_EQ(c.IndexOfName("DETECT"), 0);
    EXPECT_EQ(c.ImageByName("ball"), c.Items(3));
    EXPECT_EQ(c.IndexOfName("other"), 2);
    EXPECT_EQ(c.IndexOfName("balls"), -1);
    try {
        c.ImageByName("missing");
        ADD_FAILURE() << "no error";
    } catch (const EPictureCollectionError& e) {
        EXPECT_STREQ(e.what(), "Image 'missing' not found");
    }

    // Renaming moves an item to its new bucket; deleting keeps the indexes after it right.
    c.Items(3)->SetName("gone");
    EXPECT_EQ(c.IndexOfName("ball"), 1);
    c.Delete(0);
    EXPECT_EQ(c.IndexOfName("ball"), 0);
    EXPECT_EQ(c.IndexOfName("gone"), 2);
    EXPECT_EQ(c.IndexOfName("detect"), -1);
    c.Add();
    EXPECT_EQ(c.IndexOfName(""), 3);

    EXPECT_EQ(TPictureCollection::HashOf(""), 0);
    EXPECT_EQ(TPictureCollection::HashOf("X"), 16);
    EXPECT_EQ(TPictureCollection::HashOf("Ab"), (2 * 16 + 'a' + 'a') % 256);
    EXPECT_EQ(TPictureCollection::HashOf("detect"), (6 * 16 + 'c' + 'd') % 256);
}

TEST(PictureCollection, SavedCollectionsLoadBackTheSame)
{
    TPictureCollection c;
    c.LoadFromBytes(File(List({
        [](TStream& i) {
            i.Name("Name").Str("a").Name("PatternWidth").Int32(100000).Name("SkipHeight").Int8(-3);
            i.Name("TransparentColor").Int32(0x123456).Name("Transparent").Bool(false);
            i.Name("Picture.Data").Binary(SmallDib(0xABCDEF));
        },
        [](TStream& i) { i.Name("Name").Str("b").Name("SystemMemory").Bool(true).Name("TransparentColor").Ident("clRed"); },
    })));
    c.ColorTable[3] = 99;
    QTemporaryDir dir;
    const QString path = dir.filePath("saved.dxg");
    c.SaveToFile(path);
    TPictureCollection back;
    back.LoadFile(path);
    ASSERT_EQ(back.Count(), 2);
    EXPECT_EQ(back.ColorTable[3], 99);
    for (int i = 0; i < 2; ++i) {
        const auto *x = c.Items(i), *y = back.Items(i);
        EXPECT_EQ(x->Name(), y->Name());
        EXPECT_EQ(x->PatternWidth, y->PatternWidth);
        EXPECT_EQ(x->SkipHeight, y->SkipHeight);
        EXPECT_EQ(x->SystemMemory, y->SystemMemory);
        EXPECT_EQ(x->Transparent, y->Transparent);
        EXPECT_EQ(x->TransparentColor(), y->TransparentColor());
        EXPECT_EQ(x->Picture().ToImage(), y->Picture().ToImage());
    }

    try {
        back.LoadFile(dir.filePath("absent.dxg"));
        ADD_FAILURE() << "no error";
    } catch (const EPictureCollectionError& e) {
        EXPECT_EQ(std::string(e.what()), "Cannot open file " + dir.filePath("absent.dxg").toStdString());
    }
}
