#include "shell/Datas.h"

#include "game/GripBall.h"
#include "game/GripGame.h"
#include "game/Registries.h"
#include "hid/HidDeviceController.h"
#include "midi/MidiData.h"
#include "midi/MidiPlayer.h"
#include "midi/TrackOutputs.h"
#include "platform/Exception.h"
#include "platform/Guard.h"
#include "shell/FormFont.h"
#include "shell/FormsOutput.h"
#include "shell/GameTick.h"
#include "shell/ScreenForm.h"
#include "shell/StartUp.h"
#include "sprites/DXDraws.h"
#include "sprites/DXImageList.h"
#include "sprites/DXSprite.h"

TDatas* Datas = nullptr;

namespace {

QLabel* Label(QWidget* parent, const char* caption, int x, int y)
{
    auto* l = new QLabel(caption, parent);
    l->move(x, y);
    l->adjustSize();
    return l;
}

QLineEdit* Edit(QWidget* parent, const char* text, int x, int y, int w, int h)
{
    auto* e = new QLineEdit(text, parent);
    e->setGeometry(x, y, w, h);
    return e;
}

} // namespace

TDatas::TDatas(QWidget* parent) : QWidget(parent, Qt::Window)
{
    Datas = this;
    setObjectName("Datas");
    setWindowTitle("Datas");
    setFont(FormFont());
    setGeometry(208, 47, 445, 539);

    ImgSkin = QImage(":/shell/skin.bmp");

    // The pictures lie beneath the windowed controls where they overlap.
    ImgViewport = new QLabel(this);
    ImgViewport->setObjectName("ImgViewport");
    ImgViewport->setPixmap(QPixmap(":/shell/viewport.bmp"));
    ImgViewport->setGeometry(32, 120, 461, 362);

    Label1 = Label(this, "Device One", 8, 16);
    edtDevOnePN = Edit(this, "Kneadle Bal", 80, 16, 65, 21);
    Label2 = Label(this, "PID", 152, 16);
    edtDevOnePid = Edit(this, "5678", 176, 16, 73, 21);
    Label3 = Label(this, "VID", 256, 16);
    edtDevOneVid = Edit(this, "1234", 280, 16, 65, 21);
    Label4 = Label(this, "Device Two", 8, 56);
    edtDevTwoPN = Edit(this, "", 80, 48, 65, 21);
    Label5 = Label(this, "PID", 152, 56);
    edtDevTwoPid = Edit(this, "", 176, 48, 73, 21);
    Label6 = Label(this, "VID", 256, 56);
    edtDevTwoVid = Edit(this, "", 280, 48, 65, 21);
    PianoRoll = new TPianoRoll(this);
    PianoRoll->setObjectName("PianoRoll");
    PianoRoll->setGeometry(16, 80, 265, 241);
    PianoRoll->SetWhiteNoteHeight(16);
    PianoRoll->NoteCursor = QCursor(Qt::OpenHandCursor);
    PianoRoll->LeftStretchCursor = QCursor(Qt::SizeHorCursor);
    PianoRoll->RightStretchCursor = QCursor(Qt::SizeHorCursor);
    PianoRoll->SetTrack(0);
    PianoRoll->SetLeftPosition(0);
    PianoRoll->SetActivePosition(0);
    PianoRoll->SetQNWidth(32);
    Memo1 = new QPlainTextEdit(this);
    Memo1->setObjectName("Memo1");
    Memo1->setGeometry(288, 80, 137, 241);
    midiFile = Label(this, "midiFile", 8, 232);
    edtMidiName = Edit(this, "invincible.mid", 48, 232, 97, 21);
    Label7 = Label(this, "Tempo", 112, 352);
    tbTempo = new QSlider(Qt::Horizontal, this);
    tbTempo->setGeometry(168, 352, 257, 33);
    tbTempo->setRange(10, 120);
    tbTempo->setValue(10);
    tbTempo->setTickInterval(10);
    tbTempo->setTickPosition(QSlider::TicksBelow);
    // Labels are painted on the form itself, beneath every windowed control.
    midiFile->lower();
    ImgViewport->lower();

    MidiData = std::make_unique<TMidiData>();
    MidiData->SetPPQN(180);
    TrackOutputs = std::make_unique<TTrackOutputs>();
    TrackOutputs->DefaultOutputPort = 0;
    TrackOutputs->SetMidiData(MidiData.get());
    MidiPlayer = std::make_unique<TMidiPlayer>();
    MidiPlayer->SetTimerPeriod(1);
    MidiPlayer->SetTimerResolution(4);
    MidiPlayer->SetTrackOutputs(TrackOutputs.get());
    MidiPlayer->BoostPriority = false;
    PianoRoll->SetMidiData(MidiData.get());

    // Stores and layers draw on the main window's surface, which is why that window comes first.
    TDXDraw* surface = ScreenForm ? ScreenForm->DXDraw : nullptr;
    auto store = [this, surface](const char* name) {
        auto* list = new TDXImageList(this);
        list->setObjectName(name);
        list->SetDXDraw(surface);
        return list;
    };
    ImgStoreAnimation = store("ImgStoreAnimation");
    ImgStoreBalls = store("ImgStoreBalls");
    ImgStoreContext = store("ImgStoreContext");
    ImgStoreEffect = store("ImgStoreEffect");
    ImgStoreFixed = store("ImgStoreFixed");
    ImgStoreGesture = store("ImgStoreGesture");
    auto layer = [this, surface](const char* name) {
        auto* engine = new TDXSpriteEngine(this);
        engine->setObjectName(name);
        engine->SetDXDraw(surface);
        return engine;
    };
    SpriteEngineLayerTwo = layer("SpriteEngineLayerTwo");
    SpriteEngineLayerThree = layer("SpriteEngineLayerThree");
    SpriteEngineLayerFour = layer("SpriteEngineLayerFour");
    SpriteEngineLayerFive = layer("SpriteEngineLayerFive");
    SpriteEngineLayerSix = layer("SpriteEngineLayerSix");
    SpriteEngineLayerSeven = layer("SpriteEngineLayerSeven");

    // The game shows its grip level in the main window's Edit1 and logs to this form's memo;
    // its options start as the main window's controls stand.
    output_ = std::make_unique<TFormsOutput>(ScreenForm ? ScreenForm->Edit1 : nullptr, Memo1);
    if (ScreenForm)
        settings_ = ScreenForm->Settings();

    UsbHids = new TJvHidDeviceController(this);
    UsbHids->setObjectName("UsbHids");
    GripBall = std::make_unique<TGripBall>(*UsbHids);
    // A ball that cannot be opened is said once, in a box and on the terminal, as every
    // message is; the game goes on.
    GripBall->OnAccessProblem = [](const std::string& message) {
        ReportException(std::make_exception_ptr(Exception(message)));
    };
    // The first device-change handler is called at once: the ball is found before FormCreate.
    Guarded([this] { GripBall->Bind(); });

    Timer1 = new QTimer(this);
    Timer1->setTimerType(Qt::PreciseTimer);
    Timer1->setInterval(1);
    Tick = std::make_unique<TGameTick>(*Timer1, *MidiPlayer);
    connect(Timer1, &QTimer::timeout, this, [this] { Guarded([this] { Tick->Timer1Timer(); }); });
    Timer1->start();

    StartUp = std::make_unique<TStartUp>(*this);
    Guarded([this] { StartUp->FormCreate(); });
}

