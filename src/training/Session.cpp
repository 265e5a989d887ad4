#include "training/Session.h"

#include "training/HitRates.h"

#include <QFileInfo>
#include <QHash>

#include <algorithm>
#include <cmath>
#include <limits>

QStringList LeastPlayedFirst(const QStringList& paths, const std::vector<TGameRecord>& records,
                             const QStringList& names)
{
    QHash<QString, int> lines;
    for (const TGameRecord& r : records)
        if (PlayedBy(r, names))
            ++lines[r.Song];
    struct TSong {
        QString Path, Name;
        int Lines;
    };
    std::vector<TSong> songs;
    for (const QString& path : paths) {
        const QString name = QFileInfo(path).fileName();
        songs.push_back({path, name, lines.value(name)});
    }
    std::stable_sort(songs.begin(), songs.end(), [](const TSong& a, const TSong& b) {
        if (a.Lines != b.Lines)
            return a.Lines < b.Lines;
        return a.Name.compare(b.Name, Qt::CaseInsensitive) < 0;
    });
    QStringList ordered;
    for (const TSong& s : songs)
        ordered << s.Path;
    return ordered;
}

QStringList SessionSongs(const QStringList& paths, const QStringList& marked, const std::vector<TGameRecord>& records,
                         const QStringList& names)
{
    QStringList chosen;
    for (const QString& path : paths)
        if (marked.contains(path))
            chosen << path;
    return chosen.isEmpty() ? LeastPlayedFirst(paths, records, names) : chosen;
}

std::optional<QString> TSession::Begin(const TSessionPlan& plan, const QStringList& songs, std::int64_t nowMs,
                                       const QDateTime& started)
{
    state_ = EState::Idle;
    if (songs.isEmpty() || (plan.Minutes <= 0 && plan.Songs <= 0))
        return std::nullopt;
    plan_ = plan;
    songs_ = songs;
    next_ = 1;
    beganMs_ = nowMs;
    started_ = started;
    summary_ = {};
    songsPlayed_ = false;
    state_ = plan.GripTests ? EState::Testing : EState::Playing;
    return songs_.front();
}

void TSession::SongEnded(std::int64_t nowMs, const std::vector<TGameRecord>& lines)
{
    if (state_ != EState::Playing)
        return;
    ++summary_.Songs;
    // Both lanes may have played; the figures are player one's, as the results lead with.
    const auto one = std::find_if(lines.begin(), lines.end(), [](const TGameRecord& r) { return r.Player == 1; });
    if (one != lines.end()) {
        summary_.Grips += one->Grips;
        summary_.Balls += one->Balls;
        summary_.BallsHit += one->BallsHit;
        summary_.PlayedSeconds += one->Seconds;
    }
    const bool songsDone = plan_.Songs > 0 && (summary_.Songs >= plan_.Songs || summary_.Songs >= int(songs_.size()));
    const bool timeUp = plan_.Minutes > 0 && nowMs - beganMs_ >= std::int64_t(plan_.Minutes) * 60000;
    if (songsDone || timeUp) {
        songsPlayed_ = true;
        if (plan_.GripTests)
            state_ = EState::Testing;
        else
            Stop(nowMs);
        return;
    }
    state_ = EState::Resting;
    restUntilMs_ = nowMs + RestMs;
}

std::optional<QString> TSession::Advance(std::int64_t nowMs)
{
    if (state_ != EState::Resting || nowMs < restUntilMs_)
        return std::nullopt;
    state_ = EState::Playing;
    return songs_.at(next_++ % songs_.size());
}

std::optional<QString> TSession::EndRest()
{
    if (state_ != EState::Resting)
        return std::nullopt;
    restUntilMs_ = std::numeric_limits<std::int64_t>::min();
    return Advance(restUntilMs_);
}

std::optional<QString> TSession::TestEnded(std::int64_t nowMs, const std::optional<TTestFigures>& figures)
{
    if (state_ != EState::Testing)
        return std::nullopt;
    if (songsPlayed_) {
        summary_.LastTest = figures;
        Stop(nowMs);
        return std::nullopt;
    }
    summary_.FirstTest = figures;
    state_ = EState::Playing;
    return songs_.front();
}

void TSession::Stop(std::int64_t nowMs)
{
    if (!Running())
        return;
    summary_.Seconds = double(nowMs - beganMs_) / 1000;
    state_ = EState::Ended;
}

std::optional<QDateTime> TSession::Started() const
{
    return Running() ? std::optional<QDateTime>(started_) : std::nullopt;
}

QString TSession::Text(std::int64_t nowMs) const
{
    if (state_ == EState::Resting) {
        const std::int64_t left = (std::max<std::int64_t>(restUntilMs_ - nowMs, 0) + 999) / 1000;
        return QString("Rest: the next song, %1, starts in %2 s.")
            .arg(QFileInfo(songs_.at(next_ % songs_.size())).completeBaseName())
            .arg(left);
    }
    if (state_ == EState::Testing)
        return songsPlayed_ ? QString("Session: a last grip test, then the summary.")
                            : QString("Session: a grip test first, then %1.")
                                  .arg(QFileInfo(songs_.front()).completeBaseName());
    if (state_ != EState::Ended)
        return {};
    const auto minutes = [](double seconds) {
        const int whole = int(std::lround(seconds));
        return QString("%1:%2").arg(whole / 60).arg(whole % 60, 2, 10, QChar('0'));
    };
    return QString("Session over: %1 song%2 in %3 (%4 of song played), %5 grips, %6 of %7 balls hit.")
        .arg(summary_.Songs)
        .arg(summary_.Songs == 1 ? "" : "s")
        .arg(minutes(summary_.Seconds))
        .arg(minutes(summary_.PlayedSeconds))
        .arg(summary_.Grips)
        .arg(summary_.BallsHit)
        .arg(summary_.Balls) +
           TestsText();
}

QString TSession::TestsText() const
{
    if (!plan_.GripTests)
        return {};
    // Side by side, so that what the songs did to the hand reads at a glance.
    const std::optional<TTestFigures>&first = summary_.FirstTest, &last = summary_.LastTest;
    const auto figure = [](const std::optional<TTestFigures>& test, auto of) {
        return test ? of(*test) : QString("–");
    };
    const auto peak = [](const TTestFigures& t) { return QString::number(t.Peak); };
    const auto pace = [](const TTestFigures& t) { return QString::number(t.Pace); };
    const auto hold = [](const TTestFigures& t) { return QString::number(t.HoldSeconds, 'f', 1); };
    return QString("\nGrip tests, start → end: peak %1 → %2, pace %3 → %4 a minute, held %5 → %6 s.")
        .arg(figure(first, peak), figure(last, peak), figure(first, pace), figure(last, pace), figure(first, hold),
             figure(last, hold));
}
