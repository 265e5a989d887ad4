#include "support/GameHarness.h"

#include "core/GameCore.h"
#include "core/GameTick.h"
#include "game/Displays.h"
#include "game/GameRandom.h"
#include "game/GripGame.h"
#include "game/SoundEffect.h"
#include "game/StressValue.h"
#include "midi/MidiPlayer.h"
#include "platform/DataDirectoryOverride.h"
#include "platform/Guard.h"
#include "platform/UserFoldersOverride.h"
#include "shell/Datas.h"
#include "shell/ScreenForm.h"
#include "sprites/DXDraws.h"
#include "sprites/SpriteStage.h"

#include <QFile>

#include <fstream>
#include <stdexcept>

namespace {

const char* const kPictureFiles[] = {"balls.dxg",  "Context.dxg", "Effect.dxg",
                                     "FixedBmp.dxg", "Gesture.dxg", "Animation.dxg"};

bool Exists(const std::string& path) { return QFile::exists(QString::fromStdString(path)); }

} // namespace

TGameHarness::TGameHarness(const TOptions& options)
{
    PrepareData(options);
    if (!userDir_.isValid())
        throw std::runtime_error("no temporary folder for the user's files");
    userFoldersOverride_ = OverrideUserFolders(userDir_.path());
    dataDirectoryOverride_ = OverrideDataDirectory(dataDirectory_);
    clockOverride_ = OverrideGameClock(clock_);
    clock_.SetMicroseconds(1'000'000);
    timersOverride_ = OverrideMidiTimerService(timers_);
    recording_ = std::make_shared<TMidiRecording>(&clock_);
    recording_->FailOpen = options.MidiFailsToOpen;
    midiOverride_ = OverrideMidiDeviceWithRecording(0, recording_);
    bus_ = std::make_shared<THidSimulatedBus>();
    hidOverride_ = OverrideHidBackend(bus_);
    if (options.PlugBall)
        ball_ = bus_->PlugGripBall();
    SetHitSound([this] { ++hitSounds_; });
    // The program starts with a fresh generator; the first layout depends on it.
    GameRandom().SetState(0);

    // In the program's order: the main window, the core, the debug form, and then the main
    // window shown, which initialises the drawing surface. The ticks and frames are the
    // harness's to run.
    screen_ = std::make_unique<TScreenForm>();
    core_ = std::make_unique<TGameCore>(screen_->DXDraw, screen_->Settings());
    core_->Timer1->stop();
    screen_->FollowCore(*core_);
    datas_ = std::make_unique<TDatas>(*core_);
    screen_->show();
}

TGameHarness::~TGameHarness()
{
    datas_.reset();
    core_.reset();
    screen_.reset();
    SetHitSound(nullptr);
}

void TGameHarness::PrepareData(const TOptions& options)
{
    const std::string bin = GRIP_BIN_DIR;
    bool art = true;
    for (const char* file : kPictureFiles)
        art = art && Exists(bin + file);
    if (art && options.MissingFile.empty() && options.CorruptFile.empty()) {
        // The build's own art: the program's folder as it is.
        dataDirectory_ = bin;
        realArt_ = true;
        return;
    }
    if (!dir_.isValid())
        throw std::runtime_error("no temporary folder for the game's data");
    dataDirectory_ = dir_.path().toStdString() + "/";
    for (const char* file : {"invincible.mid", "Fine.txt", "good.wav"}) {
        if (file != options.MissingFile && !QFile::copy(QString::fromStdString(bin + file),
                                                        QString::fromStdString(dataDirectory_ + file)))
            throw std::runtime_error(std::string("the build has no ") + file);
    }
    for (int slot = 0; slot < ImageStoreCount; ++slot) {
        const char* file = kPictureFiles[slot];
        if (file == options.MissingFile)
            continue;
        if (art) {
            QFile::copy(QString::fromStdString(bin + file), QString::fromStdString(dataDirectory_ + file));
            realArt_ = true;
            continue;
        }
        const auto bytes = stage::StoreFile(stage::GameImages(), TImageStoreSlot(slot));
        std::ofstream(dataDirectory_ + file, std::ios::binary)
            .write(reinterpret_cast<const char*>(bytes.data()), std::streamsize(bytes.size()));
    }
    if (!options.CorruptFile.empty())
        Corrupt(dataDirectory_ + options.CorruptFile, options.Corruption);
}

