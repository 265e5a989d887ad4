#include "PictureCollectionTestData.h"
#include "sprites/DXImageList.h"

#include <QWidget>

#include <gtest/gtest.h>

#include <memory>

using namespace testdata;

namespace {

constexpr uint32_t Fuchsia = 0xFF00FF; // 0x00RRGGBB and 0x00BBGGRR alike

// A drawing surface on a form, not yet initialised.
struct TScene {
    QWidget Form;
    TDXDraw* Draw;
    TScene() : Draw(new TDXDraw(&Form))
    {
        Draw->AutoInitialize = false;
        Draw->setGeometry(0, 0, 100, 60);
    }
};

// A 60 x 20 strip of three 20 x 20 patterns: pattern k is filled with colour k + 1, except a
// fuchsia corner pixel and a fuchsia column at x = 10.
std::vector<uint8_t> ThreePatternFile(uint32_t transparentColor = Fuchsia)
{
    const auto dib = Dib24(60, 20, [](int x, int y) {
        if ((x % 20 == 0 && y == 0) || x % 20 == 10)
            return Fuchsia;
        return uint32_t(x / 20 + 1) * 0x010101;
    });
    return File(List({[&](TStream& i) {
        i.Name("Name").Str("digits").Name("PatternHeight").Int8(20).Name("PatternWidth").Int8(20);
        i.Name("Picture.Data").Binary(Record("TDIB", dib));
        i.Name("TransparentColor").Int32(int32_t(transparentColor));
    }}));
}

} // namespace

TEST(DXImageList, ItemsBecomeDrawableWhenTheSurfaceInitialises)
{
    TScene scene;
    TDXImageList list;
    list.Items().LoadFromBytes(ThreePatternFile());
    list.SetDXDraw(scene.Draw);
    auto* item = list.Items().ImageByName("DIGITS");
    EXPECT_FALSE(item->Ready());
    EXPECT_EQ(item->PatternCount(), 0);

    scene.Draw->Initialize();
    ASSERT_TRUE(item->Ready());
    ASSERT_EQ(item->PatternCount(), 3);
    EXPECT_EQ(item->EffectiveWidth(), 20);

    TDirectDrawSurface& target = scene.Draw->Surface();
    target.Fill(0x123456);
    item->DrawPattern(&target, 5, 7, 1);
    EXPECT_EQ(target.Pixel(6, 8), 0x020202u);
    EXPECT_EQ(target.Pixel(5, 7), 0x123456u);  // the fuchsia corner is left out
    EXPECT_EQ(target.Pixel(15, 9), 0x123456u); // and so is the fuchsia column
    EXPECT_EQ(target.Pixel(24, 26), 0x020202u);
    EXPECT_EQ(target.Pixel(25, 27), 0x123456u);

    item->Transparent = false;
    item->DrawPattern(&target, 5, 7, 2);
    EXPECT_EQ(target.Pixel(5, 7), Fuchsia);

    // Outside the patterns nothing is drawn.
    target.Fill(0);
    item->DrawPattern(&target, 0, 0, 3);
    item->DrawPattern(&target, 0, 0, -1);
    EXPECT_EQ(target.Pixel(1, 1), 0u);

    scene.Draw->Finalize();
    EXPECT_FALSE(item->Ready());
    EXPECT_TRUE(item->PatternSurfaces().empty());
}

TEST(DXImageList, PatternsAreClippedToTheTarget)
{
    TScene scene;
    scene.Draw->Initialize();
    TDXImageList list;
    list.SetDXDraw(scene.Draw);
    // Loading while bound makes the images drawable at once.
    list.Items().LoadFromBytes(ThreePatternFile());
    auto* item = list.Items().Items(0);
    ASSERT_EQ(item->PatternCount(), 3);
    TDirectDrawSurface& target = scene.Draw->Surface();
    target.Fill(0);
    item->DrawPattern(&target, -15, -15, 0);
    EXPECT_EQ(target.Pixel(0, 0), 0x010101u);
    EXPECT_EQ(target.Pixel(4, 4), 0x010101u);
    EXPECT_EQ(target.Pixel(5, 5), 0u);
    item->DrawPattern(&target, 90, 50, 0);
    EXPECT_EQ(target.Pixel(99, 59), 0x010101u);
}

TEST(DXImageList, ChangingTheTransparentColourReKeysTheSurfaces)
{
    TScene scene;
    scene.Draw->Initialize();
    TDXImageList list;
    list.Items().LoadFromBytes(ThreePatternFile(0x010101)); // pattern 0's fill is transparent
    list.SetDXDraw(scene.Draw);
    auto* item = list.Items().Items(0);
    TDirectDrawSurface& target = scene.Draw->Surface();
    target.Fill(0x777777);
    item->DrawPattern(&target, 0, 0, 0);
    EXPECT_EQ(target.Pixel(3, 3), 0x777777u);
    EXPECT_EQ(target.Pixel(0, 0), Fuchsia);

    item->SetTransparentColor(0x8000000F); // a system colour, turned into RGB first
    for (const auto& surface : item->PatternSurfaces())
        EXPECT_EQ(surface->TransparentColor(), 0xC0C0C0u);
    item->SetTransparentColor(Fuchsia);
    target.Fill(0x777777);
    item->DrawPattern(&target, 0, 0, 0);
    EXPECT_EQ(target.Pixel(3, 3), 0x010101u);
    EXPECT_EQ(target.Pixel(0, 0), 0x777777u);
}

