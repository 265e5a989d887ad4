#include "shell/Datas.h"

#include "platform/Guard.h"
#include "game/GripGame.h"
#include "game/Registries.h"
#include "game/Precise.h"
#include "game/Rules.h"
#include "game/SoundEffect.h"
#include "hid/HidDeviceController.h"
#include "midi/MidiData.h"
#include "midi/MidiPlayer.h"
#include "midi/TrackOutputs.h"
#include "platform/DataPath.h"
#include "shell/FormFont.h"
#include "shell/FormsOutput.h"
#include "shell/ScreenForm.h"
#include "sprites/DXDraws.h"
#include "sprites/DXImageList.h"
#include "sprites/DXSprite.h"

#include <algorithm>
#include <cstdint>
#include <exception>
#include <iterator>
#include <vector>

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

    output_ = std::make_unique<TFormsOutput>(ScreenForm ? ScreenForm->Edit1 : nullptr, Memo1);
    if (ScreenForm)
        settings_ = ScreenForm->Settings();

    UsbHids = new TJvHidDeviceController(this);
    UsbHids->setObjectName("UsbHids");
    // The first device-change handler is called at once: the ball is found before FormCreate.
    Guarded([this] {
        UsbHids->SetOnDeviceUnplug({this, &TDatas::UsbHidsDeviceUnplug});
        UsbHids->SetOnEnumerate({this, &TDatas::UsbHidsEnumerate});
        UsbHids->SetOnDeviceChange({this, &TDatas::UsbHidsDeviceChange});
        UsbHids->Loaded();
    });

    Timer1 = new QTimer(this);
    Timer1->setTimerType(Qt::PreciseTimer);
    Timer1->setInterval(1);
    connect(Timer1, &QTimer::timeout, this, [this] { Guarded([this] { Timer1Timer(); }); });
    Timer1->start();

    Guarded([this] { FormCreate(); });
}

