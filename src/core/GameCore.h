#pragma once

#include "game/GameSettings.h"
#include "platform/Listeners.h"
#include "training/Players.h"
#include "training/Session.h"

#include <QDateTime>
#include <QObject>
#include <QString>

#include <cstdint>

#include <array>
#include <memory>
#include <optional>
#include <string>
#include <vector>

class QTimer;
class TDXDraw;
class TDXImageList;
class TDXSpriteEngine;
class TGameOutput;
class TGameTick;
class TGripBall;
class TGripGame;
class TGripTest;
class TJvHidDeviceController;
class TMidiData;
class TMidiPlayer;
class TSongLibrary;
class TTrackOutputs;
class TTraining;

// The game without its windows: the song and its outputs, the song player, the grip game, the
// HID controller with the grip ball's handlers, the training, the tick, the image stores and the
// sprite layers, all wired to one another. It is made once at start-up, after the main window
// whose drawing surface the stores and layers draw on, and lives until the program ends. The
// windows show it and steer it; whatever outlives one song hangs off it.
class TGameCore : public QObject {
public:
    // Makes the components with their designed settings, finds the grip ball (the controller's
    // first device change) and runs the start-up (FormCreate). A start-up that fails is shown
    // as every message is and ends at that step; the core keeps what was built.
    explicit TGameCore(TDXDraw* surface, const TGameSettings& settings = {});
    ~TGameCore() override;
    TGameCore(const TGameCore&) = delete;
    TGameCore& operator=(const TGameCore&) = delete;

    // The start-up, in this order: the song, the six picture files, the registries, the game
    // with its effects, connected to the grip ball, the training and the tick. A failure is
    // raised and ends it at that step.
    void FormCreate();
    void OpenSong();
    void LoadImages();

    // Puts a song of the player's choosing in place of the loaded one, ready for Start: the game
    // under way goes into the training record and the song playing stops. A song that cannot be
    // played raises its message, and the loaded one stays loaded and playable.
    void ChooseSong(const std::string& path);
    // The song last chosen; empty while the game plays the one it started with.
    const std::string& ChosenSongPath() const { return chosenPath_; }
    // The track that best shows the loaded song: its melody's, 0 for the song it started with.
    int ShownTrack() const { return shownTrack_; }
    // The level of the chosen song's beat map ("easy", "normal", "hard", or "map" for one read
    // from beside the song); empty for the shipped song.
    const std::string& ChosenLevel() const { return chosenLevel_; }

    // The player by name in each lane (0 for player one, 1 for player two); none while the
    // lane plays unnamed, as it does until one is chosen. The training record gets the name.
    const std::optional<TPlayer>& ChosenPlayer(int lane) const { return chosenPlayers_.at(size_t(lane)); }
    void ChoosePlayer(int lane, std::optional<TPlayer> player);
    // Chooses the player of that name, adding the name when it is new; raises why when neither
    // can be done.
    void ChoosePlayerNamed(int lane, const QString& name);
    // Gives the player a new name, and the lanes that have the player chosen show it.
    void RenamePlayer(int id, const QString& name);

    // "Adapt to me", kept with lane one's player: after each game the song ended, the next
    // game's level, speed and (for a calibrated ball) share of the peak move by one step as
    // TAdapting says, and the results say what moved and why. Raises why when no player is
    // chosen or the players' file cannot be written.
    bool Adapting() const;
    void SetAdapting(bool on);

    // The main window's options: the song's tempo follows at once, and so does the game.
    void ApplySettings(const TGameSettings& settings);
    const TGameSettings& Settings() const { return settings_; }

    // Judging at the moment of the grip (see TGripGame), remembered between runs; the game
    // takes it up at start-up.
    void SetPreciseTiming(bool on);
    bool PreciseTiming() const;

    // The grip test (see TGripTest) on player one's ball; without a ball it says so instead. The
    // song under way pauses, and while the test runs the ball's grips are its, not the game's.
    // A test that ends by itself goes into the training record; one stopped (StopGripTest, the
    // next Start, the ball going) writes nothing.
    void StartGripTest();
    void StopGripTest();
    bool GripTesting() const;
    // What the game surface says of it: the prompt while it runs, then its figures, or why it
    // could not run, for OutcomeMs of the game clock; empty otherwise.
    QString GripTestText() const;
    static constexpr std::int64_t OutcomeMs = 10000;

