#include "core/GameCore.h"

#include "platform/Preferences.h"

#include <QSettings>

#include "core/GameTick.h"
#include "core/SongList.h"
#include "core/SongSwitch.h"
#include "game/BeatMapMaker.h"
#include "game/GameOutput.h"
#include "game/GripBall.h"
#include "game/GripGame.h"
#include "game/Registries.h"
#include "game/SoundEffect.h"
#include "hid/HidDeviceController.h"
#include "midi/MidiData.h"
#include "midi/MidiPlayer.h"
#include "midi/TrackOutputs.h"
#include "game/StressValue.h"
#include "platform/Clock.h"
#include "platform/ControlEscapes.h"
#include "platform/DataPath.h"
#include "platform/Exception.h"
#include "platform/Guard.h"
#include "platform/Preferences.h"
#include "sprites/DXImageList.h"
#include "sprites/DXSprite.h"
#include "training/Adapting.h"
#include "training/GripTest.h"
#include "training/SongMarks.h"
#include "training/Training.h"
#include "training/TrainingLog.h"

#include <QFileInfo>
#include <QSettings>
#include <QTimer>

#include <algorithm>
#include <cmath>

TGameCore* GameCore = nullptr;

namespace {

const char* const kPreciseTimingKey = "play/precise_timing";
const char* const kSessionGripTestsKey = "sessions/grip_tests";
const char* const kLevelKey = "play/level";

// The level the player last chose in the menu; a word the game does not know plays normal.
EMapLevel MenuLevel()
{
    const QString level = QSettings(PreferencesPath(), QSettings::IniFormat).value(kLevelKey).toString();
    return MapLevelNamed(level.toStdString()).value_or(EMapLevel::Normal);
}

} // namespace

// The game's output handed on to whichever windows follow the core.
class TGameCore::TViewsOutput : public TGameOutput {
public:
    explicit TViewsOutput(TGameCore& core) : core_(core) {}
    void ShowGripLevel(int level) override { core_.OnGripLevel(level); }
    void AppendMemoLine(const QString& line) override { core_.OnMemoLine(line); }

private:
    TGameCore& core_;
};

TGameCore::TGameCore(TDXDraw* surface, const TGameSettings& settings)
    : settings_(settings), output_(std::make_unique<TViewsOutput>(*this))
{
    GameCore = this;
    setObjectName("GameCore");

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
    Training = std::make_unique<TTraining>();
    Players = std::make_unique<TPlayers>();
    Training->PlayerNames = [this](int lane) {
        const std::optional<TPlayer>& chosen = chosenPlayers_[size_t(lane)];
        return chosen ? chosen->Names : QStringList();
    };
    // Nothing is listed, and nothing written for the library, until the player asks.
    Library = std::make_unique<TSongLibrary>();
    Tick = std::make_unique<TGameTick>(*Timer1, *MidiPlayer);
    Tick->SetTraining(Training.get());
    GripTest = std::make_unique<TGripTest>();
    session_ = std::make_unique<TSession>();
    Training->SessionStarted = [this] { return session_->Started(); };
    libraryFollowing_ = Library->OnListed.Subscribe([this] { BeginSession(); });
    // Every tick looks at the session's rest first; a test running has the grips.
    Tick->GripsElsewhere = [this] {
        SessionTick();
        return GripTestTick();
    };
    connect(Timer1, &QTimer::timeout, this, [this] { Guarded([this] { Tick->Timer1Timer(); }); });
    Timer1->start();

    Guarded([this] { FormCreate(); });
}