void TGameHarness::Corrupt(const std::string& path, TOptions::TCorruption corruption)
{
    QFile file(QString::fromStdString(path));
    if (!file.open(QIODevice::ReadWrite))
        throw std::runtime_error("no data file " + path + " to spoil");
    if (corruption == TOptions::TCorruption::Truncated) {
        file.resize(file.size() / 2);
        return;
    }
    file.resize(0);
    // Text where every reader expects its own header, with a few bytes no text has.
    static const char kGarbage[] = "this is no game data\n\x00\xff\x7f\x80 1,2,3\n";
    file.write(kGarbage, sizeof kGarbage - 1);
}

TGripGame* TGameHarness::Game() const { return core_->Game(); }

void TGameHarness::PressStart() { screen_->btnStart->click(); }
void TGameHarness::PressPause() { screen_->btnStop->click(); }
void TGameHarness::PressResume() { screen_->Button2->click(); }

void TGameHarness::SetEasyMode(bool on)
{
    if (screen_->CheckBox1->isChecked() != on)
        screen_->CheckBox1->click();
}

void TGameHarness::SetOnlyBlue(bool on) { screen_->CheckBox2->setChecked(on); }
void TGameHarness::SetSmallShift(bool on) { screen_->CheckBox3->setChecked(on); }
void TGameHarness::SetTempo(int percent) { screen_->TrackBar1->setValue(percent); }

void TGameHarness::AlignFrames(int phase) { frameOrigin_ = now_ + phase; }

void TGameHarness::SetFrameInterval(int ms)
{
    if (ms < 1)
        throw std::invalid_argument("a frame interval must be at least a millisecond");
    frameInterval_ = ms;
}

int TGameHarness::MsToNextFrame() const
{
    const std::int64_t d = ((frameOrigin_ - now_) % frameInterval_ + frameInterval_) % frameInterval_;
    return int(d);
}

void TGameHarness::Tick()
{
    if (ball_ && !silent_ && ball_->IsPlugged())
        ball_->QueueInput({0, grip_ ? grip_() : force_, 0, 0, 0, 0, 0, 0, 0});
    // As the timers run them: whatever they throw goes to the main window's message box.
    Guarded([this] { core_->Tick->Timer1Timer(); });
}

void TGameHarness::Frame()
{
    Guarded([this] { screen_->DXTimerTimer(0); });
}

void TGameHarness::Step()
{
    ++now_;
    clock_.AdvanceMilliseconds(1);
    if (now_ % 4 == 0)
        timers_.Fire();
    Tick();
    if (MsToNextFrame() == 0)
        Frame();
}

void TGameHarness::RunMs(int ms)
{
    for (int i = 0; i < ms; ++i)
        Step();
}

bool TGameHarness::RunUntilSongEnds(int limitMs)
{
    for (int i = 0; i < limitMs; ++i) {
        Step();
        if (!Playing())
            return true;
    }
    return false;
}

bool TGameHarness::Playing() const { return core_->MidiPlayer && core_->MidiPlayer->Play(); }

std::int32_t TGameHarness::LastSongPosition() const { return Game() ? Game()->LastSongPosition() : 0; }

std::int32_t TGameHarness::Score() const { return Game() ? Game()->PlayerOneMarker()->Score : 0; }
std::int32_t TGameHarness::Hits() const { return Game() ? Game()->PlayerOneMarker()->Hits : 0; }
std::int32_t TGameHarness::Combo() const { return Game() ? Game()->PlayerOneCombo()->Count() : 0; }

std::int32_t TGameHarness::PercentShown() const
{
    const TPercentag* percentage = Game() ? Game()->PlayerOnePercentage() : nullptr;
    return percentage ? percentage->Tens->Value * 10 + percentage->Ones->Value : 0;
}

int TGameHarness::Level() const { return Game() ? Game()->PlayerOneStress()->Level : 0; }

QStringList TGameHarness::MemoLines() const
{
    const QString text = datas_->Memo1->toPlainText();
    return text.isEmpty() ? QStringList{} : text.split('\n');
}

QStringList TGameHarness::Messages() const { return screen_->ShownMessages(); }
