#include "sprites/DXDraws.h"

#include "platform/Guard.h"
#include "platform/RegionScale.h"

#include <QMouseEvent>
#include <QPainter>
#include <QRegion>
#include <QShowEvent>

#include <algorithm>
#include <cmath>
#include <cstring>

namespace {

constexpr std::uint32_t kOpaque = 0xFF000000u;
constexpr std::uint32_t kRgbMask = 0x00FFFFFFu;

// One axis of a copy after clipping: where to read, where to write and how many pixels.
struct Span {
    std::int64_t source = 0;
    std::int64_t dest = 0;
    std::int64_t length = 0;
};

// Clips the source interval [s0, s1) to the source's extent and its image at dest to the
// destination's extent. Mirrored copies map the destination's left edge to the source's
// right edge, so each cut is applied to the opposite end of the source.
Span ClipAxis(std::int64_t s0, std::int64_t s1, std::int64_t dest, std::int64_t sourceExtent,
              std::int64_t destExtent, bool mirrored)
{
    const std::int64_t c0 = std::max<std::int64_t>(s0, 0);
    const std::int64_t c1 = std::min<std::int64_t>(s1, sourceExtent);
    Span span;
    if (c1 <= c0)
        return span;
    std::int64_t d = dest + (mirrored ? s1 - c1 : c0 - s0);
    std::int64_t len = c1 - c0;
    const std::int64_t cutLeft = std::max<std::int64_t>(0, -d);
    const std::int64_t cutRight = std::max<std::int64_t>(0, d + len - destExtent);
    if (cutLeft + cutRight >= len)
        return span;
    span.source = mirrored ? c0 + cutRight : c0 + cutLeft;
    span.dest = d + cutLeft;
    span.length = len - cutLeft - cutRight;
    return span;
}

TDXDrawOptions ReduceToWindowed(TDXDrawOptions set)
{
    if (!HasOpt(set, doFullScreen))
        set &= ~Opts(doNoWindowChange, doAllowReboot, doAllowPalette256, doFlip);
    if (!HasOpt(set, do3D))
        set &= ~Opts(doDirectX7Mode, doRetainedMode, doHardware, doSelectDriver, doZBuffer);
    if (HasOpt(set, doSystemMemory))
        set &= ~Opt(doFlip);
    if (HasOpt(set, doDirectX7Mode))
        set &= ~Opt(doRetainedMode);
    return set & ~Opt(doHardware);
}

// Where two pictures of one size and format differ, as bands of rows each with the columns
// that changed in it: the balls of a lane move in one band, the figures in another.
QRegion ChangedRegion(const QImage& a, const QImage& b)
{
    constexpr int BandRows = 8;
    const int width = a.width();
    const std::size_t rowBytes = std::size_t(width) * 4;
    QRegion changed;
    for (int top = 0; top < a.height(); top += BandRows) {
        int left = width, right = -1;
        const int bottom = std::min(top + BandRows, a.height());
        for (int y = top; y < bottom; ++y) {
            const auto* p = reinterpret_cast<const std::uint32_t*>(a.constScanLine(y));
            const auto* q = reinterpret_cast<const std::uint32_t*>(b.constScanLine(y));
            if (p == q || std::memcmp(p, q, rowBytes) == 0)
                continue;
            int l = 0, r = width - 1;
            while (p[l] == q[l])
                ++l;
            while (p[r] == q[r])
                --r;
            left = std::min(left, l);
            right = std::max(right, r);
        }
        if (right >= left)
            changed += QRect(left, top, right - left + 1, bottom - top);
    }
    return changed;
}

} // namespace

void TDirectDrawSurface::SetSize(int width, int height)
{
    if (width <= 0 || height <= 0) {
        image_ = QImage();
        return;
    }
    QImage created(width, height, QImage::Format_RGB32);
    if (created.isNull())
        throw EDirectDrawError(Format("%s cannot be made", "Surface"));
    created.fill(kOpaque);
    image_ = std::move(created);
    transparentColor_ = 0;
}

void TDirectDrawSurface::LoadFromGraphic(const QImage& graphic)
{
    if (graphic.width() <= 0 || graphic.height() <= 0) {
        SetSize(0, 0);
        return;
    }
    // Converting shares the pixels until someone draws, so the per-frame reload costs one copy
    // and no surface made only to be replaced.
    QImage converted = graphic.convertToFormat(QImage::Format_RGB32);
    if (converted.isNull())
        throw EDirectDrawError(Format("%s cannot be made", "Surface"));
    image_ = std::move(converted);
    transparentColor_ = 0;
}