TGameCore::~TGameCore()
{
    Timer1->stop();
    // A listing under way finishes before the program goes on ending.
    Library.reset();
    // The game under way ends here, as the program does, and goes into the record.
    Training->Detach();
    // The session goes before the training, which would ask it of a game ending later.
    Training->SessionStarted = nullptr;
    // No handler may run while the core is being taken apart; the balls go back.
    GripBall->Release();
    DestroyGame();
    delete UsbHids;
    UsbHids = nullptr;
    // The player sends through the outputs, which route the song; a window that still shows the
    // song lets go of it first.
    MidiPlayer.reset();
    TrackOutputs.reset();
    const std::unique_ptr<TMidiData> song = std::move(MidiData);
    OnSongChanged();
    // Sprites go before the stores whose pictures they show; the registries point at neither.
    RegisterLayers(nullptr, nullptr, nullptr, nullptr, nullptr, nullptr);
    RegisterImageStores(nullptr, nullptr, nullptr, nullptr, nullptr, nullptr);
    for (TDXSpriteEngine* engine : {SpriteEngineLayerTwo, SpriteEngineLayerThree, SpriteEngineLayerFour,
                                    SpriteEngineLayerFive, SpriteEngineLayerSix, SpriteEngineLayerSeven})
        delete engine;
    for (TDXImageList* list :
         {ImgStoreAnimation, ImgStoreBalls, ImgStoreContext, ImgStoreEffect, ImgStoreFixed, ImgStoreGesture})
        delete list;
    if (GameCore == this)
        GameCore = nullptr;
}

void TGameCore::FormCreate()
{
    OpenSong();
    LoadImages();
    RegisterLayers(SpriteEngineLayerTwo, SpriteEngineLayerThree, SpriteEngineLayerFour, SpriteEngineLayerFive,
                   SpriteEngineLayerSix, SpriteEngineLayerSeven);
    RegisterImageStores(ImgStoreBalls, ImgStoreContext, ImgStoreEffect, ImgStoreFixed, ImgStoreGesture,
                        ImgStoreAnimation);
    // The game takes Easy Mode for player one's grip from the settings.
    game_ = std::make_unique<TGripGame>(MidiPlayer.get(), settings_, output_.get());
    game_->SetPreciseTiming(QSettings(PreferencesPath(), QSettings::IniFormat).value(kPreciseTimingKey, false).toBool());
    Tick->SetGame(game_.get());
    // The training follows the game, and fits each ball to its hand as the players get them.
    Training->Attach(*game_, MidiPlayer.get());
    // After the training has ended the game, so that its lines are there to adapt by.
    gameFollowing_.push_back(game_->OnSongEnded.Subscribe([this] {
        AdaptAfterGame();
        session_->SongEnded(GameClock().NowMilliseconds(), Training->SongEndedGame());
        if (session_->State() == TSession::EState::Testing)
            BeginSessionTest();
    }));
    gameFollowing_.push_back(GripBall->OnPlayerBall.Subscribe(
        [training = Training.get()](TStressValue& grip) { training->BallChanged(grip); }));
    TStressValue* player = game_->PlayerOneStress();
    player->Device = GripBall->GripDevice;
    GripBall->Player = player;
    // A second ball is player two's; a ball pulled out mid-song pauses the game.
    GripBall->PlayerTwo = game_->PlayerTwoStress();
    GripBall->AttachPlayers();
    gameFollowing_.push_back(GripBall->OnBallLost.Subscribe([game = game_.get()](int who) { game->BallLost(who); }));
    // A song set going takes the grips back.
    gameFollowing_.push_back(game_->OnStarted.Subscribe([this] {
        if (GripTest->Running()) {
            GripTest->Stop();
            TellGripTest("A song started: the grip test is stopped.");
            if (sessionTest_)
                SessionTestEnded(std::nullopt, false);
        }
        if (session_->State() == TSession::EState::Ended)
            session_->Clear();
    }));
    game_->CreateEffects();
    // The hit sound is loaded now rather than on the first hit.
    PrepareHitSound();
    complete_ = true;
}

