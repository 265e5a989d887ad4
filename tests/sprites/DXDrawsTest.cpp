#include "sprites/DXDraws.h"

#include <QCoreApplication>
#include <QPaintEvent>
#include <QPoint>

#include <gtest/gtest.h>

#include <algorithm>
#include <memory>
#include <string>
#include <utility>
#include <vector>

namespace {

// A 4 x 3 source whose pixel values name their own place: 0x00YYXX + 1.
TDirectDrawSurface NumberedSource()
{
    TDirectDrawSurface s;
    s.SetSize(4, 3);
    for (int y = 0; y < 3; ++y)
        for (int x = 0; x < 4; ++x)
            s.SetPixel(x, y, static_cast<std::uint32_t>((y << 8) | x) + 1);
    return s;
}

TDirectDrawSurface Blank(int w, int h, std::uint32_t fill = 0xABCDEF)
{
    TDirectDrawSurface s;
    s.SetSize(w, h);
    s.Fill(fill);
    return s;
}

std::uint32_t At(int x, int y) { return static_cast<std::uint32_t>((y << 8) | x) + 1; }

} // namespace

TEST(DirectDrawSurface, PixelsReadBackOutsideReadsZeroAndWritesNothing)
{
    TDirectDrawSurface s = Blank(2, 2, 0x123456);
    EXPECT_EQ(s.Pixel(1, 1), 0x123456u);
    s.SetPixel(5, 0, 0xFFFFFF);
    s.SetPixel(-1, 0, 0xFFFFFF);
    EXPECT_EQ(s.Pixel(5, 0), 0u);
    EXPECT_EQ(s.Pixel(-1, -1), 0u);
    EXPECT_EQ(s.Pixel(0, 0), 0x123456u);
    s.SetSize(0, 7);
    EXPECT_TRUE(s.IsEmpty());
    EXPECT_EQ(s.Width(), 0);
}

TEST(DirectDrawSurface, CopyIsClippedAgainstBothSurfaces)
{
    const TDirectDrawSurface src = NumberedSource();
    TDirectDrawSurface dst = Blank(3, 3);
    // Source rectangle reaches past the source's right edge, destination starts left of 0.
    dst.Draw(-1, 1, TRect{1, 0, 6, 2}, &src, false);
    EXPECT_EQ(dst.Pixel(0, 1), At(2, 0));
    EXPECT_EQ(dst.Pixel(1, 1), At(3, 0));
    EXPECT_EQ(dst.Pixel(2, 1), 0xABCDEFu) << "pixels beyond the source were copied";
    EXPECT_EQ(dst.Pixel(0, 2), At(2, 1));
    EXPECT_EQ(dst.Pixel(0, 0), 0xABCDEFu);

    TDirectDrawSurface untouched = Blank(3, 3);
    untouched.Draw(4, 0, TRect{0, 0, 4, 3}, &src, false);
    untouched.Draw(0, 4, TRect{0, 0, 4, 3}, &src, false);
    untouched.Draw(-10, 0, TRect{0, 0, 4, 3}, &src, false);
    untouched.Draw(0, 0, TRect{0, 0, 4, 3}, nullptr, false);
    for (int y = 0; y < 3; ++y)
        for (int x = 0; x < 3; ++x)
            EXPECT_EQ(untouched.Pixel(x, y), 0xABCDEFu);
}

TEST(DirectDrawSurface, ColourKeySkipsOnlyKeyedPixels)
{
    TDirectDrawSurface src = NumberedSource();
    src.SetTransparentColor(At(1, 0));
    TDirectDrawSurface dst = Blank(4, 3);
    dst.Draw(0, 0, src.ClientRect(), &src, true);
    EXPECT_EQ(dst.Pixel(1, 0), 0xABCDEFu);
    EXPECT_EQ(dst.Pixel(0, 0), At(0, 0));
    EXPECT_EQ(dst.Pixel(1, 1), At(1, 1));
    dst.Draw(0, 0, src.ClientRect(), &src, false);
    EXPECT_EQ(dst.Pixel(1, 0), At(1, 0));
}

