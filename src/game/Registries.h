#pragma once

#include <array>

class TDXSpriteEngine;
class TDXImageList;
class TSpriteEngine;

// Slots of the layer registry; slot order is drawing order, back to front.
enum TLayerSlot : int {
    SlotLayerTwo = 0,
    SlotLayerThree = 1,
    SlotLayerFour = 2,
    SlotLayerFive = 3,
    SlotLayerSix = 4,
    SlotLayerSeven = 5,
};

// Slots of the image-store registry.
enum TImageStoreSlot : int {
    SlotImgBalls = 0,
    SlotImgContext = 1,
    SlotImgEffect = 2,
    SlotImgFixed = 3,
    SlotImgGesture = 4,
    SlotImgAnimation = 5,
};

constexpr int LayerCount = 6;
constexpr int ImageStoreCount = 6;

// Where every game object finds its layer and its pictures. The registries refer to
// components their owner (the debug form) keeps; they own nothing.
extern std::array<TDXSpriteEngine*, LayerCount> SpriteLayers;
extern std::array<TDXImageList*, ImageStoreCount> ImageStores;

void RegisterLayers(TDXSpriteEngine* two, TDXSpriteEngine* three, TDXSpriteEngine* four,
                    TDXSpriteEngine* five, TDXSpriteEngine* six, TDXSpriteEngine* seven);
void RegisterImageStores(TDXImageList* balls, TDXImageList* context, TDXImageList* effect,
                         TDXImageList* fixed, TDXImageList* gesture, TDXImageList* animation);

// The root engine of a registered layer; fails clearly when the slot is empty.
TSpriteEngine* LayerEngine(TLayerSlot slot);
// A registered image store; fails clearly when the slot is empty.
TDXImageList& ImageStore(TImageStoreSlot slot);

// The frame's work on the layers: layer Three alone is moved with a move count of 0 (which
// runs the rule marks' judging), then all six are drawn back to front. Empty slots are skipped,
// so a start-up that ended early still gets its frames.
void MoveAndDrawSpriteLayers();
// Its two halves, for frames that draw without judging.
void MoveSpriteLayerThree();
void DrawSpriteLayers();
