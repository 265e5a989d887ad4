#pragma once

#include "game/GameSettings.h"
#include "platform/Listeners.h"
#include "training/GameStats.h"
#include "training/GripFitting.h"
#include "training/ResultsFigures.h"
#include "training/TrainingLog.h"

#include <QDateTime>
#include <QString>
#include <QStringList>

#include <array>
#include <cstdint>
#include <functional>
#include <map>
#include <optional>
#include <utility>
#include <vector>

class TGripGame;
class TMidiPlayer;
class TStressValue;

// Training on top of the game: each game (from a Start until the song's end, the next Start,
// another song or the end of the program) is counted for every player who played in it; one
// that played at least a second goes into the training record, one line per player, and when
// the song ended it the results are shown until the next Start. Each player's ball is fitted
// to the hand it was calibrated for.
class TTraining {
public:
    TTraining(TTrainingLog log = TTrainingLog(), TCalibrationStore store = TCalibrationStore());
    ~TTraining();
    TTraining(const TTraining&) = delete;
    TTraining& operator=(const TTraining&) = delete;

    // Follows the game and its song player from now on; Detach ends the game under way, as
    // the program's end does, and lets go.
    void Attach(TGripGame& game, TMidiPlayer* song);
    void Detach();

    // The name the record gives the song, and its level ("map" for a beat map of the song's
    // own, empty for one the game made); a change ends the game under way.
    void SetSong(const QString& name, const QString& level = {});
    const QString& Song() const { return song_; }

    // Every name of the player in each lane (0 or 1) when a game is recorded, the one in use
    // last; none while the lane plays unnamed. The results compare with that player's games.
    std::function<QStringList(int lane)> PlayerNames;

    // Every tick: the time played, and who plays with which input.
    void Poll();
    // A player's grip got or lost a ball.
    void BallChanged(const TStressValue& grip);

    // The results of the game the song ended, until the next Start; empty otherwise.
    const QString& Results() const { return results_; }
    // A line more for those results, while they are shown.
    void AddResultsLine(const QString& line);
    // Those added lines alone: the panel draws the figures, these go up beside it.
    const QString& ResultsNote() const { return resultsNote_; }
    // The record's lines of the game the song ended last, until the next Start.
    const std::vector<TGameRecord>& SongEndedGame() const { return songEnded_; }
    // The same results, a player's figures each, in the order of the lanes; empty with them.
    const std::vector<TResultsFigures>& ResultFigures() const { return figures_; }
    // Takes the results down before the next Start (the song list opening over them).
    void DismissResults();
    bool Playing() const { return running_; }

    // Measuring a player's hand (0 or 1): the song pauses while it runs.
    void Calibrate(int player);
    void ResetCalibration(int player);
    void CancelCalibration() { fitting_.Cancel(); }
    const TGripFitting& Fitting() const { return fitting_; }
    void SetShare(int player, std::optional<int> share) { fitting_.SetShare(player, share); }

    TTrainingLog& Log() { return log_; }
    // When a game starts, as the record writes it.
    std::function<QDateTime()> Now = [] { return QDateTime::currentDateTime(); };
    // When the session under way began, for the record's lines; none outside one.
    std::function<std::optional<QDateTime>()> SessionStarted;

private:
    struct TPlayerGame {
        TGameStats Stats;
        bool Live = false;
        // Each input that played, in the order they came, with the peak it was last fitted to.
        QStringList Inputs;
        std::vector<std::optional<int>> CalibratedPeaks;
    };

    void Started();
    void End(bool bySongEnd);
    void Force(int player, std::uint8_t force, std::int32_t reading);
    int PlayerOf(const TStressValue& grip) const;
    bool SongPlays() const;
    std::optional<TGameRecord> Previous(const TRecordFile& file, const TGameRecord& game, const QStringList& names) const;

    TTrainingLog log_;
    TGripFitting fitting_;
    TGripGame* game_ = nullptr;
    TMidiPlayer* player_ = nullptr;
    // What the training hears of the game while it follows it.
    std::vector<TSubscription> following_;
    QString song_;
    QString level_;

    bool running_ = false;
    QDateTime started_;
    TGameSettings settings_;
    std::array<TPlayerGame, 2> players_;
    std::int64_t playedMs_ = 0;
    std::int64_t lastPoll_ = 0;
    bool wasPlaying_ = false;
    QString results_;
    std::vector<TGameRecord> songEnded_;
    std::vector<TResultsFigures> figures_;
    QString resultsNote_;
    // The last game of each song and player this run, in case the record could not keep it.
    std::map<std::pair<QString, int>, TGameRecord> lastGames_;
    std::map<std::pair<QString, QString>, TGameRecord> lastNamedGames_;
};
