#include "training/Training.h"

#include "game/GripGame.h"
#include "game/Prizes.h"
#include "game/Scoring.h"
#include "game/StressValue.h"
#include "midi/MidiPlayer.h"
#include "platform/Clock.h"
#include "training/Results.h"

#include <QStringList>

TTraining::TTraining(TTrainingLog log, TCalibrationStore store) : log_(std::move(log)), fitting_(std::move(store)) {}

TTraining::~TTraining() { Detach(); }

void TTraining::Attach(TGripGame& game, TMidiPlayer* song)
{
    Detach();
    game_ = &game;
    player_ = song;
    following_.push_back(game.OnStarted.Subscribe([this] { Started(); }));
    following_.push_back(game.OnSongEnded.Subscribe([this] { End(true); }));
    TScoring* scorings[2] = {game.PlayerOne->Scoring, game.PlayerTwo->Scoring};
    TStressValue* grips[2] = {game.PlayerOneStress(), game.PlayerTwoStress()};
    for (int p = 0; p < 2; ++p) {
        following_.push_back(scorings[p]->OnJudged.Subscribe([this, p](const TPrize& ball, bool hit) {
            if (running_)
                players_[size_t(p)].Stats.Judged(&ball, ball.Ordinal, hit);
        }));
        following_.push_back(scorings[p]->OnTiming.Subscribe([this, p](double offsetMs) {
            if (running_)
                players_[size_t(p)].Stats.Timed(offsetMs);
        }));
        following_.push_back(grips[p]->OnForce.Subscribe(
            [this, p](std::uint8_t force, std::int32_t reading) { Force(p, force, reading); }));
    }
    fitting_.SetGrips(grips[0], grips[1]);
    lastPoll_ = GameClock().NowMilliseconds();
    wasPlaying_ = SongPlays();
}

void TTraining::Detach()
{
    if (!game_)
        return;
    End(false);
    following_.clear();
    fitting_.SetGrips(nullptr, nullptr);
    game_ = nullptr;
    player_ = nullptr;
}

void TTraining::SetSong(const QString& name, const QString& level)
{
    if (name == song_ && level == level_)
        return;
    End(false);
    song_ = name;
    level_ = level;
}

bool TTraining::SongPlays() const { return player_ && player_->Play(); }

int TTraining::PlayerOf(const TStressValue& grip) const
{
    if (!game_)
        return -1;
    if (&grip == game_->PlayerOneStress())
        return 0;
    return &grip == game_->PlayerTwoStress() ? 1 : -1;
}

void TTraining::BallChanged(const TStressValue& grip)
{
    const int player = PlayerOf(grip);
    if (player >= 0)
        fitting_.Fit(player);
}

void TTraining::Poll()
{
    if (!game_)
        return;
    const std::int64_t now = GameClock().NowMilliseconds();
    const bool playing = SongPlays();
    if (running_ && wasPlaying_)
        playedMs_ += now - lastPoll_;
    if (running_ && playing) {
        // Whoever plays while the song plays is in the game, with the input they play with.
        for (int p = 0; p < 2; ++p) {
            TPlayerGame& player = players_[size_t(p)];
            const QString& ball = fitting_.Ball(p);
            if (p == 1 && !(game_->PlayerTwoPlays() && !ball.isEmpty()))
                continue;
            player.Live = true;
            const QString input = ball.isEmpty() ? "keyboard" : ball;
            qsizetype i = player.Inputs.indexOf(input);
            if (i < 0) {
                i = player.Inputs.size();
                player.Inputs.append(input);
                player.CalibratedPeaks.emplace_back();
            }
            const TForceScale scale = fitting_.Scale(p);
            player.CalibratedPeaks[size_t(i)] = scale.Fitted() ? std::optional<int>(scale.Peak) : std::nullopt;
        }
    }
    lastPoll_ = now;
    wasPlaying_ = playing;
}

void TTraining::Started()
{
    End(false);
    fitting_.Cancel();
    running_ = true;
    started_ = Now();
    settings_ = game_->Settings();
    players_ = {};
    playedMs_ = 0;
    lastPoll_ = GameClock().NowMilliseconds();
    wasPlaying_ = SongPlays();
    DismissResults();
}

void TTraining::DismissResults()
{
    results_.clear();
    songEnded_.clear();
    figures_.clear();
    resultsNote_.clear();
}

