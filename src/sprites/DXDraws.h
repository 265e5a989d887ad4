#pragma once

#include "platform/Exception.h"
#include "platform/Geometry.h"

#include <QImage>
#include <QRegion>
#include <QWidget>

#include <cstdint>
#include <functional>
#include <string>
#include <utility>
#include <vector>

class EDirectDrawError : public Exception {
public:
    using Exception::Exception;
};

// An off-screen picture the game draws into. Pixels are 32-bit 0x00RRGGBB values; the top
// byte is ignored everywhere, so a pixel value read back compares equal to the one written.
class TDirectDrawSurface {
public:
    TDirectDrawSurface() = default;

    void SetSize(int width, int height);
    int Width() const { return image_.width(); }
    int Height() const { return image_.height(); }
    TRect ClientRect() const { return TRect{0, 0, Width(), Height()}; }
    bool IsEmpty() const { return image_.isNull(); }

    // Takes the graphic's size and its pixels, unscaled.
    void LoadFromGraphic(const QImage& graphic);

    // Copies source's rectangle to (x, y), clipped against both surfaces. With transparent,
    // source pixels equal to the source's colour key are skipped. A rectangle whose right edge
    // lies left of its left edge (or bottom above top) copies mirrored on that axis.
    void Draw(int x, int y, const TRect& sourceRect, const TDirectDrawSurface* source, bool transparent);
    void Fill(std::uint32_t pixel);

    std::uint32_t TransparentColor() const { return transparentColor_; }
    void SetTransparentColor(std::uint32_t pixel) { transparentColor_ = pixel & 0xFFFFFFu; }

    // Raw pixel access; outside the surface reads 0 and writes nothing.
    std::uint32_t Pixel(int x, int y) const;
    void SetPixel(int x, int y, std::uint32_t pixel);
    int BitCount() const { return 32; }

    // Window-system drawing on the surface goes through a QPainter on this image.
    QImage& Image() { return image_; }
    const QImage& Image() const { return image_; }

private:
    // Where the pixels that are not the colour key lie, row by row, as [first, last) column
    // runs: a colour-keyed copy from this surface then copies runs and never tests a pixel.
    // Made on the first such copy, and again once the pixels or the key have changed.
    struct TOpaqueRuns {
        qint64 ImageKey = 0;
        std::uint32_t ColorKey = 0;
        std::vector<std::uint32_t> RowStart;  // one more than the rows: row y is [y, y + 1)
        std::vector<std::pair<int, int>> Runs;
    };
    const TOpaqueRuns& OpaqueRuns() const;

    QImage image_;
    std::uint32_t transparentColor_ = 0;
    mutable TOpaqueRuns runs_;
};

enum TDXDrawOption : std::uint32_t {
    doFullScreen,
    doNoWindowChange,
    doAllowReboot,
    doWaitVBlank,
    doAllowPalette256,
    doSystemMemory,
    doStretch,
    doCenter,
    doFlip,
    do3D,
    doDirectX7Mode,
    doRetainedMode,
    doHardware,
    doSelectDriver,
    doZBuffer,
};

// A set of TDXDrawOption as bits.
using TDXDrawOptions = std::uint32_t;
constexpr TDXDrawOptions Opt(TDXDrawOption o) { return TDXDrawOptions{1} << o; }
template <typename... O>
constexpr TDXDrawOptions Opts(O... o) { return (TDXDrawOptions{0} | ... | Opt(o)); }
constexpr bool HasOpt(TDXDrawOptions set, TDXDrawOption o) { return (set & Opt(o)) != 0; }

constexpr TDXDrawOptions DefaultDXDrawOptions =
    Opts(doAllowReboot, doWaitVBlank, doCenter, doDirectX7Mode, doHardware, doSelectDriver);