TEST(DXImageList, BlocksDrawTheSamePixelsAsOneSurface)
{
    const auto dib = Dib24(2000, 40, [](int x, int y) { return uint32_t((x * 31 + y * 7) & 0xFFFFFF) | 0x80; });
    auto file = File(List({
        [&](TStream& i) {
            i.Name("Name").Str("blocks").Name("PatternHeight").Int8(40).Name("PatternWidth").Int8(40);
            i.Name("Picture.Data").Binary(Record("TDIB", dib));
        },
        [&](TStream& i) {
            i.Name("Name").Str("whole").Name("PatternHeight").Int8(40).Name("PatternWidth").Int8(40);
            i.Name("Picture.Data").Binary(Record("TDIB", dib)).Name("SystemMemory").Bool(true);
        },
    }));
    TScene scene;
    scene.Draw->Initialize();
    TDXImageList list;
    list.SetDXDraw(scene.Draw);
    list.Items().LoadFromBytes(file);
    auto* blocks = list.Items().ImageByName("blocks");
    auto* whole = list.Items().ImageByName("whole");
    ASSERT_EQ(blocks->PatternCount(), 50);
    ASSERT_EQ(whole->PatternCount(), 50);
    ASSERT_EQ(blocks->PatternSurfaces().size(), 4u);
    EXPECT_EQ(blocks->PatternSurfaces()[3]->Width(), 440);
    ASSERT_EQ(whole->PatternSurfaces().size(), 1u);

    TDirectDrawSurface a, b;
    a.SetSize(40, 40);
    b.SetSize(40, 40);
    for (int k = 0; k < 50; ++k) {
        a.Fill(0);
        b.Fill(0);
        blocks->DrawPattern(&a, 0, 0, k);
        whole->DrawPattern(&b, 0, 0, k);
        ASSERT_EQ(a.Image(), b.Image()) << "pattern " << k;
        ASSERT_EQ(a.Pixel(39, 39), (uint32_t(((k * 40 + 39) * 31 + 39 * 7) & 0xFFFFFF) | 0x80)) << k;
    }
}

TEST(DXImageList, BindingNeedsAnInitialisedComponent)
{
    TPictureCollection collection;
    TScene scene;
    for (TDXDraw* draw : {static_cast<TDXDraw*>(nullptr), scene.Draw}) {
        try {
            collection.Bind(draw);
            ADD_FAILURE() << "no error";
        } catch (const EPictureCollectionError& e) {
            EXPECT_STREQ(e.what(), "TPictureCollection cannot be initialized");
        }
    }
}

TEST(DXImageList, TheSurfaceComponentGoingAwayUnbindsTheStore)
{
    auto scene = std::make_unique<TScene>();
    scene->Draw->Initialize();
    TDXImageList list;
    list.Items().LoadFromBytes(ThreePatternFile());
    list.SetDXDraw(scene->Draw);
    ASSERT_TRUE(list.Items().Items(0)->Ready());
    ASSERT_EQ(list.Items().Items(0)->PatternCount(), 3);
    scene.reset();
    EXPECT_EQ(list.DXDraw(), nullptr);
    EXPECT_FALSE(list.Items().Items(0)->Ready());

    // Changing components moves the registration.
    TScene first, second;
    first.Draw->Initialize();
    second.Draw->Initialize();
    list.SetDXDraw(first.Draw);
    list.SetDXDraw(second.Draw);
    EXPECT_EQ(list.Items().DXDraw(), second.Draw);
    first.Draw->Finalize();
    EXPECT_TRUE(list.Items().Items(0)->Ready());
    list.SetDXDraw(nullptr);
    EXPECT_FALSE(list.Items().Items(0)->Ready());
}

TEST(DXImageList, AssigningItemsCopiesThem)
{
    TPictureCollection source;
    source.LoadFromBytes(ThreePatternFile());
    TScene scene;
    scene.Draw->Initialize();
    TDXImageList list;
    list.SetDXDraw(scene.Draw);
    list.SetItems(source);
    ASSERT_EQ(list.Items().Count(), 1);
    EXPECT_EQ(list.Items().Owner(), &list);
    EXPECT_EQ(list.Items().Items(0)->PatternCount(), 3);
    EXPECT_EQ(list.Items().ImageByName("digits")->TransparentColor(), Fuchsia);
}
