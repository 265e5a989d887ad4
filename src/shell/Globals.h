#pragma once

#include <array>
#include <cstdint>

class TDXSpriteEngine;
class TDXImageList;
class TSpriteEngine;
class TGripGame;
class TStressValueOne;
class TStressValueTwo;
class TJvHidDevice;
class TMarker;
class TCombo;
class TPercentag;
class TExplode;
class TOk;

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

// The registries refer to components the debug form owns; they own nothing.
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

// Program-wide references set during start-up.
extern TGripGame* GripGame;
extern TStressValueOne* PlayerOneStressValue;
extern TStressValueTwo* PlayerTwoStressValue;
extern TJvHidDevice* GripDevice;
extern TMarker* PlayerOneMarker;
extern TCombo* PlayerOneCombo;
extern TPercentag* PlayerOnePercentage;
extern TExplode* SharedExplode;
extern TOk* SharedOk;
extern bool RegionApplied;
extern std::int32_t LastSongPosition;
