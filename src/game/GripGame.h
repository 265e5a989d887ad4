#pragma once

#include "game/Extrinsic.h"
#include "game/GameSettings.h"
#include "game/KeyGrip.h"
#include "game/MomentJudge.h"
#include "game/PlayerScreen.h"
#include "game/Metronome.h"
#include "midi/SongPosition.h"
#include "platform/Listeners.h"

#include <array>
#include <cstdint>
#include <optional>
#include <string>
#include <vector>

class TExplode;
class TGameOutput;
class TMidiPlayer;
class TOk;

// The play driver: running plays the song, halting stops it where it is.
class TRocker : public TSynergy {
public:
    explicit TRocker(TMidiPlayer* player) : player_(player) {}
    void Run() override;
    void Halt() override;

    TMidiPlayer* Player() const { return player_; }

private:
    TMidiPlayer* player_;
};

// The grip game: both player screens, the beat map and the play driver. It turns Start, Pause
// and Resume into actions on screens, lanes and song, reads player one's grip on every tick
// and moves both lanes with the song. With one ball only player one plays: both lanes are
// judged against player one's grip and credit player one's scoring. Player one without a ball
// grips with the keys; player two with a ball of its own plays its own lane.
class TGripGame : public TBaseObject {
public:
    // Without a song player Start lays the lanes out and plays nothing; without an output the
    // grip level and the judging's lines are shown nowhere.
    explicit TGripGame(TMidiPlayer* player = nullptr, const TGameSettings& settings = {},
                       TGameOutput* output = nullptr);
    ~TGripGame() override;

    // The window's options changed: the lanes read the new ones from their next layout or
    // advance on, and player one's easy flag follows Easy Mode at once.
    void SetSettings(const TGameSettings& settings);
    const TGameSettings& Settings() const { return settings_; }

    // Off, the colour balls are judged on the frames; on, as each reading of the grip comes,
    // each ball once, and every hit tells its scoring how early or late it was. Chain balls
    // and stools stay with the frames either way.
    void SetPreciseTiming(bool on);
    bool PreciseTiming() const { return precise_; }

    // The explosion and the OK shown on a hit, on layer Seven above everything made before
    // them; the game owns them from then on.
    void CreateEffects();
    TExplode* Explode() const { return explode_; }
    TOk* Ok() const { return ok_; }

    // Figures, beat map, both lanes laid out anew, and the song played on; after its end it
    // plays again from its beginning.
    void Start();
    // Another song takes the place of the one playing, which stops as on Pause: the lanes are
    // emptied, the title plate shows title, and from now on Start lays the balls out from a
    // beat map of its own, read from beatMap (the text of a beat-map file) into a fresh bit set,
    // so that nothing of the last song's marks remains. The song player itself is the caller's
    // to load and rewind.
    void ChangeSong(const std::string& beatMap, const std::string& title);
    // Another beat map for the same song, laid out from the next Start; the lanes as they are
    // stay until then.
    void ChangeBeatMap(const std::string& beatMap) { songBeatMap_ = beatMap; }
    // Told when a Start has laid the lanes out and set the song going: whatever was played
    // before has ended there. A Start that fails on the way tells nothing.
    TListeners<void()> OnStarted;
    // Told once when the song that Start or Resume set going has played to its end.
    TListeners<void()> OnSongEnded;
    // Looks whether the song has played to its end since it was set going; the tick asks
    // after everything else it does.
    void CheckSongEnd();
    void Pause();
    void Resume();
    // Player one's grip from its ball, or from the keys while it has none; then player two's,
    // when it has a ball: its lane is then judged against its own grip and credits its own
    // results, and goes back to player one's when the ball goes.
    void PollGrip();
    // A player's ball was unplugged: mid-song the game pauses, as Pause does, until Start or
    // Resume.
    void BallLost(int player);
    // The player (0 or 1) whose lost ball paused the game; -1 when it is not paused for one.
    int PausedForBall() const { return pausedForBall_; }
    bool PlayerTwoPlays() const { return playerTwoPlays_; }
    TKeyGrip& Keys() { return keys_; }
    void SyncPosition(std::int32_t bar, std::int32_t beat, std::int32_t tick);

    // Player two's hit effects, at its own lane; none until player two first plays.
    TExplode* PlayerTwoExplode() const { return explodeTwo_; }
    TOk* PlayerTwoOk() const { return okTwo_; }

    TCombo* PlayerOneCombo() const { return PlayerOne->Combo; }
    TMarker* PlayerOneMarker() const { return PlayerOne->Marker; }
    TPercentag* PlayerOnePercentage() const { return PlayerOne->Percentage; }
    TStressValueOne* PlayerOneStress() const;
    TStressValueTwo* PlayerTwoStress() const;

    // The song position the lanes were last moved to.
    std::int32_t LastSongPosition() const { return lastSongPosition_; }

    static std::int32_t SongPosition(std::int32_t bar, std::int32_t beat, std::int32_t tick)
    {
        return static_cast<std::int32_t>(SongPositionAt(bar, beat, tick));
    }

    TMetronome* Metronome = nullptr;
    TPlayerOneScreen* PlayerOne = nullptr;
    TPlayerTwoScreen* PlayerTwo = nullptr;
    TRocker* Rocker = nullptr;

private:
    void SetPlayerTwoPlays(bool plays);
    void PollPlayerTwo();
    // A reading of player p's grip, judged at once by the lanes that judge against it.
    void GripMoved(int p);
    const TGripCourse& CourseFor(const TStressValue* grip) const;
    std::optional<double> BallPace() const;
    void ResetMoments();

    // The lanes hold a reference to the settings, which live as long as the game.
    TGameSettings settings_;
    TGameOutput* output_;
    TExplode* explode_ = nullptr;
    TOk* ok_ = nullptr;
    TExplode* explodeTwo_ = nullptr;
    TOk* okTwo_ = nullptr;
    std::int32_t lastSongPosition_ = 0;
    TKeyGrip keys_;
    bool playerTwoPlays_ = false;
    int pausedForBall_ = -1;
    // The song was set going and its end has not been told yet.
    bool songGoing_ = false;
    // The chosen song's beat map; none while the game plays the song it started with, whose
    // map is "Fine.txt" in the data folder.
    std::optional<std::string> songBeatMap_;

    bool precise_ = false;
    std::array<TGripCourse, 2> courses_;
    TSongPace pace_;
    std::array<std::optional<TMomentJudge>, 2> judges_;
    std::vector<TSubscription> gripFollowing_;
};
