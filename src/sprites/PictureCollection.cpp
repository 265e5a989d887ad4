#include "sprites/PictureCollection.h"

#include "sprites/DXDraws.h"
#include "sprites/ImageWriter.h"
#include "sprites/PictureCollectionLayout.h"
#include "sprites/PictureCollectionReader.h"

#include <QFile>
#include <QSaveFile>

#include <algorithm>
#include <cctype>

namespace {

std::string Lower(const std::string& s)
{
    std::string r = s;
    for (char& c : r)
        c = char(std::tolower(static_cast<unsigned char>(c)));
    return r;
}

// An item as the writer stores it.
TImageWriterItem WriterItem(const TPictureCollectionItem& item)
{
    TImageWriterItem out;
    out.Name = item.Name();
    out.PatternHeight = item.PatternHeight;
    out.PatternWidth = item.PatternWidth;
    out.PictureRecord = item.Picture().SaveToRecord();
    out.SkipHeight = item.SkipHeight;
    out.SkipWidth = item.SkipWidth;
    out.SystemMemory = item.SystemMemory;
    out.Transparent = item.Transparent;
    out.TransparentColor = item.TransparentColor();
    return out;
}

} // namespace

// ---- items ----

TPictureCollectionItem::TPictureCollectionItem(TPictureCollection* collection) : FCollection(collection) {}

TPictureCollectionItem::~TPictureCollectionItem()
{
    ReleaseSurfaces();
}

void TPictureCollectionItem::SetName(const std::string& value)
{
    if (value == FName)
        return;
    FCollection->Unlink(this);
    FName = value;
    FCollection->Link(this);
}

void TPictureCollectionItem::SetTransparentColor(uint32_t value)
{
    if (value == FTransparentColor)
        return;
    FTransparentColor = value;
    for (auto& surface : FSurfaces) {
        try {
            KeySurface(*surface);
        } catch (const std::exception&) {
            // One surface that cannot be keyed must not stop the others.
        }
    }
}

int TPictureCollectionItem::EffectiveWidth() const
{
    return PatternWidth > 0 ? PatternWidth : FPicture.Width();
}

int TPictureCollectionItem::EffectiveHeight() const
{
    return PatternHeight > 0 ? PatternHeight : FPicture.Height();
}

void TPictureCollectionItem::Assign(const TPictureCollectionItem& source)
{
    SetName(source.FName);
    PatternHeight = source.PatternHeight;
    PatternWidth = source.PatternWidth;
    FPicture = source.FPicture;
    SkipHeight = source.SkipHeight;
    SkipWidth = source.SkipWidth;
    SystemMemory = source.SystemMemory;
    Transparent = source.Transparent;
    SetTransparentColor(source.FTransparentColor);
}

void TPictureCollectionItem::Initialize()
{
    Finalize();
    FReady = true;
}

void TPictureCollectionItem::Finalize()
{
    ReleaseSurfaces();
    FReady = false;
}

void TPictureCollectionItem::ReleaseSurfaces()
{
    FPatterns.clear();
    FSurfaces.clear();
}

void TPictureCollectionItem::KeySurface(TDirectDrawSurface& surface) const
{
    // The key is whatever the surface stores for the colour, so picture pixels are left out
    // exactly when they convert to the same value.
    const uint32_t bgr = TPictureCollectionColors::ToRGB(FTransparentColor);
    const uint32_t saved = surface.Pixel(0, 0);
    surface.Image().setPixelColor(0, 0, QColor(int(bgr & 0xFF), int((bgr >> 8) & 0xFF), int((bgr >> 16) & 0xFF)));
    const uint32_t key = surface.Pixel(0, 0);
    surface.SetPixel(0, 0, saved);
    surface.SetTransparentColor(key);
}

void TPictureCollectionItem::RebuildPatterns()
{
    if (FPicture.Empty())
        return;
    if (!FReady && FCollection->Initialized())
        Initialize();
    if (!FReady)
        return;
    ReleaseSurfaces();

    const QImage picture = FPicture.ToImage();
    const auto layout = TPatternLayout::Compute(picture.width(), picture.height(), EffectiveWidth(),
                                                EffectiveHeight(), SkipWidth, SkipHeight, SystemMemory);
    for (const TRect& block : layout.Blocks) {
        auto surface = std::make_unique<TDirectDrawSurface>();
        surface->LoadFromGraphic(picture.copy(block.Left, block.Top, block.Width(), block.Height()));
        KeySurface(*surface);
        FSurfaces.push_back(std::move(surface));
    }
    FPatterns.reserve(layout.Patterns.size());
    for (const auto& place : layout.Patterns)
        FPatterns.push_back({place.Rect, FSurfaces[size_t(place.Block)].get()});
}

void TPictureCollectionItem::DrawPattern(TDirectDrawSurface* surface, int x, int y, int index)
{
    if (!FReady || surface == nullptr || index < 0 || index >= int(FPatterns.size()))
        return;
    const auto& pattern = FPatterns[size_t(index)];
    surface->Draw(x, y, pattern.Rect, pattern.Surface, Transparent);
}

// ---- collection ----