enum TDXDrawNotifyType {
    dxntDestroying,
    dxntInitializing,
    dxntInitialize,
    dxntInitializeSurface,
    dxntFinalize,
    dxntFinalizeSurface,
    dxntRestore,
    dxntSetSurfaceSize,
};

using TDXDrawNotifyEvent = std::function<void(TDXDrawNotifyType)>;

// The control that owns the back surface everything is drawn into, and presents it.
class TDXDraw : public QWidget {
    Q_OBJECT
public:
    explicit TDXDraw(QWidget* parent = nullptr);
    ~TDXDraw() override;

    void Initialize();
    void Finalize();
    // Presents the surface; only what differs from the picture on the screen is sent to it
    // again, so a frame that moves a few balls repaints their strips and nothing around them.
    void Flip();
    void Restore();
    bool CanDraw();

    // Listeners are keyed by the component that registers them; a component registers once.
    void Register(const void* component, TDXDrawNotifyEvent handler);
    void Unregister(const void* component);

    TDirectDrawSurface& Surface() { return surface_; }
    bool Initialized() const { return initialized_; }
    bool SurfaceInitialized() const { return surfaceInitialized_; }

    bool AutoInitialize = true;
    bool AutoSize = true;
    std::uint32_t Color = 0;

    // The set as requested, and the set in force after dropping what windowed mode lacks.
    TDXDrawOptions Options() const { return options_; }
    TDXDrawOptions NowOptions() const { return nowOptions_; }
    void SetOptions(TDXDrawOptions value);

    int SurfaceWidth() const { return surfaceWidth_; }
    int SurfaceHeight() const { return surfaceHeight_; }
    void SetSurfaceWidth(int value);
    void SetSurfaceHeight(int value);

    // What the last Flip presented, and where inside the control it landed (in the control's
    // pixels, so at a zoom the origin is zoomed too).
    QPoint PresentedOrigin() const { return presentedOrigin_; }
    const QImage& PresentedImage() const { return front_; }

    // Each pixel of the surface is shown as a square of zoom × zoom pixels, copied, never
    // blended, so that the game's pixels stay sharp. The surface keeps its size; whoever owns
    // the control makes it zoom times as large (or larger: the picture is then centred).
    int Zoom() const { return zoom_; }
    void SetZoom(int zoom);
    // A point of the control as the same point of the control unzoomed, which is what the
    // mouse handlers are given.
    QPoint UnzoomedPoint(QPoint controlPoint) const;

    std::function<void()> OnInitializing, OnInitialize, OnInitializeSurface, OnRestoreSurface,
        OnFinalizeSurface, OnFinalize;
    std::function<void(Qt::MouseButton, Qt::KeyboardModifiers, int x, int y)> OnMouseDown;
    std::function<void(Qt::KeyboardModifiers, int x, int y)> OnMouseMove;

protected:
    void showEvent(QShowEvent* event) override;
    void paintEvent(QPaintEvent* event) override;
    void mousePressEvent(QMouseEvent* event) override;
    void mouseMoveEvent(QMouseEvent* event) override;

private:
    void NotifyEventList(TDXDrawNotifyType type);
    // Presents the surface and returns what of the control must be repainted for it.
    QRegion Present();
    void RecreateSurface();
    void PlacePicture();

    struct Listener {
        const void* component;
        TDXDrawNotifyEvent handler;
    };
    std::vector<Listener> listeners_;
    TDirectDrawSurface surface_;
    QImage front_;
    QPoint presentedOrigin_;
    TDXDrawOptions options_ = DefaultDXDrawOptions;
    TDXDrawOptions nowOptions_ = DefaultDXDrawOptions;
    int surfaceWidth_ = 640;
    int surfaceHeight_ = 480;
    int updateCount_ = 0;
    int zoom_ = 1;
    int presentedZoom_ = 1;
    bool initialized_ = false;
    bool initializing_ = false;
    bool surfaceInitialized_ = false;
    bool busy_ = false;
    bool autoInitialized_ = false;
};
