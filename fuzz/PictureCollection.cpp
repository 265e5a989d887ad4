// Feeds arbitrary bytes to the picture-collection reader (and so to the bitmap record reader
// behind it) and to the record reader alone, then decodes and lays out whatever was read.
#include "sprites/DIB.h"
#include "sprites/PictureCollection.h"
#include "sprites/PictureCollectionLayout.h"

#include <QCoreApplication>

#include <cstdint>
#include <cstdlib>

namespace {

// Decoding and layout are exercised only for pictures small enough to keep runs fast.
constexpr int64_t MaxDecodedPixels = int64_t(1) << 20;

void Exercise(const TItemPicture& picture, const TPictureCollectionItem* item)
{
    if (picture.Empty() || int64_t(picture.Width()) * picture.Height() > MaxDecodedPixels)
        return;
    const QImage image = picture.ToImage();
    if (image.width() != picture.Width() || image.height() != picture.Height())
        std::abort();
    if (item == nullptr)
        return;
    const int W = picture.Width(), H = picture.Height();
    const int64_t count = TPatternLayout::Count(W, H, item->EffectiveWidth(), item->EffectiveHeight(),
                                                item->SkipWidth, item->SkipHeight, item->SystemMemory);
    if (count > 100000)
        return;
    const auto layout = TPatternLayout::Compute(W, H, item->EffectiveWidth(), item->EffectiveHeight(),
                                                item->SkipWidth, item->SkipHeight, item->SystemMemory);
    if (int64_t(layout.Patterns.size()) != count)
        std::abort();
    for (const auto& p : layout.Patterns) {
        const TRect& block = layout.Blocks.at(size_t(p.Block));
        if (p.Rect.Left < 0 || p.Rect.Top < 0 || p.Rect.Right > block.Width() || p.Rect.Bottom > block.Height())
            std::abort();
    }
}

} // namespace

extern "C" int LLVMFuzzerInitialize(int* argc, char*** argv)
{
    // Icon records are decoded through Qt's image plugins.
    static QCoreApplication app(*argc, *argv);
    return 0;
}

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size)
{
    const std::span<const uint8_t> bytes(data, size);
    TPictureCollection collection;
    try {
        collection.LoadFromBytes(bytes);
    } catch (const Exception&) {
        // Every fault is reported as one of ours; what was read before it stays.
    }
    for (int i = 0; i < collection.Count(); ++i) {
        const auto* item = collection.Items(i);
        if (collection.IndexOfName(item->Name()) < 0)
            std::abort();
        Exercise(item->Picture(), item);
    }

    TItemPicture alone;
    try {
        TDIB dib;
        dib.LoadFromBytes(bytes);
        alone.SetDIB(std::move(dib));
    } catch (const Exception&) {
    }
    Exercise(alone, nullptr);
    return 0;
}