// A colour-keyed copy done pixel by pixel, to hold the surface's own against.
void KeyedCopyByHand(TDirectDrawSurface& dst, int x, int y, const TRect& r, const TDirectDrawSurface& src)
{
    for (int sy = std::max(r.Top, 0); sy < std::min(r.Bottom, src.Height()); ++sy)
        for (int sx = std::max(r.Left, 0); sx < std::min(r.Right, src.Width()); ++sx)
            if (src.Pixel(sx, sy) != src.TransparentColor())
                dst.SetPixel(x + sx - r.Left, y + sy - r.Top, src.Pixel(sx, sy));
}

TEST(DirectDrawSurface, ColourKeyedCopiesFollowTheSourceAsItChanges)
{
    // Runs of keyed and unkeyed pixels of every length, copied from rectangles cut anywhere.
    TDirectDrawSurface src;
    src.SetSize(37, 9);
    std::uint32_t seed = 7;
    auto next = [&seed] { return seed = seed * 1103515245u + 12345u; };
    for (int y = 0; y < 9; ++y)
        for (int x = 0; x < 37; ++x)
            src.SetPixel(x, y, (next() >> 16) % 3 == 0 ? 0x00FF00 : 0x100000 + (next() >> 16 & 0xFFFF));
    src.SetTransparentColor(0x00FF00);
    auto sameAsByHand = [&src](const char* when) {
        for (const TRect r : {TRect{0, 0, 37, 9}, TRect{3, 1, 20, 8}, TRect{-4, -2, 50, 12}, TRect{17, 4, 18, 5}}) {
            for (const QPoint at : {QPoint(0, 0), QPoint(-5, 2), QPoint(20, -3)}) {
                TDirectDrawSurface got = Blank(40, 12), want = Blank(40, 12);
                got.Draw(at.x(), at.y(), r, &src, true);
                KeyedCopyByHand(want, at.x() + std::max(0, -r.Left), at.y() + std::max(0, -r.Top),
                                TRect{std::max(r.Left, 0), std::max(r.Top, 0), r.Right, r.Bottom}, src);
                ASSERT_EQ(got.Image(), want.Image()) << when << ": rect " << r.Left << "," << r.Top << " at "
                                                     << at.x() << "," << at.y();
            }
        }
    };
    sameAsByHand("first copy");
    src.SetPixel(0, 0, 0x00FF00);
    src.SetPixel(5, 3, 0x123456);
    sameAsByHand("after pixels changed");
    src.SetTransparentColor(src.Pixel(2, 2));
    sameAsByHand("after the key changed");
    src.Image().fill(0xFF00FF00u);
    sameAsByHand("after the picture was painted over");
}

TEST(DirectDrawSurface, InvertedRectanglesCopyMirroredAndClipTheFarSide)
{
    const TDirectDrawSurface src = NumberedSource();
    TDirectDrawSurface dst = Blank(4, 3);
    dst.Draw(0, 0, TRect{4, 0, 0, 3}, &src, false);
    for (int x = 0; x < 4; ++x)
        EXPECT_EQ(dst.Pixel(x, 1), At(3 - x, 1));

    TDirectDrawSurface upDown = Blank(4, 3);
    upDown.Draw(0, 0, TRect{0, 3, 4, 0}, &src, false);
    EXPECT_EQ(upDown.Pixel(2, 0), At(2, 2));
    EXPECT_EQ(upDown.Pixel(2, 2), At(2, 0));

    // Mirrored and pushed off the left edge: what falls off is the source's right side.
    TDirectDrawSurface clipped = Blank(4, 3);
    clipped.Draw(-1, 0, TRect{4, 0, 0, 3}, &src, false);
    EXPECT_EQ(clipped.Pixel(0, 0), At(2, 0));
    EXPECT_EQ(clipped.Pixel(2, 0), At(0, 0));
    EXPECT_EQ(clipped.Pixel(3, 0), 0xABCDEFu);
}

TEST(DirectDrawSurface, LoadFromGraphicTakesSizeAndPixels)
{
    QImage picture(5, 2, QImage::Format_RGB888);
    picture.fill(QColor(1, 2, 3));
    picture.setPixelColor(4, 1, QColor(200, 100, 50));
    TDirectDrawSurface s;
    s.LoadFromGraphic(picture);
    EXPECT_EQ(s.Width(), 5);
    EXPECT_EQ(s.Height(), 2);
    EXPECT_EQ(s.Pixel(0, 0), 0x010203u);
    EXPECT_EQ(s.Pixel(4, 1), 0xC86432u);
}

