#include "game/GripGame.h"

#include "game/GameOutput.h"
#include "game/Precise.h"
#include "midi/MidiPlayer.h"
#include "platform/Clock.h"

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
    // Player two's lane is judged against player one's grip and credits player one.
    PlayerOne->Lane->RuleMark->SetJudging(PlayerOne->Scoring, PlayerOneStress());
    PlayerTwo->Lane->RuleMark->SetJudging(PlayerOne->Scoring, PlayerOneStress());
    PlayerOne->Scoring->SetOutput(output_);
    PlayerTwo->Scoring->SetOutput(output_);
    judges_[0].emplace(*PlayerOne->Lane);
    judges_[1].emplace(*PlayerTwo->Lane);
    TStressValue* grips[2] = {PlayerOneStress(), PlayerTwoStress()};
    for (int p = 0; p < 2; ++p)
        gripFollowing_.push_back(grips[p]->OnLevel.Subscribe([this, p](std::int32_t) { GripMoved(p); }));
}

TGripGame::~TGripGame()
{
    delete okTwo_;
    delete explodeTwo_;
    delete ok_;
    delete explode_;
    delete Metronome;
    delete Rocker;
    delete PlayerTwo;
    delete PlayerOne;
}

void TGripGame::SetSettings(const TGameSettings& settings)
{
    settings_ = settings;
    // Player two's flag is not the window's to set, unless player two plays.
    PlayerOneStress()->Easy = settings_.EasyMode;
    if (playerTwoPlays_)
        PlayerTwoStress()->Easy = settings_.EasyMode;
}

void TGripGame::SetPreciseTiming(bool on)
{
    if (on == precise_)
        return;
    precise_ = on;
    PlayerOne->Lane->RuleMark->LeaveColours = on;
    PlayerTwo->Lane->RuleMark->LeaveColours = on;
    ResetMoments();
}

void TGripGame::ResetMoments()
{
    for (auto& judge : judges_)
        judge->Reset();
}

const TGripCourse& TGripGame::CourseFor(const TStressValue* grip) const
{
    return grip == PlayerTwoStress() ? courses_[1] : courses_[0];
}

std::optional<double> TGripGame::BallPace() const
{
    const std::optional<double> pace = pace_.PositionsPerMs();
    if (!pace)
        return std::nullopt;
    return settings_.SmallShift ? *pace * 0.5 : *pace;
}

void TGripGame::GripMoved(int p)
{
    const TStressValue* grip = p == 0 ? static_cast<const TStressValue*>(PlayerOneStress()) : PlayerTwoStress();
    const std::int64_t now = GameClock().NowMicroseconds();
    courses_[size_t(p)].Take(grip->Level, now);
    if (!precise_)
        return;
    const TPipeLine* lanes[2] = {PlayerOne->Lane, PlayerTwo->Lane};
    for (int l = 0; l < 2; ++l)
        if (lanes[l]->RuleMark->Grip() == grip)
            judges_[size_t(l)]->Meet(courses_[size_t(p)], now, BallPace());
}

void TGripGame::CreateEffects()
{
    // Each one is shown on hits from the moment it exists, however far this gets.
    if (!explode_)
        explode_ = new TExplode(LayerEngine(SlotLayerSeven));
    PlayerOne->Scoring->SetEffects(explode_, ok_);
    if (!ok_)
        ok_ = new TOk(LayerEngine(SlotLayerSeven));
    PlayerOne->Scoring->SetEffects(explode_, ok_);
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
    pausedForBall_ = -1;
    PlayerOne->StartFigures();
    PlayerTwo->StartFigures();
    if (songBeatMap_)
        Metronome->LoadBeatMapText(*songBeatMap_);
    else
        Metronome->LoadBeatMap("Fine.txt");
    PlayerOne->Lane->LayOut(Metronome->Marks(), Metronome->Kinds());
    PlayerTwo->Lane->LayOut(Metronome->Marks(), Metronome->Kinds());
    ResetMoments();
    // A song that has played to its end starts again from its beginning, and the new balls
    // with it; a song stopped anywhere before its end goes on from there.
    TMidiPlayer* player = Rocker->Player();
    if (player && !player->Play() && player->AtEnd()) {
        player->Rewind();
        lastSongPosition_ = 0;
        pace_.Break();
    }
    Rocker->Run();
    songGoing_ = true;
    OnStarted();
}

