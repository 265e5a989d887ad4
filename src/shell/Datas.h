#pragma once

#include "game/GameSettings.h"
#include "midi/PianoRoll.h"

#include <memory>

#include <QImage>
#include <QLabel>
#include <QLineEdit>
#include <QPlainTextEdit>
#include <QSlider>
#include <QTimer>
#include <QWidget>

class TDXImageList;
class TDXSpriteEngine;
class TFormsOutput;
class TGameOutput;
class TGameTick;
class TGripBall;
class TGripGame;
class TJvHidDeviceController;
class TMidiData;
class TMidiPlayer;
class TSongSwitch;
class TStartUp;
class TTrackOutputs;
class TTraining;

// The debug form: its controls and the game's non-visual components as designed. Its roles
// each have a class of their own: the start-up (FormCreate), the tick (Timer1) and the grip
// ball's handlers (UsbHids). It stays hidden until Debug shows it.
class TDatas : public QWidget {
    Q_OBJECT
public:
    explicit TDatas(QWidget* parent = nullptr);
    ~TDatas() override;

    QImage ImgSkin;
    QLabel* ImgViewport;
    QLabel* Label1;
    QLineEdit* edtDevOnePN;
    QLabel* Label2;
    QLineEdit* edtDevOnePid;
    QLabel* Label3;
    QLineEdit* edtDevOneVid;
    QLabel* Label4;
    QLineEdit* edtDevTwoPN;
    QLabel* Label5;
    QLineEdit* edtDevTwoPid;
    QLabel* Label6;
    QLineEdit* edtDevTwoVid;
    TPianoRoll* PianoRoll;
    QPlainTextEdit* Memo1;
    QLabel* midiFile;
    QLineEdit* edtMidiName;
    QLabel* Label7;
    QSlider* tbTempo;
    QTimer* Timer1;

    // The non-visual components. Declaration order is teardown order reversed: the player
    // goes before the outputs it sends through, the layers and stores before the surface.
    std::unique_ptr<TMidiData> MidiData;
    std::unique_ptr<TTrackOutputs> TrackOutputs;
    std::unique_ptr<TMidiPlayer> MidiPlayer;
    TDXImageList* ImgStoreAnimation;
    TDXImageList* ImgStoreBalls;
    TDXImageList* ImgStoreContext;
    TDXImageList* ImgStoreEffect;
    TDXImageList* ImgStoreFixed;
    TDXImageList* ImgStoreGesture;
    TDXSpriteEngine* SpriteEngineLayerTwo;
    TDXSpriteEngine* SpriteEngineLayerThree;
    TDXSpriteEngine* SpriteEngineLayerFour;
    TDXSpriteEngine* SpriteEngineLayerFive;
    TDXSpriteEngine* SpriteEngineLayerSix;
    TDXSpriteEngine* SpriteEngineLayerSeven;
    TJvHidDeviceController* UsbHids;

    // The form's roles: the grip ball's handlers (bound to UsbHids), the tick (Timer1's
    // handler), the training (each game's results and record, the balls fitted to the hands)
    // and the start-up (FormCreate), which holds the game it built.
    std::unique_ptr<TGripBall> GripBall;
    std::unique_ptr<TGameTick> Tick;
    std::unique_ptr<TTraining> Training;
    std::unique_ptr<TStartUp> StartUp;
    // Opens a song of the player's choosing in place of the loaded one.
    std::unique_ptr<TSongSwitch> Songs;

    // The main window's options: the song's tempo follows at once, and so does the game.
    void ApplySettings(const TGameSettings& settings);
    const TGameSettings& Settings() const { return settings_; }
    // The grip level and the judging's lines, on the main window and the memo.
    TGameOutput* Output() const;

    bool StartUpComplete() const;
    // The game start-up built; none before, and none if start-up ended before it.
    TGripGame* Game() const;

private:
    TGameSettings settings_;
    std::unique_ptr<TFormsOutput> output_;
};

extern TDatas* Datas;
