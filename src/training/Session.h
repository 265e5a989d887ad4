#pragma once

#include "training/GameRecord.h"

#include <QDateTime>
#include <QString>
#include <QStringList>

#include <cstdint>
#include <optional>

// How long a session lasts: minutes of play, or a number of songs.
struct TSessionPlan {
    int Minutes = 0;
    int Songs = 0;
    // A grip test before the first song and after the last, when the player wants them.
    bool GripTests = false;
};

// What a grip test came to, as the record's line of it holds.
struct TTestFigures {
    int Peak = 0, Pace = 0;
    double HoldSeconds = 0;
};

// The songs by path, least played first: fewest record lines of the named players (every
// player's when no name is given), ties by file name without regard to case.
QStringList LeastPlayedFirst(const QStringList& paths, const std::vector<TGameRecord>& records,
                             const QStringList& names);
// The songs a session plays: those the player marked, in the library's order, when any of them
// is in the library; else the least played first.
QStringList SessionSongs(const QStringList& paths, const QStringList& marked, const std::vector<TGameRecord>& records,
                         const QStringList& names);

// A training session: songs one after another with a rest between them, and what they came
// to. It knows nothing of the song player; it is told the game clock's time, and says which
// song comes next and when.
class TSession {
public:
    // Testing: a grip test before the first song or after the last one.
    enum class EState { Idle, Testing, Playing, Resting, Ended };
    static constexpr std::int64_t RestMs = 30000;

    // The first song to play, or none when there is none (the session does not begin). The
    // songs come round again when a timed session outlasts them. With grip tests the session
    // is Testing first, and the song waits for TestEnded.
    std::optional<QString> Begin(const TSessionPlan& plan, const QStringList& songs, std::int64_t nowMs,
                                 const QDateTime& started);
    // A song played to its end, with the record's lines of it: the rest begins, or the session
    // ends when its songs are played or its time is up (after the last grip test, if any).
    void SongEnded(std::int64_t nowMs, const std::vector<TGameRecord>& lines);
    // The song to play now that the rest is over; none otherwise.
    std::optional<QString> Advance(std::int64_t nowMs);
    // The rest cut short: the song to play now, or none when the session is not resting.
    std::optional<QString> EndRest();
    // The grip test is over: its figures, or none when it was stopped or could not run. After
    // the first test, the first song to play now; after the last, none, and the session ends.
    std::optional<QString> TestEnded(std::int64_t nowMs, const std::optional<TTestFigures>& figures);
    // The player ended it early.
    void Stop(std::int64_t nowMs);
    // Idle again: the summary is taken down.
    void Clear() { state_ = EState::Idle; }

    EState State() const { return state_; }
    bool Running() const { return state_ == EState::Testing || state_ == EState::Playing || state_ == EState::Resting; }
    // When it began, while it runs: the record's lines carry it.
    std::optional<QDateTime> Started() const;

    struct TSummary {
        int Songs = 0, Grips = 0, Balls = 0, BallsHit = 0;
        // Of song played, and from the beginning to the end of the session.
        double PlayedSeconds = 0, Seconds = 0;
        // The tests at the start and the end, those that were done.
        std::optional<TTestFigures> FirstTest, LastTest;
    };
    const TSummary& Summary() const { return summary_; }
    // The rest's countdown, what a test is for, or the summary once it ended; empty otherwise.
    QString Text(std::int64_t nowMs) const;

private:
    QString TestsText() const;

    TSessionPlan plan_;
    QStringList songs_;
    int next_ = 0;
    bool songsPlayed_ = false;
    EState state_ = EState::Idle;
    std::int64_t beganMs_ = 0, restUntilMs_ = 0;
    QDateTime started_;
    TSummary summary_;
};