void TDirectDrawSurface::Draw(int x, int y, const TRect& sourceRect, const TDirectDrawSurface* source,
                              bool transparent)
{
    if (source == nullptr || source->IsEmpty() || IsEmpty())
        return;
    if (x > Width() || y > Height())
        return;
    const bool mirrorX = sourceRect.Right < sourceRect.Left;
    const bool mirrorY = sourceRect.Bottom < sourceRect.Top;
    const Span sx = ClipAxis(std::min(sourceRect.Left, sourceRect.Right),
                             std::max(sourceRect.Left, sourceRect.Right), x, source->Width(), Width(), mirrorX);
    const Span sy = ClipAxis(std::min(sourceRect.Top, sourceRect.Bottom),
                             std::max(sourceRect.Top, sourceRect.Bottom), y, source->Height(), Height(), mirrorY);
    if (sx.length <= 0 || sy.length <= 0)
        return;

    const QImage& from = source->image_;
    const std::uint32_t key = source->transparentColor_ & kRgbMask;
    const TOpaqueRuns* opaque = transparent && !mirrorX ? &source->OpaqueRuns() : nullptr;
    for (std::int64_t row = 0; row < sy.length; ++row) {
        const std::int64_t srcRow = mirrorY ? sy.source + sy.length - 1 - row : sy.source + row;
        const auto* in = reinterpret_cast<const std::uint32_t*>(from.constScanLine(static_cast<int>(srcRow)));
        auto* out = reinterpret_cast<std::uint32_t*>(image_.scanLine(static_cast<int>(sy.dest + row))) + sx.dest;
        if (!mirrorX && !transparent) {
            std::copy_n(in + sx.source, sx.length, out);
            continue;
        }
        if (!mirrorX) {
            // Sprites are drawn dozens of times a frame: their opaque runs are copied whole.
            const std::int64_t first = sx.source, last = sx.source + sx.length;
            const auto& runs = opaque->Runs;
            const std::uint32_t end = opaque->RowStart[std::size_t(srcRow) + 1];
            for (std::uint32_t i = opaque->RowStart[std::size_t(srcRow)]; i < end && runs[i].first < last; ++i) {
                const std::int64_t l = std::max<std::int64_t>(runs[i].first, first);
                const std::int64_t r = std::min<std::int64_t>(runs[i].second, last);
                if (l < r)
                    std::copy(in + l, in + r, out + (l - first));
            }
            continue;
        }
        for (std::int64_t col = 0; col < sx.length; ++col) {
            const std::uint32_t pixel = in[mirrorX ? sx.source + sx.length - 1 - col : sx.source + col];
            if (!transparent || (pixel & kRgbMask) != key)
                out[col] = pixel;
        }
    }
}

const TDirectDrawSurface::TOpaqueRuns& TDirectDrawSurface::OpaqueRuns() const
{
    const std::uint32_t key = transparentColor_ & kRgbMask;
    // The image's key changes whenever its pixels may have been written.
    if (!runs_.RowStart.empty() && runs_.ImageKey == image_.cacheKey() && runs_.ColorKey == key)
        return runs_;
    runs_.RowStart.assign(1, 0);
    runs_.Runs.clear();
    const int width = image_.width();
    for (int y = 0; y < image_.height(); ++y) {
        const auto* row = reinterpret_cast<const std::uint32_t*>(image_.constScanLine(y));
        for (int x = 0; x < width;) {
            while (x < width && (row[x] & kRgbMask) == key)
                ++x;
            const int start = x;
            while (x < width && (row[x] & kRgbMask) != key)
                ++x;
            if (x > start)
                runs_.Runs.emplace_back(start, x);
        }
        runs_.RowStart.push_back(std::uint32_t(runs_.Runs.size()));
    }
    runs_.ImageKey = image_.cacheKey();
    runs_.ColorKey = key;
    return runs_;
}

void TDirectDrawSurface::Fill(std::uint32_t pixel)
{
    if (!image_.isNull())
        image_.fill(kOpaque | (pixel & kRgbMask));
}

std::uint32_t TDirectDrawSurface::Pixel(int x, int y) const
{
    if (x < 0 || y < 0 || x >= Width() || y >= Height())
        return 0;
    return reinterpret_cast<const std::uint32_t*>(image_.constScanLine(y))[x] & kRgbMask;
}

void TDirectDrawSurface::SetPixel(int x, int y, std::uint32_t pixel)
{
    if (x < 0 || y < 0 || x >= Width() || y >= Height())
        return;
    reinterpret_cast<std::uint32_t*>(image_.scanLine(y))[x] = kOpaque | (pixel & kRgbMask);
}

