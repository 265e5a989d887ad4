#include "shell/StartUp.h"

#include "game/GripBall.h"
#include "game/GripGame.h"
#include "game/Registries.h"
#include "game/SoundEffect.h"
#include "midi/MidiData.h"
#include "midi/MidiPlayer.h"
#include "midi/TrackOutputs.h"
#include "platform/DataPath.h"
#include "platform/Exception.h"
#include "shell/Datas.h"
#include "shell/GameTick.h"
#include "sprites/DXImageList.h"
#include "training/Training.h"

#include <QFileInfo>

TStartUp::TStartUp(TDatas& form) : form_(form) {}

TStartUp::~TStartUp() = default;

void TStartUp::FormCreate()
{
    OpenSong();
    LoadImages();
    RegisterLayers(form_.SpriteEngineLayerTwo, form_.SpriteEngineLayerThree, form_.SpriteEngineLayerFour,
                   form_.SpriteEngineLayerFive, form_.SpriteEngineLayerSix, form_.SpriteEngineLayerSeven);
    RegisterImageStores(form_.ImgStoreBalls, form_.ImgStoreContext, form_.ImgStoreEffect, form_.ImgStoreFixed,
                        form_.ImgStoreGesture, form_.ImgStoreAnimation);
    // The game takes Easy Mode for player one's grip from the settings.
    game_ = std::make_unique<TGripGame>(form_.MidiPlayer.get(), form_.Settings(), form_.Output());
    form_.Tick->SetGame(game_.get());
    // The training follows the game, and fits each ball to its hand as the players get them.
    form_.Training->Attach(*game_, form_.MidiPlayer.get());
    following_.push_back(form_.GripBall->OnPlayerBall.Subscribe(
        [training = form_.Training.get()](TStressValue& grip) { training->BallChanged(grip); }));
    TStressValue* player = game_->PlayerOneStress();
    player->Device = form_.GripBall->GripDevice;
    form_.GripBall->Player = player;
    // A second ball is player two's; a ball pulled out mid-song pauses the game.
    form_.GripBall->PlayerTwo = game_->PlayerTwoStress();
    form_.GripBall->AttachPlayers();
    following_.push_back(form_.GripBall->OnBallLost.Subscribe([game = game_.get()](int who) { game->BallLost(who); }));
    game_->CreateEffects();
    // The hit sound is loaded now rather than on the first hit.
    PrepareHitSound();
    complete_ = true;
}

void TStartUp::DestroyGame()
{
    if (!game_)
        return;
    form_.Tick->SetGame(nullptr);
    form_.Training->Detach();
    following_.clear();
    if (form_.GripBall->Player == game_->PlayerOneStress())
        form_.GripBall->Player = nullptr;
    if (form_.GripBall->PlayerTwo == game_->PlayerTwoStress())
        form_.GripBall->PlayerTwo = nullptr;
    game_.reset();
}

void TStartUp::OpenSong()
{
    // The song's name is fixed; edtMidiName only shows it.
    const std::string song = DataFile("invincible.mid");
    form_.Training->SetSong(QFileInfo(QString::fromStdString(song)).fileName());
    form_.MidiData->SetFileName(song);
    form_.MidiData->SetActive(true);
    form_.TrackOutputs->SetActive(true);
    form_.MidiPlayer->Refresh();
    form_.PianoRoll->Rescan();
    form_.MidiPlayer->SetTempoPercent(form_.Settings().MelodySpeed);
}

void TStartUp::LoadImages()
{
    const struct {
        TDXImageList* store;
        const char* file;
        const char* message;
    } loads[] = {
        {form_.ImgStoreAnimation, "Animation.dxg", "無法載入Animation檔"},
        {form_.ImgStoreBalls, "balls.dxg", "無法載入Balls檔"},
        {form_.ImgStoreContext, "Context.dxg", "無法載入Context檔"},
        {form_.ImgStoreEffect, "Effect.dxg", "無法載入Effect檔"},
        {form_.ImgStoreFixed, "FixedBmp.dxg", "無法載入Fixed檔"},
        {form_.ImgStoreGesture, "Gesture.dxg", "無法載入Gesture檔"},
    };
    for (const auto& load : loads) {
        try {
            load.store->Items().LoadFile(QString::fromStdString(DataFile(load.file)));
        } catch (...) {
            throw Exception(load.message);
        }
    }
}