void TGameCore::DestroyGame()
{
    if (!game_)
        return;
    Tick->SetGame(nullptr);
    GripTest->Stop();
    Training->Detach();
    gameFollowing_.clear();
    if (GripBall->Player == game_->PlayerOneStress())
        GripBall->Player = nullptr;
    if (GripBall->PlayerTwo == game_->PlayerTwoStress())
        GripBall->PlayerTwo = nullptr;
    game_.reset();
}

void TGameCore::OpenSong()
{
    // The song's name is fixed; the debug form's edtMidiName only shows it.
    const std::string song = DataFile("invincible.mid");
    Training->SetSong(QFileInfo(QString::fromStdString(song)).fileName(), "map");
    MidiData->SetFileName(song);
    MidiData->SetActive(true);
    TrackOutputs->SetActive(true);
    MidiPlayer->Refresh();
    // The piano roll measures the song anew.
    OnSongChanged();
    MidiPlayer->SetTempoPercent(settings_.MelodySpeed);
}

void TGameCore::LoadImages()
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

void TGameCore::ChooseSong(const std::string& path)
{
    TGripGame* game = Game();
    if (!game)
        throw Exception("The game did not start, so no song can be opened");
    const std::optional<TPlayer>& one = chosenPlayers_[0];
    const EMapLevel level = Adapting() && one->Adapted ? one->Adapted->Level : MenuLevel();
    TChosenSong chosen = ReadChosenSong(path, TrackOutputs->DefaultOutputPort, level);

    // Nothing below fails: the game under way goes into the training record, the old song
    // stops, and the new one is laid ready for Start. The old song and its outputs go last,
    // once the player and the windows have let go of them.
    Training->SetSong(QFileInfo(QString::fromStdString(path)).fileName(), QString::fromStdString(chosen.Level));
    game->ChangeSong(chosen.BeatMap, chosen.Title);
    MidiPlayer->SetTrackOutputs(chosen.Outputs.get());
    std::swap(TrackOutputs, chosen.Outputs);
    std::swap(MidiData, chosen.Song);
    chosenPath_ = path;
    shownTrack_ = chosen.MelodyTrack;
    chosenLevel_ = chosen.Level;
    chosenQuartersPerBeat_ = chosen.QuartersPerBeat;
    OnSongChanged();
    for (const std::string& warning : chosen.Warnings)
        OnMemoLine(QString::fromStdString(EscapeControls(warning)));
}

void TGameCore::ChoosePlayer(int lane, std::optional<TPlayer> player)
{
    chosenPlayers_.at(size_t(lane)) = std::move(player);
    if (lane == 0)
        ApplyAdapted();
    OnPlayersChanged();
}

void TGameCore::ChoosePlayerNamed(int lane, const QString& name)
{
    std::optional<TPlayer> player = Players->Find(name);
    if (!player && Players->Failure().isEmpty())
        player = Players->Add(name);
    if (!player)
        throw Exception(Players->Failure().toStdString());
    ChoosePlayer(lane, player);
}

void TGameCore::RenamePlayer(int id, const QString& name)
{
    if (!Players->Rename(id, name))
        throw Exception(Players->Failure().toStdString());
    for (std::optional<TPlayer>& chosen : chosenPlayers_)
        if (chosen && chosen->Id == id)
            chosen = Players->ById(id).value_or(*chosen);
    OnPlayersChanged();
}

void TGameCore::ApplySettings(const TGameSettings& settings)
{
    settings_ = settings;
    MidiPlayer->SetTempoPercent(settings.MelodySpeed);
    if (TGripGame* game = Game())
        game->SetSettings(settings);
}

void TGameCore::SetPreciseTiming(bool on)
{
    QSettings preferences(PreferencesPath(), QSettings::IniFormat);
    preferences.setValue(kPreciseTimingKey, on);
    preferences.sync();
    if (preferences.status() != QSettings::NoError)
        qWarning("The game cannot keep its settings in %s: precise timing is %s for this run only.",
                 qUtf8Printable(PreferencesPath()), on ? "on" : "off");
    if (TGripGame* game = Game())
        game->SetPreciseTiming(on);
}