TDatas::~TDatas()
{
    Timer1->stop();
    // No handler of this form may run while it is being taken apart; the balls go back.
    UsbHids->SetOnDeviceChange(nullptr);
    UsbHids->SetOnEnumerate(nullptr);
    UsbHids->SetOnDeviceUnplug(nullptr);
    DestroyGame();
    for (TJvHidDevice* device : std::vector<TJvHidDevice*>(UsbHids->Devices()))
        if (device->CheckedOut())
            UsbHids->CheckIn(device);
    GripDevice = nullptr;
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

void TDatas::FormCreate()
{
    OpenSong();
    LoadImages();
    RegisterLayers(SpriteEngineLayerTwo, SpriteEngineLayerThree, SpriteEngineLayerFour, SpriteEngineLayerFive,
                   SpriteEngineLayerSix, SpriteEngineLayerSeven);
    RegisterImageStores(ImgStoreBalls, ImgStoreContext, ImgStoreEffect, ImgStoreFixed, ImgStoreGesture,
                        ImgStoreAnimation);
    // The game takes Easy Mode for player one's grip from the settings.
    game_ = std::make_unique<TGripGame>(MidiPlayer.get(), settings_, output_.get());
    game_->PlayerOneStress()->Device = GripDevice;
    game_->CreateEffects();
    // The hit sound is loaded now rather than on the first hit.
    PrepareHitSound();
    startUpComplete_ = true;
}

void TDatas::DestroyGame() { game_.reset(); }

void TDatas::OpenSong()
{
    // The song's name is fixed; edtMidiName only shows it.
    MidiData->SetFileName(DataFile("invincible.mid"));
    MidiData->SetActive(true);
    TrackOutputs->SetActive(true);
    MidiPlayer->Refresh();
    PianoRoll->Rescan();
    MidiPlayer->SetTempoPercent(settings_.MelodySpeed);
}

void TDatas::LoadImages()
{
    const struct {
        TDXImageList* store;
        const char* file;
        const char* message;
    } loads[] = {
        {ImgStoreAnimation, "Animation.dxg", "無法載入Animation檔"},
        {ImgStoreBalls, "balls.dxg", "無法載入Balls檔"},
        {ImgStoreContext, "Context.dxg", "無法載入Context檔"},
        {ImgStoreEffect, "Effect.dxg", "無法載入Effect檔"},
        {ImgStoreFixed, "FixedBmp.dxg", "無法載入Fixed檔"},
        {ImgStoreGesture, "Gesture.dxg", "無法載入Gesture檔"},
    };
    for (const auto& load : loads) {
        try {
            load.store->Items().LoadFile(QString::fromStdString(DataFile(load.file)));
        } catch (...) {
            throw Exception(load.message);
        }
    }
}

void TDatas::Timer1Timer()
{
    // The tick only matters while the song plays; otherwise it just keeps the grip displays
    // fresh, which ten times slower does as well, and an idle game then costs next to no CPU.
    const int interval = MidiPlayer->Play() ? 1 : 10;
    if (Timer1->interval() != interval)
        Timer1->setInterval(interval);
    // A start-up that ended early leaves no game to drive.
    TGripGame* game = game_.get();
    if (!game)
        return;
    // A ball that fails its read must not stop the lanes following the song: the position is
    // synced first and the read's error reported after.
    std::exception_ptr readError;
    try {
        game->PollGrip();
    } catch (...) {
        readError = std::current_exception();
    }
    if (MidiPlayer->Play()) {
        std::int32_t bar = 0, beat = 0, tick = 0;
        MidiPlayer->GetBarBeatTick(bar, beat, tick);
        game->SyncPosition(bar, beat, tick);
    }
    if (readError)
        std::rethrow_exception(readError);
}

void TDatas::UsbHidsDeviceChange(QObject*) { UsbHids->Enumerate(); }

bool TDatas::UsbHidsEnumerate(TJvHidDevice* HidDev, int Idx)
{
    if (HidDev->ProductName() != "Kneadle Bal")
        return true;
    GripDevice = HidDev;
    // A ball found again by a later enumeration is ours already; the request just fails.
    TJvHidDevice* taken = nullptr;
    UsbHids->CheckOutByIndex(taken, Idx);
    // A ball plugged back in after being pulled out is player one's again: without this the
    // game would ignore it until restarted.
    TStressValue* player = game_ ? game_->PlayerOneStress() : nullptr;
    if (taken && player && !player->Device)
        player->Device = taken;
    // The game's buffer holds a report ID and eight data bytes, and never more is read. Only a
    // report already queued is taken: a ball that reports only when gripped must not hold the
    // start-up.
    std::uint8_t buffer[9] = {};
    std::uint32_t count = 0;
    const int length = std::min<int>(HidDev->Caps().InputReportByteLength, int(sizeof buffer));
    HidCheck(HidDev->ReadQueuedReport(buffer, length, count));
    std::fill(std::begin(buffer), std::end(buffer), 0);
    HidCheck(HidDev->WriteFile(buffer, 2, count));
    return true;
}

void TDatas::UsbHidsDeviceUnplug(TJvHidDevice* HidDev)
{
    TStressValue* player = game_ ? game_->PlayerOneStress() : nullptr;
    if (!player || HidDev != player->Device)
        return;
    player->Device = nullptr;
    // Checking in an unplugged device destroys it: no reference to it may stay behind.
    if (GripDevice == HidDev)
        GripDevice = nullptr;
    TJvHidDevice* device = HidDev;
    UsbHids->CheckIn(device);
}

void TDatas::StartGame()
{
    if (game_)
        game_->Start();
}

void TDatas::PauseGame()
{
    if (game_)
        game_->Pause();
}

void TDatas::ResumeGame()
{
    if (game_)
        game_->Resume();
}

void TDatas::ApplySettings(const TGameSettings& settings)
{
    settings_ = settings;
    MidiPlayer->SetTempoPercent(settings.MelodySpeed);
    if (game_)
        game_->SetSettings(settings);
}

void TDatas::MoveAndDrawLayers() { MoveAndDrawSpriteLayers(); }