TDXDraw::TDXDraw(QWidget* parent) : QWidget(parent)
{
    nowOptions_ = ReduceToWindowed(options_);
    setAttribute(Qt::WA_OpaquePaintEvent);
    setMouseTracking(true);
}

TDXDraw::~TDXDraw()
{
    Finalize();
    // Listeners may unregister while being told, so walk a copy, newest first.
    const auto listeners = listeners_;
    for (auto it = listeners.rbegin(); it != listeners.rend(); ++it)
        it->handler(dxntDestroying);
}

void TDXDraw::SetOptions(TDXDrawOptions value)
{
    options_ = value;
    if (initialized_) {
        const TDXDrawOptions changeable = Opts(doWaitVBlank, doStretch, doCenter);
        nowOptions_ = (nowOptions_ & ~changeable) | (value & changeable);
    } else {
        nowOptions_ = ReduceToWindowed(value);
    }
}

void TDXDraw::SetSurfaceWidth(int value)
{
    if (value == surfaceWidth_)
        return;
    surfaceWidth_ = value;
    RecreateSurface();
}

void TDXDraw::SetSurfaceHeight(int value)
{
    if (value == surfaceHeight_)
        return;
    surfaceHeight_ = value;
    RecreateSurface();
}

void TDXDraw::RecreateSurface()
{
    if (!initialized_)
        return;
    ++updateCount_;
    try {
        surface_.SetSize(std::max(surfaceWidth_, 1), std::max(surfaceHeight_, 1));
        surface_.Fill(0);
    } catch (...) {
        --updateCount_;
        throw;
    }
    --updateCount_;
    NotifyEventList(dxntSetSurfaceSize);
}

void TDXDraw::Initialize()
{
    Finalize();
    if (parentWidget() == nullptr)
        throw EDirectDrawError("Form not found");
    if (OnInitializing)
        OnInitializing();
    busy_ = true;
    initializing_ = true;
    try {
        NotifyEventList(dxntInitializing);
        if (AutoSize) {
            surfaceWidth_ = width() / zoom_;
            surfaceHeight_ = height() / zoom_;
        }
        surface_.SetSize(std::max(surfaceWidth_, 1), std::max(surfaceHeight_, 1));
        surface_.Fill(0);
        initialized_ = true;
        initializing_ = false;
        busy_ = false;
        NotifyEventList(dxntSetSurfaceSize);
        NotifyEventList(dxntInitialize);
        if (OnInitialize)
            OnInitialize();
        surfaceInitialized_ = true;
        NotifyEventList(dxntInitializeSurface);
        if (OnInitializeSurface)
            OnInitializeSurface();
        Restore();
    } catch (...) {
        Finalize();
        throw;
    }
}

void TDXDraw::Finalize()
{
    if (!initialized_ && !initializing_)
        return;
    busy_ = true;
    const bool wasSurface = surfaceInitialized_;
    const bool wasInitialized = initialized_;
    surfaceInitialized_ = false;
    NotifyEventList(dxntFinalizeSurface);
    if (wasSurface && OnFinalizeSurface)
        OnFinalizeSurface();
    NotifyEventList(dxntFinalize);
    if (wasInitialized && OnFinalize)
        OnFinalize();
    surface_.SetSize(0, 0);
    front_ = QImage();
    initialized_ = false;
    initializing_ = false;
    busy_ = false;
}

void TDXDraw::Restore()
{
    if (!initialized_ || busy_)
        return;
    busy_ = true;
    surface_.Fill(0);
    front_ = QImage();
    NotifyEventList(dxntRestore);
    if (OnRestoreSurface)
        OnRestoreSurface();
    busy_ = false;
}

bool TDXDraw::CanDraw()
{
    // Our surfaces live in ordinary memory and are never lost, so nothing needs restoring.
    return initialized_ && !busy_ && !surface_.IsEmpty();
}

void TDXDraw::Flip()
{
    if (!initialized_ || busy_ || !CanDraw())
        return;
    const QRegion changed = Present();
    if (!changed.isEmpty())
        update(changed);
}

QRegion TDXDraw::Present()
{
    const QImage previous = front_;
    const QPoint previousOrigin = presentedOrigin_;
    const int previousZoom = std::exchange(presentedZoom_, zoom_);
    front_ = surface_.Image();
    PlacePicture();
    if (HasOpt(nowOptions_, doStretch) || previous.isNull() || previous.size() != front_.size() ||
        previous.format() != front_.format() || previousOrigin != presentedOrigin_ || previousZoom != zoom_)
        return QRegion(rect());
    return ScaledRegion(ChangedRegion(previous, front_), zoom_).translated(presentedOrigin_);
}

