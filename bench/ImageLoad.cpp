// Loading picture-collection files of 24-bit pictures, beside Qt decoding the same pictures
// from bitmap files. Rates are in bytes per second of file read.
#include "sprites/DIB.h"
#include "sprites/ImageWriter.h"
#include "sprites/PictureCollection.h"

#include <QByteArray>
#include <QImage>

#include <benchmark/benchmark.h>

#include <array>
#include <vector>

namespace {

constexpr int Pictures = 16, Width = 256, Height = 341; // 16 x 256 x 341 x 3 bytes: about 4 MB

QImage Picture(int k)
{
    QImage image(Width, Height, QImage::Format_RGB32);
    for (int y = 0; y < Height; ++y) {
        auto* row = reinterpret_cast<uint32_t*>(image.scanLine(y));
        for (int x = 0; x < Width; ++x)
            row[x] = 0xFF000000u | uint32_t((x * 7 + k) & 0xFF) << 16 | uint32_t((y * 3) & 0xFF) << 8 | uint32_t((x ^ y) & 0xFF);
    }
    return image;
}

struct TData {
    std::vector<uint8_t> Collection;
    std::vector<QByteArray> BitmapFiles;
    TData()
    {
        std::vector<TImageWriterItem> items;
        for (int k = 0; k < Pictures; ++k) {
            const TDIB dib = TDIB::FromImage(Picture(k), 24);
            TImageWriterItem item;
            item.Name = "picture" + std::to_string(k);
            item.PictureRecord = TImageWriter::PictureRecord("TDIB", dib.SaveToBytes());
            items.push_back(std::move(item));
            const auto file = dib.SaveToBitmapFile();
            BitmapFiles.emplace_back(reinterpret_cast<const char*>(file.data()), qsizetype(file.size()));
        }
        Collection = TImageWriter::Write(items, std::array<uint8_t, 1024>{});
    }
};

const TData& Data()
{
    static const TData data;
    return data;
}

void BM_PictureCollectionLoad(benchmark::State& state)
{
    const auto& bytes = Data().Collection;
    for (auto _ : state) {
        TPictureCollection collection;
        collection.LoadFromBytes(bytes);
        benchmark::DoNotOptimize(collection.Count());
    }
    state.SetBytesProcessed(int64_t(state.iterations()) * int64_t(bytes.size()));
}
BENCHMARK(BM_PictureCollectionLoad)->Unit(benchmark::kMillisecond);

// Loading and turning every picture into the 32-bit image that surfaces are made from.
void BM_PictureCollectionLoadAndDecode(benchmark::State& state)
{
    const auto& bytes = Data().Collection;
    for (auto _ : state) {
        TPictureCollection collection;
        collection.LoadFromBytes(bytes);
        for (int i = 0; i < collection.Count(); ++i)
            benchmark::DoNotOptimize(collection.Items(i)->Picture().ToImage().constBits());
    }
    state.SetBytesProcessed(int64_t(state.iterations()) * int64_t(bytes.size()));
}
BENCHMARK(BM_PictureCollectionLoadAndDecode)->Unit(benchmark::kMillisecond);

void BM_QImageDecodeBitmapFiles(benchmark::State& state)
{
    int64_t total = 0;
    for (const auto& file : Data().BitmapFiles)
        total += file.size();
    for (auto _ : state) {
        for (const auto& file : Data().BitmapFiles) {
            const QImage image = QImage::fromData(file, "BMP");
            benchmark::DoNotOptimize(image.constBits());
        }
    }
    state.SetBytesProcessed(int64_t(state.iterations()) * total);
}
BENCHMARK(BM_QImageDecodeBitmapFiles)->Unit(benchmark::kMillisecond);

} // namespace

BENCHMARK_MAIN();
