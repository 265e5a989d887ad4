#pragma once

// The whole program without a screen: the main window, the core and the debug form as the
// program builds them, on the data files of the build, with only the platform seams replaced: a
// simulated HID bus holding a grip ball, a recording MIDI device as device 0, a manual clock
// and a manual MIDI timer. Time moves only when the test says so; each millisecond of it runs
// what the program runs: the song's timer every 4 ms, the debug form's tick every 1 ms and
// the frame every 100 ms (or as often as the test says). The hit sound is counted instead of
// played.

#include "hid/simulated/HidSimulatedBus.h"
#include "midi/ManualMidiTimerService.h"
#include "midi/RecordingMidiDevice.h"
#include "platform/ManualClock.h"
#include "platform/Override.h"

#include <QStringList>
#include <QTemporaryDir>

#include <cstdint>
#include <functional>
#include <memory>
#include <string>

class TScreenForm;
class TDatas;
class TGameCore;
class TGripGame;
class TPrize;

class TGameHarness {
public:
    struct TOptions {
        // Plug the grip ball before start-up, as a player would.
        bool PlugBall = true;
        // Leave this data file out of the data directory (to see start-up fail on it).
        std::string MissingFile;
        // Or spoil this one: garbage in place of its contents, or only its first half.
        std::string CorruptFile;
        enum class TCorruption { Garbage, Truncated } Corruption = TCorruption::Garbage;
        // The MIDI device the song plays through refuses to open.
        bool MidiFailsToOpen = false;
    };

    TGameHarness() : TGameHarness(TOptions{}) {}
    explicit TGameHarness(const TOptions& options);
    ~TGameHarness();
    TGameHarness(const TGameHarness&) = delete;
    TGameHarness& operator=(const TGameHarness&) = delete;

    TScreenForm& Screen() { return *screen_; }
    TGameCore& Core() { return *core_; }
    TDatas& Debug() { return *datas_; }
    TGripGame* Game() const;
    THidSimulatedBus& Bus() { return *bus_; }
    // The plugged grip ball; null without one.
    const std::shared_ptr<THidSimulatedDevice>& Ball() const { return ball_; }
    TMidiRecording& Midi() { return *recording_; }
    // The folder the program reads its data files from.
    std::string DataDirectory() const { return dataDirectory_; }
    // What the program keeps for the user (the training record, calibrations) goes under this
    // folder of the harness's own: data/ and config/.
    QString UserFolder() const { return userDir_.path(); }
    // True when the game's picture files came from the build rather than being made up here.
    bool RealArt() const { return realArt_; }

    // The main window's controls, clicked as a player clicks them.
    void PressStart();
    void PressPause();
    void PressResume();
    void SetEasyMode(bool on);
    void SetOnlyBlue(bool on);
    void SetSmallShift(bool on);
    void SetTempo(int percent);

    // The ball reports once per tick with this force, until changed.
    void SetForce(std::uint8_t force) { force_ = force; }
    // Or the force is chosen afresh before every tick.
    void SetGrip(std::function<std::uint8_t()> grip) { grip_ = std::move(grip); }
    // Stop the ball's reports altogether: ticks then find nothing queued.
    void SilenceBall() { silent_ = true; }

    // Frames fall on the milliseconds whose distance from now is phase modulo the frame interval.
    void AlignFrames(int phase);
    // Milliseconds from one frame to the next; a busy machine draws late, and the balls must
    // still meet the judging window.
    void SetFrameInterval(int ms);
    int FrameInterval() const { return frameInterval_; }
    // One millisecond: the song's timer (every 4 ms), the tick, and the frame when one is due.
    void Step();
    void RunMs(int ms);
    // Runs until the song has stopped by itself or the limit has passed; true if it stopped.
    bool RunUntilSongEnds(int limitMs);
    // One of each driver, on its own.
    void Tick();
    void Frame();
    // Milliseconds run since start-up.
    std::int64_t Now() const { return now_; }
    int MsToNextFrame() const;

    bool Playing() const;
    // The song position the game last moved the lanes to; 0 without a game.
    std::int32_t LastSongPosition() const;
    std::int32_t Score() const;
    std::int32_t Hits() const;
    std::int32_t Combo() const;
    // The two digits of the percentage display, tens * 10 + ones.
    std::int32_t PercentShown() const;
    int Level() const;
    int HitSounds() const { return hitSounds_; }
    QStringList MemoLines() const;
    QStringList Messages() const;

private:
    void PrepareData(const TOptions& options);
    static void Corrupt(const std::string& path, TOptions::TCorruption corruption);

    QTemporaryDir dir_;
    QTemporaryDir userDir_;
    std::string dataDirectory_;
    bool realArt_ = false;
    TManualClock clock_;
    TManualMidiTimerService timers_;
    std::shared_ptr<TMidiRecording> recording_;
    std::shared_ptr<THidSimulatedBus> bus_;
    // Declared before the forms, so that the forms and the core are gone before the program's own data
    // folder, clock, timers, MIDI device and HID back end come back.
    TOverride dataDirectoryOverride_, clockOverride_, timersOverride_, midiOverride_, hidOverride_,
        userFoldersOverride_;
    std::shared_ptr<THidSimulatedDevice> ball_;
    std::unique_ptr<TScreenForm> screen_;
    std::unique_ptr<TGameCore> core_;
    std::unique_ptr<TDatas> datas_;
    std::function<std::uint8_t()> grip_;
    std::uint8_t force_ = 0;
    bool silent_ = false;
    int hitSounds_ = 0;
    std::int64_t now_ = 0;
    std::int64_t frameOrigin_ = 0;
    int frameInterval_ = 100;
};