namespace {
struct Recorder {
    std::vector<std::string>* log;
    std::string name;
    void operator()(TDXDrawNotifyType t) const
    {
        static const char* names[] = {"destroying", "initializing", "initialize", "initializeSurface",
                                      "finalize",   "finalizeSurface", "restore", "setSurfaceSize"};
        log->push_back(name + ":" + names[t]);
    }
};
} // namespace

TEST(DXDraw, InitialisesToItsSizeNotifiesInOrderAndReplaysOnRegistration)
{
    std::vector<std::string> log;
    QWidget form;
    auto* draw = new TDXDraw(&form);
    draw->AutoInitialize = false;
    draw->setGeometry(0, 0, 457, 385);
    int first = 0;
    draw->Register(&first, Recorder{&log, "a"});
    EXPECT_EQ(log, (std::vector<std::string>{"a:setSurfaceSize"}));
    log.clear();

    draw->Initialize();
    EXPECT_EQ(draw->Surface().Width(), 457);
    EXPECT_EQ(draw->Surface().Height(), 385);
    EXPECT_EQ(log, (std::vector<std::string>{"a:initializing", "a:setSurfaceSize", "a:initialize",
                                             "a:initializeSurface", "a:restore"}));
    log.clear();

    int second = 0;
    draw->Register(&second, Recorder{&log, "b"});
    EXPECT_EQ(log, (std::vector<std::string>{"b:setSurfaceSize", "b:initialize", "b:initializeSurface",
                                             "b:restore"}));
    log.clear();

    draw->Unregister(&first);
    EXPECT_EQ(log, (std::vector<std::string>{"a:finalizeSurface", "a:finalize"}));
    log.clear();

    int third = 0;
    draw->Register(&third, Recorder{&log, "c"});
    log.clear();
    delete draw;
    EXPECT_EQ(log, (std::vector<std::string>{"b:finalizeSurface", "c:finalizeSurface", "b:finalize",
                                             "c:finalize", "c:destroying", "b:destroying"}));
}

TEST(DXDraw, NeedsAFormAndKeepsOnlyWindowedOptions)
{
    TDXDraw loose;
    loose.AutoInitialize = false;
    try {
        loose.Initialize();
        FAIL() << "initialised without a form";
    } catch (const EDirectDrawError& e) {
        EXPECT_STREQ(e.what(), "Form not found");
    }
    EXPECT_FALSE(loose.Initialized());
    EXPECT_EQ(loose.Options(), DefaultDXDrawOptions);
    EXPECT_EQ(loose.NowOptions(), Opts(doWaitVBlank, doCenter));
    loose.SetOptions(Opts(doSystemMemory, doFlip, doFullScreen, do3D, doDirectX7Mode, doRetainedMode));
    EXPECT_EQ(loose.NowOptions(), Opts(doSystemMemory, doFullScreen, do3D, doDirectX7Mode));
}

TEST(DXDraw, FlipCentresALargerSurfaceTruncatingTowardZero)
{
    QWidget form;
    auto* draw = new TDXDraw(&form);
    draw->AutoInitialize = false;
    draw->setGeometry(0, 0, 457, 385);
    draw->Initialize();
    QImage skin(462, 363, QImage::Format_RGB888);
    skin.fill(Qt::red);
    draw->Surface().LoadFromGraphic(skin);
    draw->Flip();
    EXPECT_EQ(draw->PresentedOrigin(), QPoint(-2, 11));
    EXPECT_EQ(draw->PresentedImage().size(), QSize(462, 363));
}

namespace {
// What the control was asked to repaint since the last look.
class TPaintSpy : public QObject {
public:
    QRegion Painted;
    bool eventFilter(QObject*, QEvent* event) override
    {
        if (event->type() == QEvent::Paint)
            Painted += static_cast<QPaintEvent*>(event)->region();
        return false;
    }
    QRegion Take()
    {
        QCoreApplication::processEvents();
        return std::exchange(Painted, QRegion());
    }
};
}

