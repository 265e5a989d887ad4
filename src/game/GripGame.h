#pragma once

#include "game/Extrinsic.h"
#include "game/PlayerScreen.h"
#include "game/Synergy.h"

#include <cstdint>

class TMidiPlayer;

// The play driver: running plays the song, halting stops it where it is.
class TRocker : public TSynergy {
public:
    explicit TRocker(TMidiPlayer* player) : player_(player) {}
    void Run() override;
    void Halt() override;

    TMidiPlayer* Player() const { return player_; }
    void SetPlayer(TMidiPlayer* player) { player_ = player; }

private:
    TMidiPlayer* player_;
};

// The grip game: both player screens, the beat map and the play driver. It turns Start, Pause
// and Resume into actions on screens, lanes and song, reads player one's grip on every tick
// and moves both lanes with the song.
class TGripGame : public TBaseObject {
public:
    // The song player may be given later (SetMidiPlayer); without one Start lays the lanes
    // out and plays nothing.
    explicit TGripGame(TMidiPlayer* player = nullptr);
    ~TGripGame() override;

    void Start();
    void Pause();
    void Resume();
    void PollGrip();
    void SyncPosition(std::int32_t bar, std::int32_t beat, std::int32_t tick);

    TCombo* PlayerOneCombo() const { return PlayerOne->Combo; }
    TMarker* PlayerOneMarker() const { return PlayerOne->Marker; }
    TPercentag* PlayerOnePercentage() const { return PlayerOne->Percentage; }
    TStressValueOne* PlayerOneStress() const;
    TStressValueTwo* PlayerTwoStress() const;

    void SetMidiPlayer(TMidiPlayer* player) { Rocker->SetPlayer(player); }

    // Song position: four beats to the bar and 100 ticks to the beat, whatever the song says.
    static std::int32_t SongPosition(std::int32_t bar, std::int32_t beat, std::int32_t tick)
    {
        return (bar * 4 + beat) * 100 + tick;
    }

    TMetronome* Metronome = nullptr;
    TPlayerOneScreen* PlayerOne = nullptr;
    TPlayerTwoScreen* PlayerTwo = nullptr;
    TRocker* Rocker = nullptr;
};