    // A training session over the library's songs, least played first by lane one's player:
    // the first starts once the library is listed, each next one after a rest, until the plan
    // is played. Without one the game plays as it always has.
    void StartSession(const TSessionPlan& plan);
    // Ends it now; the summary goes up.
    void EndSession();
    // Start pressed while the session rests: the next song begins now, rather than the last
    // one again only to be replaced when the rest runs out. False when no session rests.
    bool StartNextSessionSong();
    const TSession& Session() const { return *session_; }
    // A grip test before a session's first song and after its last, when player one has a
    // ball; remembered between runs.
    bool SessionGripTests() const;
    void SetSessionGripTests(bool on);
    // The songs lane one's player marked in the song list: a session plays those when any is
    // in the library.
    QStringList MarkedSongs() const;
    // Throws, saying why, when the mark could not be kept.
    void SetSongMarked(const QString& path, bool on);
    // What the game surface says of it: the rest's countdown, the summary until the next Start
    // outside a session, or why it could not begin; empty otherwise.
    QString SessionText() const;

    bool StartUpComplete() const { return complete_; }
    // The game the start-up built; none before, and none if the start-up ended before it.
    TGripGame* Game() const { return game_.get(); }

    // The components as designed. The core takes them apart in a safe order: the balls before
    // the controller, the player before the outputs it sends through, the layers before the
    // stores whose pictures they show, and all before the surface they were given.
    QTimer* Timer1;
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
    // The grip ball's handlers, bound to UsbHids.
    std::unique_ptr<TGripBall> GripBall;
    // Each game's results and record, and the balls fitted to the hands.
    std::unique_ptr<TTraining> Training;
    // Timer1's handler.
    std::unique_ptr<TGameTick> Tick;
    std::unique_ptr<TGripTest> GripTest;
    // The players the game knows by name.
    std::unique_ptr<TPlayers> Players;
    // The songs there are to choose from.
    std::unique_ptr<TSongLibrary> Library;

    // What the game shows beyond its drawing surface, for the windows that follow it: player
    // one's grip level on every tick, and the judging's line for every judgement.
    TListeners<void(int level)> OnGripLevel;
    TListeners<void(const QString& line)> OnMemoLine;
    // Another song was loaded; MidiData is the new one.
    TListeners<void()> OnSongChanged;
    // A lane's player was chosen or renamed.
    TListeners<void()> OnPlayersChanged;
    // The core moved the options itself (adapting did): the window shows Settings().
    TListeners<void()> OnSettingsChanged;

private:
    class TViewsOutput;

    // Game objects live on the layers: the game goes before them, and nothing refers to it any
    // more.
    void DestroyGame();
    // Every tick while the test runs: the ball's forces go to it, and its end is seen to. True
    // when the test had the grips.
    bool GripTestTick();
    void TellGripTest(const QString& text);
    // Lane one's adapted settings on the game: the speed and the share at once, the level of a
    // made map from the next Start once no game is under way. Without adapting, the share kept
    // with the calibrations.
    void ApplyAdapted();
    void AdaptAfterGame();
    void BeginSession();
    void SessionTick();
    void PlaySessionSong(const QString& path);
    // The session's own grip test, or on the keys the session goes on without it.
    void BeginSessionTest();
    // The session's test is over (figures none when it was stopped): the first song starts, or
    // the session ends. A song already started by the player is left to play.
    void SessionTestEnded(const std::optional<TTestFigures>& figures, bool startSong = true);
    void TellSession(const QString& text);

    TGameSettings settings_;
    std::unique_ptr<TViewsOutput> output_;
    std::unique_ptr<TGripGame> game_;
    // What the start-up connected to the game.
    std::vector<TSubscription> gameFollowing_;
    bool complete_ = false;
    std::string chosenPath_;
    std::array<std::optional<TPlayer>, 2> chosenPlayers_;
    int shownTrack_ = 0;
    std::string chosenLevel_;
    QDateTime gripTestStarted_;
    QString gripTestOutcome_;
    std::int64_t gripTestOutcomeUntil_ = 0;
    int chosenQuartersPerBeat_ = 1;
    std::unique_ptr<TSession> session_;
    std::optional<TSessionPlan> pendingSession_;
    bool sessionTest_ = false;
    TSubscription libraryFollowing_;
    QString sessionNote_;
    std::int64_t sessionNoteUntil_ = 0;
};

// The one core; none before it is made and none once it is gone.
extern TGameCore* GameCore;