bool TGameCore::PreciseTiming() const
{
    if (const TGripGame* game = Game())
        return game->PreciseTiming();
    return QSettings(PreferencesPath(), QSettings::IniFormat).value(kPreciseTimingKey, false).toBool();
}

void TGameCore::TellGripTest(const QString& text)
{
    gripTestOutcome_ = text;
    gripTestOutcomeUntil_ = GameClock().NowMilliseconds() + OutcomeMs;
}

void TGameCore::StartGripTest()
{
    TGripGame* game = Game();
    if (!game)
        throw Exception("The game did not start, so there is no grip test");
    if (Training->Fitting().Ball(0).isEmpty()) {
        TellGripTest("The grip test needs a grip ball: player one plays on the keys.");
        return;
    }
    if (MidiPlayer->Play())
        game->Pause();
    Training->CancelCalibration();
    gripTestOutcome_.clear();
    gripTestStarted_ = Training->Now();
    GripTest->Start(GameClock().NowMilliseconds());
}

void TGameCore::StopGripTest()
{
    if (!GripTest->Running())
        return;
    GripTest->Stop();
    TellGripTest("The grip test is stopped; nothing was recorded.");
    if (sessionTest_)
        SessionTestEnded(std::nullopt);
}

bool TGameCore::GripTesting() const { return GripTest->Running(); }

QString TGameCore::GripTestText() const
{
    const std::int64_t now = GameClock().NowMilliseconds();
    if (GripTest->Running())
        return GripTest->Prompt(now);
    return now < gripTestOutcomeUntil_ ? gripTestOutcome_ : QString();
}

bool TGameCore::GripTestTick()
{
    TGripGame* game = Game();
    if (!GripTest->Running() || !game)
        return false;
    TStressValue* grip = game->PlayerOneStress();
    if (!grip->Device) {
        GripTest->Stop();
        TellGripTest("The grip ball went: the grip test is stopped; nothing was recorded.");
        // The session goes on once a ball is back and Start is pressed.
        if (sessionTest_)
            SessionTestEnded(std::nullopt, false);
        return false;
    }
    grip->ReadForces([this](std::uint8_t force) { GripTest->Feed(GameClock().NowMilliseconds(), force); });
    GripTest->Advance(GameClock().NowMilliseconds());
    if (!GripTest->Done())
        return true;
    const TForceScale scale = Training->Fitting().Scale(0);
    const std::optional<TPlayer>& player = chosenPlayers_[0];
    TGameRecord record =
        GripTestRecord(*GripTest, gripTestStarted_, Training->Fitting().Ball(0), player ? player->Name() : QString(),
                       scale.Fitted() ? std::optional<int>(scale.Peak) : std::nullopt);
    record.Session = session_->Started();
    const bool kept = Training->Log().Append({record});
    GripTest->Stop();
    TellGripTest(QString("Grip test: peak %1, pace %2 a minute, held %3 s.%4")
                     .arg(record.PeakForce)
                     .arg(*record.TestPacePerMinute)
                     .arg(*record.TestHoldSeconds, 0, 'f', 1)
                     .arg(kept ? QString() : QString(" It could not be written to ") + Training->Log().Path() + "."));
    if (sessionTest_)
        SessionTestEnded(
            TTestFigures{record.PeakForce, int(std::lround(*record.TestPacePerMinute)), *record.TestHoldSeconds});
    return true;
}

bool TGameCore::Adapting() const
{
    const std::optional<TPlayer>& one = chosenPlayers_[0];
    return one && one->Adapt;
}