TPictureCollection::TPictureCollection(TCustomDXImageList* owner) : FOwner(owner) {}

TPictureCollection::~TPictureCollection()
{
    Clear();
}

int TPictureCollection::HashOf(const std::string& name)
{
    const std::string s = Lower(name);
    const size_t n = s.size();
    uint32_t h = uint32_t(n) * 16;
    if (n >= 2)
        h += static_cast<unsigned char>(s[n - 2]) + static_cast<unsigned char>(s[0]);
    return int(h % 256);
}

void TPictureCollection::Link(TPictureCollectionItem* item)
{
    auto& head = FBuckets[size_t(HashOf(item->FName))];
    item->FNextInBucket = head;
    head = item;
}

void TPictureCollection::Unlink(TPictureCollectionItem* item)
{
    TPictureCollectionItem** link = &FBuckets[size_t(HashOf(item->FName))];
    while (*link != nullptr && *link != item)
        link = &(*link)->FNextInBucket;
    if (*link == item)
        *link = item->FNextInBucket;
    item->FNextInBucket = nullptr;
}

TPictureCollectionItem* TPictureCollection::Add()
{
    auto item = std::make_unique<TPictureCollectionItem>(this);
    item->FIndex = Count();
    Link(item.get());
    FItems.push_back(std::move(item));
    return FItems.back().get();
}

void TPictureCollection::Delete(int index)
{
    if (index < 0 || index >= Count())
        return;
    Unlink(FItems[size_t(index)].get());
    FItems.erase(FItems.begin() + index);
    for (size_t i = size_t(index); i < FItems.size(); ++i)
        --FItems[i]->FIndex;
}

void TPictureCollection::Clear()
{
    while (!FItems.empty())
        Delete(Count() - 1);
}

void TPictureCollection::Assign(const TPictureCollection& source)
{
    if (&source == this)
        return;
    Clear();
    for (const auto& item : source.FItems)
        Add()->Assign(*item);
    ColorTable = source.ColorTable;
    if (Initialized()) {
        Bind(FDXDraw);
        RebuildPatterns();
    }
}

int TPictureCollection::IndexOfName(const std::string& name) const
{
    const std::string lowered = Lower(name);
    for (auto* item = FBuckets[size_t(HashOf(name))]; item != nullptr; item = item->FNextInBucket)
        if (Lower(item->FName) == lowered)
            return item->FIndex;
    return -1;
}

TPictureCollectionItem* TPictureCollection::ImageByName(const std::string& name) const
{
    const int index = IndexOfName(name);
    if (index < 0)
        throw EPictureCollectionError(Format("Image '%s' not found", name.c_str()));
    return FItems[size_t(index)].get();
}

bool TPictureCollection::Initialized() const
{
    return FDXDraw != nullptr && FDXDraw->Initialized();
}

void TPictureCollection::Bind(TDXDraw* surfaceComponent)
{
    Unbind();
    FDXDraw = surfaceComponent;
    if (!Initialized())
        throw EPictureCollectionError(Format("%s cannot be initialized", "TPictureCollection"));
    for (auto& item : FItems)
        item->Initialize();
}

void TPictureCollection::Unbind()
{
    for (auto& item : FItems) {
        if (item->FReady) {
            try {
                item->Finalize();
            } catch (const std::exception&) {
                // Releasing one item must not keep the collection bound.
            }
        }
    }
    FDXDraw = nullptr;
}

void TPictureCollection::RebuildPatterns()
{
    for (auto& item : FItems)
        item->RebuildPatterns();
}

void TPictureCollection::LoadFile(const QString& fileName)
{
    QFile file(fileName);
    if (!file.open(QIODevice::ReadOnly))
        throw EPictureCollectionError(Format("Cannot open file %s", fileName.toLocal8Bit().constData()));
    LoadStream(file);
}

void TPictureCollection::LoadStream(QIODevice& stream)
{
    const QByteArray bytes = stream.readAll();
    LoadFromBytes(std::span<const uint8_t>(reinterpret_cast<const uint8_t*>(bytes.constData()), size_t(bytes.size())));
}

void TPictureCollection::LoadFromBytes(std::span<const uint8_t> data)
{
    Clear();
    TPictureCollectionComponent component(this);
    component.ReadFromBytes(data);
    if (Initialized()) {
        Bind(FDXDraw);
        RebuildPatterns();
    }
}

std::vector<uint8_t> TPictureCollection::SaveToBytes() const
{
    std::vector<TImageWriterItem> items;
    for (const auto& item : FItems)
        items.push_back(WriterItem(*item));
    return TImageWriter::Write(items, ColorTable);
}

void TPictureCollection::SaveToFile(const QString& fileName) const
{
    const auto bytes = SaveToBytes();
    QSaveFile file(fileName);
    if (!file.open(QIODevice::WriteOnly) ||
        file.write(reinterpret_cast<const char*>(bytes.data()), qint64(bytes.size())) != qint64(bytes.size()) ||
        !file.commit())
        throw EPictureCollectionError(Format("Cannot create file %s", fileName.toLocal8Bit().constData()));
}
