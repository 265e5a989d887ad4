// Feeds arbitrary bytes straight to the bitmap reader, as a bare record or (first byte odd) as
// a whole bitmap file. A record that loads is decoded, written back and read again, and must
// give the same picture.
#include "sprites/DIB.h"

#include <cstdint>
#include <cstdlib>
#include <span>

namespace {

// Decoding is exercised only for pictures small enough to keep runs fast.
constexpr int64_t MaxDecodedPixels = int64_t(1) << 20;

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size)
{
    if (size == 0)
        return 0;
    const std::span<const uint8_t> bytes(data + 1, size - 1);
    TDIB dib;
    try {
        if (data[0] & 1)
            dib.LoadFromBitmapFile(bytes);
        else
            dib.LoadFromBytes(bytes);
    } catch (const Exception&) {
        return 0;
    }
    if (dib.Empty() || int64_t(dib.Width()) * dib.Height() > MaxDecodedPixels)
        return 0;
    const std::vector<uint8_t>& bits = dib.Bits();
    if (int64_t(bits.size()) < dib.Stride() * dib.Height())
        std::abort();
    const QImage image = dib.ToImage();
    if (image.width() != dib.Width() || image.height() != dib.Height())
        std::abort();
    if ((image.pixel(0, 0) & 0xFFFFFF) != dib.PixelRGB(0, 0))
        std::abort();

    TDIB again;
    again.LoadFromBytes(dib.SaveToBytes());
    if (again.ToImage() != image)
        std::abort();
    return 0;
}