void TGameCore::SetAdapting(bool on)
{
    std::optional<TPlayer>& one = chosenPlayers_[0];
    if (!one)
        throw Exception("Choose a player first (Player…): the game adapts to each player by name.");
    // The first time on, adapting starts from the game as it stands.
    std::optional<TAdaptSettings> settings = one->Adapted;
    if (on && !settings) {
        const TForceScale scale = Training->Fitting().Scale(0);
        const std::optional<EMapLevel> made = MapLevelNamed(chosenLevel_);
        settings = TAdapting::Bounded({made.value_or(MenuLevel()), settings_.MelodySpeed, scale.Share});
    }
    if (!Players->SetAdapting(one->Id, on, settings))
        throw Exception(Players->Failure().toStdString());
    one->Adapt = on;
    one->Adapted = settings;
    ApplyAdapted();
    OnPlayersChanged();
}

void TGameCore::ApplyAdapted()
{
    if (!Adapting() || !chosenPlayers_[0]->Adapted) {
        Training->SetShare(0, std::nullopt);
        return;
    }
    const TAdaptSettings& adapted = *chosenPlayers_[0]->Adapted;
    Training->SetShare(0, adapted.Share);
    if (settings_.MelodySpeed != adapted.Speed) {
        TGameSettings settings = settings_;
        settings.MelodySpeed = adapted.Speed;
        ApplySettings(settings);
        OnSettingsChanged();
    }
    // A map of the song's own stays as it is; a made one is made again at the new level.
    TGripGame* game = Game();
    const std::optional<EMapLevel> made = MapLevelNamed(chosenLevel_);
    if (!game || !made || *made == adapted.Level || Training->Playing())
        return;
    TBeatMapOptions options;
    options.QuartersPerBeat = chosenQuartersPerBeat_;
    options.Level = adapted.Level;
    game->ChangeBeatMap(MakeBeatMap(*MidiData, options).Text);
    chosenLevel_ = MapLevelName(adapted.Level);
    Training->SetSong(Training->Song(), QString::fromStdString(chosenLevel_));
}

void TGameCore::AdaptAfterGame()
{
    if (!Adapting() || !chosenPlayers_[0]->Adapted)
        return;
    const std::vector<TGameRecord>& lines = Training->SongEndedGame();
    const auto line = std::find_if(lines.begin(), lines.end(), [](const TGameRecord& r) { return r.Player == 1; });
    if (line == lines.end())
        return;
    TPlayer& one = *chosenPlayers_[0];
    // From what this game was played at: the slider may have moved since adapting set it.
    TAdaptSettings played = *one.Adapted;
    played.Speed = line->MelodySpeed;
    const std::optional<EMapLevel> made = MapLevelNamed(chosenLevel_);
    if (made)
        played.Level = *made;
    const TAdaptStep step = TAdapting(TAdapting::ConfiguredBand())
                                .Next(played, line->Balls, line->BallsHit, made.has_value(),
                                      Training->Fitting().Scale(0).Fitted());
    one.Adapted = step.Next;
    QString said = "Adapted: " + step.Reason;
    if (!Players->SetAdapting(one.Id, true, step.Next))
        said += "\nNot kept for the next run: " + Players->Failure();
    ApplyAdapted();
    Training->AddResultsLine(said);
}

void TGameCore::StartSession(const TSessionPlan& plan)
{
    if (!Game())
        throw Exception("The game did not start, so there is no session");
    EndSession();
    session_->Clear();
    pendingSession_ = plan;
    TellSession("The session begins once the songs are listed…");
    const std::optional<TPlayer>& one = chosenPlayers_[0];
    Library->Refresh(one ? one->Names : QStringList());
}

void TGameCore::EndSession()
{
    pendingSession_.reset();
    session_->Stop(GameClock().NowMilliseconds());
    if (sessionTest_) {
        sessionTest_ = false;
        GripTest->Stop();
    }
}

bool TGameCore::SessionGripTests() const
{
    return QSettings(PreferencesPath(), QSettings::IniFormat).value(kSessionGripTestsKey, false).toBool();
}

void TGameCore::SetSessionGripTests(bool on)
{
    QSettings preferences(PreferencesPath(), QSettings::IniFormat);
    preferences.setValue(kSessionGripTestsKey, on);
}

