#pragma once

#include "game/GameSettings.h"
#include "midi/PianoRoll.h"

#include <array>
#include <memory>

#include <QImage>
#include <QLabel>
#include <QLineEdit>
#include <QPlainTextEdit>
#include <QSlider>
#include <QTimer>
#include <QWidget>

// The debug form: it holds the game's non-visual machinery, performs the whole start-up in
// FormCreate and runs the one-millisecond tick. It stays hidden until Debug shows it.
class TDXDraw;
class TFormsOutput;
class TDXImageList;
class TDXSpriteEngine;
class TGripGame;
class TJvHidDevice;
class TJvHidDeviceController;
class TMidiData;
class TMidiPlayer;
class TTrackOutputs;

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

    void OpenSong();
    void LoadImages();

    void FormCreate();
    void Timer1Timer();

    // The grip ball's comings and goings (bound to UsbHids).
    void UsbHidsDeviceChange(QObject* sender);
    bool UsbHidsEnumerate(TJvHidDevice* HidDev, int Idx);
    void UsbHidsDeviceUnplug(TJvHidDevice* HidDev);

    // What the main window's controls ask of the game; each does nothing until the game exists.
    void StartGame();
    void PauseGame();
    void ResumeGame();
    // The main window's options: the song's tempo follows at once, and so does the game.
    void ApplySettings(const TGameSettings& settings);
    // The frame's part below the skin: judge on layer Three, then draw the six layers.
    void MoveAndDrawLayers();

    bool StartUpComplete() const { return startUpComplete_; }
    // The game start-up built; none before, and none if start-up ended early.
    TGripGame* Game() const { return game_.get(); }
    // The last ball the enumeration found.
    TJvHidDevice* GripDevice = nullptr;

private:
    // Game objects live on the layers: they must go before them.
    void DestroyGame();

    bool startUpComplete_ = false;
    std::unique_ptr<TGripGame> game_;
    TGameSettings settings_;
    std::unique_ptr<TFormsOutput> output_;
};

extern TDatas* Datas;