void TGripGame::ChangeSong(const std::string& beatMap, const std::string& title)
{
    Pause();
    delete Metronome;
    Metronome = new TMetronome();
    const TBits none;
    PlayerOne->Lane->LayOut(none);
    PlayerTwo->Lane->LayOut(none);
    ResetMoments();
    pace_.Forget();
    for (TGripCourse& course : courses_)
        course.Clear();
    lastSongPosition_ = 0;
    songBeatMap_ = beatMap;
    PlayerOne->SongName->ShowTitle(title);
}

void TGripGame::Pause()
{
    PlayerOne->StopFigures();
    PlayerTwo->StopFigures();
    Rocker->Halt();
    pace_.Break();
}

void TGripGame::Resume()
{
    pausedForBall_ = -1;
    Rocker->Run();
    songGoing_ = true;
}

void TGripGame::CheckSongEnd()
{
    TMidiPlayer* player = Rocker->Player();
    if (!songGoing_ || !player || player->Play() || !player->AtEnd())
        return;
    songGoing_ = false;
    OnSongEnded();
}

void TGripGame::BallLost(int player)
{
    TMidiPlayer* song = Rocker->Player();
    if (!song || !song->Play())
        return;
    Pause();
    pausedForBall_ = player;
}

void TGripGame::PollGrip()
{
    TStressValueOne* stress = PlayerOneStress();
    // The keys report nothing until one is pressed, and nothing while the ball is there.
    if (stress->Device)
        stress->ReadDevice();
    else
        keys_.Feed(*stress);
    const int level = stress->Level;
    PlayerOne->LevelHolder->ShowLevel(level);
    PlayerOne->Lane->BackPipe->Visible = level >= 1;
    if (output_)
        output_->ShowGripLevel(level);
    PollPlayerTwo();
}

void TGripGame::PollPlayerTwo()
{
    TStressValueTwo* stress = PlayerTwoStress();
    if ((stress->Device != nullptr) != playerTwoPlays_)
        SetPlayerTwoPlays(stress->Device != nullptr);
    if (!playerTwoPlays_)
        return;
    stress->ReadDevice();
    PlayerTwo->LevelHolder->ShowLevel(stress->Level);
    PlayerTwo->Lane->BackPipe->Visible = stress->Level >= 1;
}

void TGripGame::SetPlayerTwoPlays(bool plays)
{
    playerTwoPlays_ = plays;
    TStressValueTwo* stress = PlayerTwoStress();
    if (plays) {
        if (!explodeTwo_) {
            // A pair of its own, so that both players' hits in one frame both show.
            explodeTwo_ = new TExplode(LayerEngine(SlotLayerSeven));
            explodeTwo_->SetPosition(270, 283);
            okTwo_ = new TOk(LayerEngine(SlotLayerSeven));
            okTwo_->SetPosition(277, 303);
            PlayerTwo->Scoring->SetEffects(explodeTwo_, okTwo_);
        }
        stress->Easy = settings_.EasyMode;
        PlayerTwo->Lane->RuleMark->SetJudging(PlayerTwo->Scoring, stress);
    } else {
        stress->Easy = false;
        stress->ShowAsCreated();
        PlayerTwo->LevelHolder->ShowAsCreated();
        PlayerTwo->Lane->BackPipe->Visible = false;
        PlayerTwo->Lane->RuleMark->SetJudging(PlayerOne->Scoring, PlayerOneStress());
    }
    PlayerTwo->ShowOwnResults(plays);
}

void TGripGame::SyncPosition(std::int32_t bar, std::int32_t beat, std::int32_t tick)
{
    const std::int32_t position = SongPosition(bar, beat, tick);
    if (position == lastSongPosition_)
        return;
    const std::int32_t delta = position - lastSongPosition_;
    PlayerOne->Lane->Advance(delta);
    PlayerTwo->Lane->Advance(delta);
    lastSongPosition_ = position;
    const std::int64_t now = GameClock().NowMicroseconds();
    pace_.Sample(position, now);
    if (!precise_)
        return;
    const TPipeLine* lanes[2] = {PlayerOne->Lane, PlayerTwo->Lane};
    for (int l = 0; l < 2; ++l)
        judges_[size_t(l)]->Moved(CourseFor(lanes[l]->RuleMark->Grip()), now, BallPace());
}