TEST(DXDraw, FlipRepaintsWhatChangedAndNothingWhenNothingDid)
{
    QWidget form;
    form.resize(457, 385);
    auto* draw = new TDXDraw(&form);
    draw->AutoInitialize = false;
    draw->setGeometry(0, 0, 457, 385);
    draw->Initialize();
    TPaintSpy spy;
    draw->installEventFilter(&spy);
    form.show();
    draw->Surface().Fill(0x102030);
    draw->Flip();
    EXPECT_TRUE(spy.Take().contains(draw->rect()));

    // The next frame is a picture of its own, as the frame loop reloads the skin; two places
    // far apart change in it.
    TDirectDrawSurface& surface = draw->Surface();
    surface.LoadFromGraphic(draw->PresentedImage().copy());
    surface.SetPixel(10, 10, 0xFFFFFF);
    surface.SetPixel(400, 300, 0xFFFFFF);
    draw->Flip();
    const QRegion painted = spy.Take();
    EXPECT_TRUE(painted.contains(QPoint(10, 10)));
    EXPECT_TRUE(painted.contains(QPoint(400, 300)));
    EXPECT_FALSE(painted.contains(QPoint(200, 150)));
    EXPECT_FALSE(painted.contains(QPoint(400, 10)));

    surface.LoadFromGraphic(draw->PresentedImage().copy());
    draw->Flip();
    EXPECT_TRUE(spy.Take().isEmpty());
    // A changed placement shows the whole picture anew.
    draw->resize(461, 385);
    surface.LoadFromGraphic(draw->PresentedImage().copy());
    draw->Flip();
    EXPECT_TRUE(spy.Take().contains(draw->rect()));
}

TEST(DXDraw, AZoomedSurfaceShowsEachPixelAsASquareAndRepaintsWhatChangedZoomed)
{
    QWidget form;
    form.resize(914, 770);
    auto* draw = new TDXDraw(&form);
    draw->AutoInitialize = false;
    draw->SetZoom(2);
    draw->setGeometry(0, 0, 914, 770);
    draw->Initialize();
    EXPECT_EQ(draw->SurfaceWidth(), 457) << "the surface takes the control's size unzoomed";
    TPaintSpy spy;
    draw->installEventFilter(&spy);
    form.show();
    QImage picture(462, 363, QImage::Format_RGB32);
    for (int y = 0; y < picture.height(); ++y)
        for (int x = 0; x < picture.width(); ++x)
            picture.setPixel(x, y, qRgb(x % 256, y % 256, (x * 7 + y * 3) % 256));
    draw->Surface().LoadFromGraphic(picture);
    draw->Flip();
    EXPECT_EQ(draw->PresentedOrigin(), QPoint(-4, 22));
    const QImage shown = draw->grab().toImage().convertToFormat(QImage::Format_RGB32);
    spy.Take();
    ASSERT_EQ(shown.size(), QSize(914, 770));
    for (const QPoint p : {QPoint(10, 10), QPoint(200, 150), QPoint(458, 362)})
        for (const QPoint corner : {QPoint(0, 0), QPoint(1, 0), QPoint(0, 1), QPoint(1, 1)}) {
            const QPoint at = draw->PresentedOrigin() + p * 2 + corner;
            EXPECT_EQ(shown.pixel(at), picture.pixel(p)) << p.x() << "," << p.y() << " +" << corner.x() << corner.y();
        }
    EXPECT_EQ(shown.pixel(5, 5), qRgb(0, 0, 0)) << "above the picture is black";

    TDirectDrawSurface& surface = draw->Surface();
    surface.LoadFromGraphic(draw->PresentedImage().copy());
    surface.SetPixel(400, 300, 0xFFFFFF);
    draw->Flip();
    const QRegion painted = spy.Take();
    EXPECT_TRUE(painted.contains(QPoint(-4, 22) + QPoint(801, 601)));
    EXPECT_FALSE(painted.contains(QPoint(400, 300)));

    // The mouse is handed the point unzoomed.
    EXPECT_EQ(draw->UnzoomedPoint(QPoint(791, 21)), QPoint(395, 10));
}
