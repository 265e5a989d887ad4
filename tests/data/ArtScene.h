#pragma once

// The game's start-up picture built from the generated files: the real game sprite classes on
// a real drawing surface with the six layers, created in the order the player screens create
// them, so equal-Z sprites cover each other as they do in the game.

#include "game/Acrobatics.h"
#include "game/Displays.h"
#include "game/Precise.h"
#include "game/Prizes.h"
#include "game/Rules.h"
#include "game/Scenery.h"
#include "game/Registries.h"
#include "sprites/DXImageList.h"
#include "sprites/DXSprite.h"

#include "ArtCatalogue.h"

#include <QImage>
#include <QString>
#include <QWidget>

#include <array>
#include <memory>
#include <type_traits>
#include <vector>

namespace scene {

inline TImageStoreSlot SlotOf(art::TStore store)
{
    switch (store) {
    case art::TStore::Balls: return SlotImgBalls;
    case art::TStore::Context: return SlotImgContext;
    case art::TStore::Effect: return SlotImgEffect;
    case art::TStore::Fixed: return SlotImgFixed;
    case art::TStore::Gesture: return SlotImgGesture;
    case art::TStore::Animation: return SlotImgAnimation;
    }
    return SlotImgBalls;
}

// One player's half as its screen builds it.
struct TPlayerHalf {
    TGesture* Gesture = nullptr;
    TLiningGesture* Lining = nullptr;
    std::unique_ptr<TCombo> Combo;
    std::unique_ptr<TPercentag> Percentage;
    std::unique_ptr<TMarker> Marker;
    TRuleMark* RuleMark = nullptr;
    TBackPipeLine* BackPipe = nullptr;
    std::unique_ptr<TAcrobatics> Figures;
    TMeter* Meter = nullptr;
    std::array<TStepMark*, 6> Steps{};
};

class TArtScene {
public:
    // Loads the six files from folder (with its trailing separator) into stores bound to a
    // 457 x 385 surface, and registers stores and layers as the debug form does.
    explicit TArtScene(const QString& folder)
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
        for (const art::TStoreFile& file : art::StoreFiles) {
            auto& store = Stores[size_t(SlotOf(file.Store))];
            store = std::make_unique<TDXImageList>();
            store->SetDXDraw(Draw);
            store->Items().LoadFile(folder + QString::fromLatin1(file.FileName.data(), qsizetype(file.FileName.size())));
        }
        RegisterLayers(Layers[0].get(), Layers[1].get(), Layers[2].get(), Layers[3].get(), Layers[4].get(),
                       Layers[5].get());
        RegisterImageStores(Stores[0].get(), Stores[1].get(), Stores[2].get(), Stores[3].get(), Stores[4].get(),
                            Stores[5].get());
    }

    ~TArtScene()
    {
        for (auto& half : Halves) {
            half.Combo.reset();
            half.Percentage.reset();
            half.Marker.reset();
            half.Figures.reset();
        }
        RegisterLayers(nullptr, nullptr, nullptr, nullptr, nullptr, nullptr);
        RegisterImageStores(nullptr, nullptr, nullptr, nullptr, nullptr, nullptr);
        for (auto& layer : Layers)
            layer.reset();
        for (auto& store : Stores)
            store.reset();
    }

    // Both player screens, then the shared effects, as start-up creates them.
    void BuildStartUp()
    {
        BuildHalf(0);
        BuildHalf(1);
        Explode = new TExplode(LayerEngine(SlotLayerSeven));
        Ok = new TOk(LayerEngine(SlotLayerSeven));
    }

    // Player one's grip level as the tick shows it: steps below the level, gestures, lane light.
    void ShowLevel(int level)
    {
        TPlayerHalf& one = Halves[0];
        for (int i = 0; i < 6; ++i)
            one.Steps[size_t(i)]->Visible = i < level;
        one.Gesture->ShowLevel(level);
        one.Lining->ShowLevel(level);
        one.BackPipe->Visible = level >= 1;
    }