void TTraining::AddResultsLine(const QString& line)
{
    if (results_.isEmpty())
        return;
    results_ += '\n' + line;
    resultsNote_ += (resultsNote_.isEmpty() ? QString() : QString('\n')) + line;
}

void TTraining::Force(int player, std::uint8_t force, std::int32_t reading)
{
    fitting_.Feed(player, force);
    if (running_ && SongPlays())
        players_[size_t(player)].Stats.Force(force, reading);
}

void TTraining::Calibrate(int player)
{
    if (game_ && SongPlays())
        game_->Pause();
    DismissResults();
    fitting_.Calibrate(player);
}

void TTraining::ResetCalibration(int player) { fitting_.Reset(player); }

std::optional<TGameRecord> TTraining::Previous(const TRecordFile& file, const TGameRecord& game,
                                               const QStringList& names) const
{
    // A player by name is compared with their own games, under any name they had and in
    // either lane.
    if (!names.isEmpty()) {
        // Under whichever name came last: a player may take an old name back.
        std::optional<TGameRecord> latest;
        for (const QString& name : names) {
            const auto it = lastNamedGames_.find({game.Song, name});
            if (it != lastNamedGames_.end() && (!latest || it->second.Started >= latest->Started))
                latest = it->second;
        }
        if (latest)
            return latest;
        for (auto r = file.Records.rbegin(); r != file.Records.rend(); ++r)
            if (r->Song == game.Song && names.contains(r->Name))
                return *r;
        return std::nullopt;
    }
    const auto it = lastGames_.find({game.Song, game.Player});
    if (it != lastGames_.end())
        return it->second;
    for (auto r = file.Records.rbegin(); r != file.Records.rend(); ++r)
        if (r->Song == game.Song && r->Player == game.Player && r->Name.isEmpty())
            return *r;
    return std::nullopt;
}

void TTraining::End(bool bySongEnd)
{
    if (!running_)
        return;
    // The time since the last tick counts too.
    const std::int64_t now = GameClock().NowMilliseconds();
    if (wasPlaying_)
        playedMs_ += now - lastPoll_;
    lastPoll_ = now;
    running_ = false;
    if (playedMs_ < 1000)
        return;
    std::vector<TGameRecord> records;
    std::vector<QStringList> names;
    for (int p = 0; p < 2; ++p) {
        const TPlayerGame& player = players_[size_t(p)];
        if (!player.Live)
            continue;
        const TGameStats& s = player.Stats;
        TGameRecord r;
        r.Started = started_;
        r.Song = song_;
        r.Player = p + 1;
        r.Input = player.Inputs.join('+');
        r.Seconds = playedMs_ / 1000.0;
        r.MelodySpeed = settings_.MelodySpeed;
        r.EasyMode = settings_.EasyMode;
        r.OnlyBlue = settings_.OnlyBlue;
        r.SmallShift = settings_.SmallShift;
        r.Balls = s.Balls();
        r.BallsHit = s.BallsHit();
        r.Hits = s.Hits();
        r.Percent = s.Percent();
        r.LongestCombo = s.LongestCombo();
        r.Score = s.Score();
        r.Grips = s.Grips();
        r.PeakForce = s.PeakForce();
        r.MeanGripForce = s.MeanGripForce();
        r.CalibratedPeaks = player.CalibratedPeaks;
        names.push_back(PlayerNames ? PlayerNames(p) : QStringList());
        r.Name = names.back().isEmpty() ? QString() : names.back().back();
        r.Level = level_;
        r.Session = SessionStarted ? SessionStarted() : std::nullopt;
        r.TimingMeanMs = s.TimingMeanMs();
        r.TimingSpreadMs = s.TimingSpreadMs();
        records.push_back(r);
    }
    if (bySongEnd) {
        const TRecordFile file = ReadRecordFiles(log_.Path());
        QStringList texts{"Results of " + song_};
        figures_.clear();
        for (size_t i = 0; i < records.size(); ++i) {
            const std::optional<TGameRecord> previous = Previous(file, records[i], names[i]);
            texts << ResultsText(records[i], previous);
            figures_.push_back(ResultsFigures(records[i], previous, RecentHitRates(file.Records, records[i], names[i])));
        }
        results_ = texts.join('\n');
        songEnded_ = records;
    }
    for (const TGameRecord& r : records) {
        if (r.Name.isEmpty())
            lastGames_[{r.Song, r.Player}] = r;
        else
            lastNamedGames_[{r.Song, r.Name}] = r;
    }
    log_.Append(records);
}