TDatas::~TDatas()
{
    Timer1->stop();
    // No handler of this form may run while it is being taken apart; the balls go back.
    GripBall->Release();
    StartUp->DestroyGame();
    delete UsbHids;
    UsbHids = nullptr;
    // The player sends through the outputs and the piano roll reads the song: both go first.
    MidiPlayer.reset();
    TrackOutputs.reset();
    PianoRoll->SetMidiData(nullptr);
    MidiData.reset();
    // Sprites go before the stores whose pictures they show; the registries point at neither.
    RegisterLayers(nullptr, nullptr, nullptr, nullptr, nullptr, nullptr);
    RegisterImageStores(nullptr, nullptr, nullptr, nullptr, nullptr, nullptr);
    for (TDXSpriteEngine* engine : {SpriteEngineLayerTwo, SpriteEngineLayerThree, SpriteEngineLayerFour,
                                    SpriteEngineLayerFive, SpriteEngineLayerSix, SpriteEngineLayerSeven})
        delete engine;
    for (TDXImageList* list :
         {ImgStoreAnimation, ImgStoreBalls, ImgStoreContext, ImgStoreEffect, ImgStoreFixed, ImgStoreGesture})
        delete list;
    if (Datas == this)
        Datas = nullptr;
}

void TDatas::ApplySettings(const TGameSettings& settings)
{
    settings_ = settings;
    MidiPlayer->SetTempoPercent(settings.MelodySpeed);
    if (TGripGame* game = Game())
        game->SetSettings(settings);
}

TGameOutput* TDatas::Output() const { return output_.get(); }

bool TDatas::StartUpComplete() const { return StartUp && StartUp->Complete(); }

TGripGame* TDatas::Game() const { return StartUp ? StartUp->Game() : nullptr; }