    // A ball of the given kind on a lane, with its left edge at x.
    template <typename TBall>
    TBall* AddBall(int player, double x)
    {
        auto* ball = new TBall(LayerEngine(SlotLayerThree));
        ball->SetZ(10);
        ball->StopTimer();
        double y = 122;
        if constexpr (std::is_same_v<TBall, TRedBall>)
            y = 112;
        else if constexpr (std::is_same_v<TBall, TYellowBall>)
            y = 128;
        ball->SetPosition(x, y + (player == 1 ? 170 : 0));
        return ball;
    }

    // One frame as the game draws it: the skin, then the six layers back to front.
    QImage Frame(const QImage& skin)
    {
        Draw->Surface().LoadFromGraphic(skin);
        for (auto& layer : Layers)
            layer->Draw();
        return Draw->Surface().Image().copy();
    }

    QWidget form_;
    TDXDraw* Draw = nullptr;
    std::array<std::unique_ptr<TDXSpriteEngine>, LayerCount> Layers;
    std::array<std::unique_ptr<TDXImageList>, ImageStoreCount> Stores;
    std::array<TPlayerHalf, 2> Halves;
    TExplode* Explode = nullptr;
    TOk* Ok = nullptr;

private:
    template <typename T>
    static T* Hidden(T* sprite)
    {
        sprite->Visible = false;
        return sprite;
    }

    void BuildHalf(int player)
    {
        TPlayerHalf& half = Halves[size_t(player)];
        half.Gesture = Hidden(new TGesture(LayerEngine(SlotLayerFive)));
        half.Lining = Hidden(new TLiningGesture(LayerEngine(SlotLayerFour)));
        half.Combo = std::make_unique<TCombo>();
        half.Percentage = std::make_unique<TPercentag>();
        half.Marker = std::make_unique<TMarker>();
        // The lane: rule mark, rule image, background.
        half.RuleMark = Hidden(new TRuleMark(LayerEngine(SlotLayerThree)));
        if (player == 0) {
            new TRule1P(LayerEngine(SlotLayerThree));
            half.BackPipe = Hidden(new TBackPipeLineOne(LayerEngine(SlotLayerTwo)));
            half.BackPipe->SetPosition(204, 112);
        } else {
            new TRule2P(LayerEngine(SlotLayerThree));
            half.BackPipe = Hidden(new TBackPipeLineTwo(LayerEngine(SlotLayerTwo)));
            half.BackPipe->SetPosition(204, 212);
        }
        half.RuleMark->PlaceFor(player);
        if (player == 0)
            half.Figures = std::make_unique<TAcrobaticsOne>();
        else
            half.Figures = std::make_unique<TAcrobaticsTwo>();
        // The level holder's set-up: meter, places of the gestures, then the steps.
        if (player == 0)
            half.Meter = new TMeter1P(LayerEngine(SlotLayerFour));
        else
            half.Meter = new TMeter2P(LayerEngine(SlotLayerFour));
        half.Lining->SetPosition(364, 94);
        half.Gesture->SetPosition(332, player == 0 ? 69 : 239);
        static const int stepsOne[6][2] = {{346, 162}, {345, 152}, {344, 142}, {344, 132}, {345, 122}, {347, 112}};
        for (int i = 0; i < 6; ++i) {
            auto* step = new TStepMark(LayerEngine(player == 0 ? SlotLayerFive : SlotLayerFour), i);
            if (player == 0)
                step->SetPosition(stepsOne[i][0], stepsOne[i][1]);
            else
                step->SetPosition(340, 330 - 10 * i);
            half.Steps[size_t(i)] = step;
        }
        half.Gesture->Visible = true;
        half.Lining->Visible = true;
        half.Combo->PlaceFor(player);
        half.Percentage->PlaceFor(player);
        half.Marker->PlaceFor(player);
        new TSunshadeLeft(LayerEngine(SlotLayerSix));
        new TSunshadeRight(LayerEngine(SlotLayerSix));
        if (player == 0) {
            new TSongName(LayerEngine(SlotLayerFive));
            new TQualifiedGoal(LayerEngine(SlotLayerFive));
        }
    }
};

} // namespace scene