void TDXDraw::PlacePicture()
{
    if (HasOpt(nowOptions_, doCenter) && !HasOpt(nowOptions_, doStretch)) {
        // Integer division truncates toward zero, as the placement of the skin relies on; a
        // zoomed picture lies where the unzoomed one would, zoomed.
        presentedOrigin_ = zoom_ * QPoint((width() / zoom_ - front_.width()) / 2, (height() / zoom_ - front_.height()) / 2);
    } else {
        presentedOrigin_ = QPoint(0, 0);
    }
}

void TDXDraw::SetZoom(int zoom)
{
    // Also at the zoom in force: the control may have changed its size for it.
    zoom_ = std::max(zoom, 1);
    if (!front_.isNull()) {
        presentedZoom_ = zoom_;
        PlacePicture();
    }
    update();
}

QPoint TDXDraw::UnzoomedPoint(QPoint p) const
{
    // A control larger than its zoomed surface (the whole screen) has the surface's area in
    // its middle.
    const QPoint offset = zoom_ * QPoint(std::max(0, (width() / zoom_ - surfaceWidth_) / 2),
                                         std::max(0, (height() / zoom_ - surfaceHeight_) / 2));
    auto unzoom = [this](int v) { return static_cast<int>(std::floor(double(v) / zoom_)); };
    return QPoint(unzoom(p.x() - offset.x()), unzoom(p.y() - offset.y()));
}

void TDXDraw::Register(const void* component, TDXDrawNotifyEvent handler)
{
    listeners_.push_back(Listener{component, handler});
    handler(dxntSetSurfaceSize);
    if (initialized_) {
        handler(dxntInitialize);
        if (surfaceInitialized_)
            handler(dxntInitializeSurface);
        if (updateCount_ == 0)
            handler(dxntRestore);
    }
}

void TDXDraw::Unregister(const void* component)
{
    auto it = std::find_if(listeners_.begin(), listeners_.end(),
                           [component](const Listener& l) { return l.component == component; });
    if (it == listeners_.end())
        return;
    TDXDrawNotifyEvent handler = std::move(it->handler);
    listeners_.erase(it);
    if (initialized_) {
        if (surfaceInitialized_)
            handler(dxntFinalizeSurface);
        handler(dxntFinalize);
    }
}

void TDXDraw::NotifyEventList(TDXDrawNotifyType type)
{
    const auto listeners = listeners_;
    for (const Listener& l : listeners)
        l.handler(type);
}

void TDXDraw::showEvent(QShowEvent* event)
{
    QWidget::showEvent(event);
    if (AutoInitialize && !autoInitialized_) {
        autoInitialized_ = true;
        Guarded([this] { Initialize(); });
    }
}

void TDXDraw::paintEvent(QPaintEvent* event)
{
    QPainter painter(this);
    if (front_.isNull()) {
        painter.fillRect(rect(), Qt::black);
        return;
    }
    if (HasOpt(nowOptions_, doStretch)) {
        painter.drawImage(rect(), front_);
        return;
    }
    // Black where the picture does not reach; the picture itself covers the rest. Only what
    // is to be repainted is copied, piece by piece: a whole picture handed over at once is
    // split among helper threads, whose waking costs more than the copy of a few strips.
    const QRect picture(presentedOrigin_, front_.size() * presentedZoom_);
    QRegion uncovered = event->region();
    uncovered -= QRegion(picture);
    for (const QRect& r : uncovered)
        painter.fillRect(r, Qt::black);
    const int z = presentedZoom_;
    for (const QRect& r : event->region() & picture) {
        if (z == 1) {
            painter.drawImage(r.topLeft(), front_, r.translated(-presentedOrigin_));
            continue;
        }
        // The surface's pixels under the strip, each drawn as its square; the painter clips
        // what reaches beyond the strip.
        const QRect local = r.translated(-presentedOrigin_);
        const QRect source(QPoint(local.left() / z, local.top() / z), QPoint(local.right() / z, local.bottom() / z));
        painter.drawImage(QRect(presentedOrigin_ + source.topLeft() * z, source.size() * z), front_, source);
    }
}

void TDXDraw::mousePressEvent(QMouseEvent* event)
{
    const QPoint p = UnzoomedPoint(event->position().toPoint());
    if (OnMouseDown)
        Guarded([&] { OnMouseDown(event->button(), event->modifiers(), p.x(), p.y()); });
}

void TDXDraw::mouseMoveEvent(QMouseEvent* event)
{
    const QPoint p = UnzoomedPoint(event->position().toPoint());
    if (OnMouseMove)
        Guarded([&] { OnMouseMove(event->modifiers(), p.x(), p.y()); });
}
