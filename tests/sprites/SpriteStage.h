#pragma once

// A drawing surface, six layers and six image stores filled through the image writer with
// made-up pictures, registered as the game registers its own. Pattern k of each image is one
// flat colour, so a pixel read back from the surface tells which image and pattern was drawn.

#include "game/Registries.h"
#include "sprites/DIB.h"
#include "sprites/DXImageList.h"
#include "sprites/DXSprite.h"
#include "sprites/ImageWriter.h"

#include <QImage>
#include <QWidget>

#include <array>
#include <cstdint>
#include <memory>
#include <string>
#include <vector>

namespace stage {

struct TTestImage {
    TImageStoreSlot Store;
    std::string Name;
    int Width;
    int Height;
    int Patterns;
};

// Sizes are made up; two images change size on purpose (gesture/idle, gesture/gray) so that
// replacing an image must also replace the sprite's size.
inline const std::vector<TTestImage>& GameImages()
{
    static const std::vector<TTestImage> images = {
        {SlotImgBalls, "blue", 16, 16, 1},
        {SlotImgBalls, "yellow", 16, 14, 1},
        {SlotImgBalls, "red", 16, 18, 1},
        {SlotImgBalls, "unbroken", 16, 16, 1},
        {SlotImgBalls, "stool", 16, 16, 1},
        {SlotImgContext, "ok", 30, 20, 1},
        {SlotImgContext, "score", 10, 14, 10},
        {SlotImgContext, "combo", 40, 12, 1},
        {SlotImgContext, "qualified1", 30, 22, 10},
        {SlotImgContext, "percentsign", 20, 20, 1},
        {SlotImgContext, "songname", 120, 20, 1},
        {SlotImgContext, "qualifiedrate", 60, 20, 1},
        {SlotImgEffect, "explode", 40, 40, 2},
        {SlotImgFixed, "detect", 12, 40, 1},
        {SlotImgFixed, "Rule1P", 12, 40, 1},
        {SlotImgFixed, "Rule2P", 12, 40, 1},
        {SlotImgFixed, "pipeback1p", 250, 40, 1},
        {SlotImgFixed, "pipeback2p", 250, 40, 2},
        {SlotImgFixed, "sunshadeleft", 30, 60, 1},
        {SlotImgFixed, "sunshaderight", 24, 60, 1},
        {SlotImgFixed, "meter1p", 20, 80, 1},
        {SlotImgFixed, "meter2p", 20, 80, 1},
        {SlotImgFixed, "stratum", 16, 8, 6},
        {SlotImgFixed, "gesture", 40, 40, 3},
        {SlotImgFixed, "gray", 36, 38, 1},
        {SlotImgFixed, "Back1p", 150, 100, 2},
        {SlotImgFixed, "Back2P", 150, 100, 1},
        {SlotImgGesture, "idle", 50, 50, 1},
        {SlotImgGesture, "gesture", 44, 48, 3},
        {SlotImgAnimation, "jump1p", 60, 60, 6},
        {SlotImgAnimation, "jump2p", 60, 60, 6},
        {SlotImgAnimation, "cube", 20, 20, 6},
        {SlotImgAnimation, "cylinder", 20, 30, 6},
        {SlotImgAnimation, "tomoto", 20, 20, 9},
    };
    return images;
}

// The surface value of pattern k of the image at index i of its list; never 0 (black is the
// transparent colour).
inline std::uint32_t PatternPixel(int imageIndex, int pattern)
{
    return 0x010000u * static_cast<std::uint32_t>(imageIndex + 1) + 0x10u * static_cast<std::uint32_t>(pattern + 1) + 1u;
}

inline std::vector<std::uint8_t> StoreFile(const std::vector<TTestImage>& images, TImageStoreSlot store)
{
    std::vector<TImageWriterItem> items;
    for (size_t i = 0; i < images.size(); ++i) {
        const TTestImage& image = images[i];
        if (image.Store != store)
            continue;
        QImage strip(image.Width * image.Patterns, image.Height, QImage::Format_RGB32);
        for (int k = 0; k < image.Patterns; ++k)
            for (int y = 0; y < image.Height; ++y)
                for (int x = 0; x < image.Width; ++x)
                    strip.setPixel(k * image.Width + x, y, 0xFF000000u | PatternPixel(int(i), k));
        TImageWriterItem item;
        item.Name = image.Name;
        item.PatternWidth = image.Width;
        item.PatternHeight = image.Height;
        const auto dib = TDIB::FromImage(strip, 32).SaveToBytes();
        item.PictureRecord = TImageWriter::PictureRecord("TDIB", dib);
        items.push_back(std::move(item));
    }
    return TImageWriter::Write(items, std::array<std::uint8_t, 1024>{});
}

class TStage {
public:
    explicit TStage(const std::vector<TTestImage>& images = GameImages()) : images_(images)
    {
        form_.resize(600, 500);
        Draw = new TDXDraw(&form_);
        Draw->AutoInitialize = false;
        Draw->resize(457, 385);
        Draw->Initialize();
        for (auto& layer : Layers) {
            layer = std::make_unique<TDXSpriteEngine>();
            layer->SetDXDraw(Draw);
        }
        for (int s = 0; s < ImageStoreCount; ++s) {
            Stores[size_t(s)] = std::make_unique<TDXImageList>();
            Stores[size_t(s)]->SetDXDraw(Draw);
            const auto bytes = StoreFile(images_, TImageStoreSlot(s));
            Stores[size_t(s)]->Items().LoadFromBytes(bytes);
        }
        RegisterLayers(Layers[0].get(), Layers[1].get(), Layers[2].get(), Layers[3].get(), Layers[4].get(),
                       Layers[5].get());
        RegisterImageStores(Stores[0].get(), Stores[1].get(), Stores[2].get(), Stores[3].get(), Stores[4].get(),
                            Stores[5].get());
    }

    ~TStage()
    {
        RegisterLayers(nullptr, nullptr, nullptr, nullptr, nullptr, nullptr);
        RegisterImageStores(nullptr, nullptr, nullptr, nullptr, nullptr, nullptr);
        for (auto& layer : Layers)
            layer.reset();
        for (auto& store : Stores)
            store.reset();
    }

    TSpriteEngine* Layer(TLayerSlot slot) { return &Layers[size_t(slot)]->Engine(); }
    TDirectDrawSurface& Surface() { return Draw->Surface(); }

    // The colour of pattern k of the named image in the given store.
    std::uint32_t Pixel(TImageStoreSlot store, const std::string& name, int pattern) const
    {
        for (size_t i = 0; i < images_.size(); ++i)
            if (images_[i].Store == store && images_[i].Name == name)
                return PatternPixel(int(i), pattern);
        return 0;
    }

    TPictureCollectionItem* Image(TImageStoreSlot store, const std::string& name)
    {
        return Stores[size_t(store)]->Items().ImageByName(name);
    }

    QWidget form_;
    TDXDraw* Draw = nullptr;
    std::array<std::unique_ptr<TDXSpriteEngine>, LayerCount> Layers;
    std::array<std::unique_ptr<TDXImageList>, ImageStoreCount> Stores;

private:
    std::vector<TTestImage> images_;
};

} // namespace stage