QStringList TGameCore::MarkedSongs() const
{
    const std::optional<TPlayer>& one = chosenPlayers_[0];
    return TSongMarks(PreferencesPath()).Marked(one ? one->Id : 0);
}

void TGameCore::SetSongMarked(const QString& path, bool on)
{
    const std::optional<TPlayer>& one = chosenPlayers_[0];
    if (!TSongMarks(PreferencesPath()).SetMarked(one ? one->Id : 0, path, on))
        throw Exception("The song's mark could not be kept in " + PreferencesPath().toStdString());
}

void TGameCore::BeginSessionTest()
{
    if (Training->Fitting().Ball(0).isEmpty()) {
        TellSession("No grip test in the session: player one plays on the keys.");
        SessionTestEnded(std::nullopt);
        return;
    }
    StartGripTest();
    sessionTest_ = GripTest->Running();
    if (!sessionTest_)
        SessionTestEnded(std::nullopt);
}

void TGameCore::SessionTestEnded(const std::optional<TTestFigures>& figures, bool startSong)
{
    sessionTest_ = false;
    const std::optional<QString> first = session_->TestEnded(GameClock().NowMilliseconds(), figures);
    // The last test's figures stand in the summary beside the first's.
    if (session_->State() == TSession::EState::Ended)
        gripTestOutcome_.clear();
    if (first && startSong && Game())
        Game()->Start();
}

void TGameCore::BeginSession()
{
    if (!pendingSession_ || Library->Listing())
        return;
    const TSessionPlan plan = *pendingSession_;
    pendingSession_.reset();
    QStringList paths;
    for (const TSongListing& song : Library->Songs())
        paths << song.Path;
    const std::optional<TPlayer>& one = chosenPlayers_[0];
    const QStringList order = SessionSongs(paths, MarkedSongs(), ReadRecordFiles(Training->Log().Path()).Records,
                                           one ? one->Names : QStringList());
    if (order.isEmpty()) {
        TellSession("No session: the song folders hold no song the game can play.");
        return;
    }
    // The song is chosen before the session begins, so the game it ends is not the session's.
    try {
        ChooseSong(order.front().toStdString());
    } catch (const std::exception& e) {
        TellSession(QString("No session: ") + e.what());
        return;
    }
    session_->Begin(plan, order, GameClock().NowMilliseconds(), Training->Now());
    sessionNote_.clear();
    if (session_->State() == TSession::EState::Testing)
        BeginSessionTest();
    else
        Game()->Start();
}

bool TGameCore::StartNextSessionSong()
{
    const std::optional<QString> next = session_->EndRest();
    if (next)
        PlaySessionSong(*next);
    return next.has_value();
}

void TGameCore::SessionTick()
{
    // Before the tick looks at the song: the next one is then in place as if chosen between ticks.
    if (const std::optional<QString> next = session_->Advance(GameClock().NowMilliseconds()))
        PlaySessionSong(*next);
}

void TGameCore::PlaySessionSong(const QString& path)
{
    TGripGame* game = Game();
    if (!session_->Running() || !game)
        return;
    try {
        ChooseSong(path.toStdString());
    } catch (const std::exception& e) {
        EndSession();
        TellSession(QString("The session ended early: ") + e.what());
        return;
    }
    game->Start();
}

void TGameCore::TellSession(const QString& text)
{
    sessionNote_ = text;
    sessionNoteUntil_ = GameClock().NowMilliseconds() + OutcomeMs;
}

QString TGameCore::SessionText() const
{
    const std::int64_t now = GameClock().NowMilliseconds();
    QStringList texts;
    if (now < sessionNoteUntil_ && !sessionNote_.isEmpty())
        texts << sessionNote_;
    if (const QString text = session_->Text(now); !text.isEmpty())
        texts << text;
    return texts.join('\n');
}
