#include "game/GripGame.h"

#include "game/GameOutput.h"
#include "midi/MidiPlayer.h"
#include "shell/Globals.h"

void TRocker::Run()
{
    TSynergy::Run();
    if (player_)
        player_->SetPlay(true);
}

void TRocker::Halt()
{
    TSynergy::Halt();
    if (player_)
        player_->SetPlay(false);
}

// The figure sets draw from the game random generator: player one's screen must come first.
TGripGame::TGripGame(TMidiPlayer* player, const TGameSettings& settings, TGameOutput* output)
    : settings_(settings), output_(output)
{
    PlayerOne = new TPlayerOneScreen(settings_);
    PlayerTwo = new TPlayerTwoScreen(settings_);
    Rocker = new TRocker(player);
    Metronome = new TMetronome();
    PlayerOneStress()->Easy = settings_.EasyMode;
}

TGripGame::~TGripGame()
{
    delete Metronome;
    delete Rocker;
    delete PlayerTwo;
    delete PlayerOne;
}

void TGripGame::SetSettings(const TGameSettings& settings)
{
    settings_ = settings;
    // Player two's flag is not the window's to set.
    PlayerOneStress()->Easy = settings_.EasyMode;
}

TStressValueOne* TGripGame::PlayerOneStress() const
{
    return static_cast<TStressValueOne*>(PlayerOne->LevelHolder->StressValue);
}

TStressValueTwo* TGripGame::PlayerTwoStress() const
{
    return static_cast<TStressValueTwo*>(PlayerTwo->LevelHolder->StressValue);
}

void TGripGame::Start()
{
    PlayerOne->StartFigures();
    PlayerTwo->StartFigures();
    Metronome->LoadBeatMap("Fine.txt");
    PlayerOne->Lane->LayOut(Metronome->Marks());
    PlayerTwo->Lane->LayOut(Metronome->Marks());
    Rocker->Run();
}

void TGripGame::Pause()
{
    PlayerOne->StopFigures();
    PlayerTwo->StopFigures();
    Rocker->Halt();
}

void TGripGame::Resume() { Rocker->Run(); }

void TGripGame::PollGrip()
{
    TStressValueOne* stress = PlayerOneStress();
    stress->ReadDevice();
    const int level = stress->Level;
    PlayerOne->LevelHolder->ShowLevel(level);
    PlayerOne->Lane->BackPipe->Visible = level >= 1;
    if (output_)
        output_->ShowGripLevel(level);
}

void TGripGame::SyncPosition(std::int32_t bar, std::int32_t beat, std::int32_t tick)
{
    const std::int32_t position = SongPosition(bar, beat, tick);
    if (position == LastSongPosition)
        return;
    const std::int32_t delta = position - LastSongPosition;
    PlayerOne->Lane->Advance(delta);
    PlayerTwo->Lane->Advance(delta);
    LastSongPosition = position;
}
