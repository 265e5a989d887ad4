#include "game/Registries.h"

#include "platform/Exception.h"
#include "sprites/DXSprite.h"

std::array<TDXSpriteEngine*, LayerCount> SpriteLayers{};
std::array<TDXImageList*, ImageStoreCount> ImageStores{};

void RegisterLayers(TDXSpriteEngine* two, TDXSpriteEngine* three, TDXSpriteEngine* four,
                    TDXSpriteEngine* five, TDXSpriteEngine* six, TDXSpriteEngine* seven)
{
    SpriteLayers = {two, three, four, five, six, seven};
}

void RegisterImageStores(TDXImageList* balls, TDXImageList* context, TDXImageList* effect,
                         TDXImageList* fixed, TDXImageList* gesture, TDXImageList* animation)
{
    ImageStores = {balls, context, effect, fixed, gesture, animation};
}

TSpriteEngine* LayerEngine(TLayerSlot slot)
{
    const int index = static_cast<int>(slot);
    if (index < 0 || index >= LayerCount || SpriteLayers[static_cast<size_t>(index)] == nullptr)
        throw Exception(Format("Sprite layer %d is not registered", index));
    return &SpriteLayers[static_cast<size_t>(index)]->Engine();
}

TDXImageList& ImageStore(TImageStoreSlot slot)
{
    const int index = static_cast<int>(slot);
    if (index < 0 || index >= ImageStoreCount || ImageStores[static_cast<size_t>(index)] == nullptr)
        throw Exception(Format("Image store %d is not registered", index));
    return *ImageStores[static_cast<size_t>(index)];
}

void MoveSpriteLayerThree()
{
    if (TDXSpriteEngine* three = SpriteLayers[SlotLayerThree])
        three->Move(0);
}

void DrawSpriteLayers()
{
    for (TDXSpriteEngine* layer : SpriteLayers)
        if (layer != nullptr)
            layer->Draw();
}

void MoveAndDrawSpriteLayers()
{
    MoveSpriteLayerThree();
    DrawSpriteLayers();
}
