#include "game/MomentJudge.h"

#include "game/PipeLine.h"
#include "game/Prizes.h"
#include "game/Rules.h"
#include "game/Scoring.h"

#include <algorithm>

void TGripCourse::Take(std::int32_t level, std::int64_t nowUs)
{
    easedUs_.reset();
    if (level > level_) {
        // A rise out of a released ball is a new grip.
        if (level_ == 0)
            peak_ = 0;
        risenUs_ = nowUs;
    } else if (level < level_ && peak_ >= 1 && peak_ <= 2) {
        easedUs_ = nowUs;
    }
    peak_ = std::max(peak_, level);
    level_ = level;
}

bool TGripCourse::Light(std::int64_t nowUs) const
{
    if (peak_ < 1 || peak_ > 2)
        return false;
    // Easing counts only at its own moment: a ball that comes later meets a grip already over.
    if (easedUs_)
        return nowUs - *easedUs_ < 1000;
    return level_ >= 1 && nowUs - risenUs_ >= std::int64_t(LightSettleMs) * 1000;
}

void TSongPace::Sample(std::int32_t position, std::int64_t nowUs)
{
    if (!samples_.empty() && position < samples_.back().Position)
        samples_.clear();
    samples_.push_back({position, nowUs});
    const std::int64_t spanUs = std::int64_t(SpanMs) * 1000;
    // The oldest sample kept is the last one at least a span old.
    while (samples_.size() > 2 && nowUs - samples_[1].Us >= spanUs)
        samples_.erase(samples_.begin());
    const TSample& first = samples_.front();
    const std::int64_t us = nowUs - first.Us;
    if (us >= spanUs / 5 && position > first.Position)
        pace_ = (position - first.Position) * 1000.0 / double(us);
}

void TSongPace::Forget()
{
    samples_.clear();
    pace_.reset();
}

bool TMomentJudge::Takes(const TPrize& ball) { return dynamic_cast<const TColorBall*>(&ball) != nullptr; }

bool TMomentJudge::Wants(const TPrize& ball, const TGripCourse& grip, std::int64_t nowUs)
{
    if (dynamic_cast<const TRedBall*>(&ball))
        return grip.Level() >= 5;
    if (dynamic_cast<const TYellowBall*>(&ball))
        return grip.Light(nowUs);
    if (dynamic_cast<const TBlueBall*>(&ball))
        return grip.Level() >= 1;
    return false;
}

void TMomentJudge::Reset()
{
    states_.assign(lane_.Balls.size(), TState::Coming);
    for (size_t i = 0; i < states_.size(); ++i)
        if (!lane_.Balls[i] || lane_.Balls[i]->Judged || !Takes(*lane_.Balls[i]))
            states_[i] = TState::Done;
}

void TMomentJudge::Fit()
{
    if (states_.size() != lane_.Balls.size())
        Reset();
}

bool TMomentJudge::Inside(const TPrize& ball) const
{
    const double mark = lane_.RuleMark->X;
    return ball.Visible && mark - 10 < ball.X && ball.X < mark + 10;
}

void TMomentJudge::Meet(const TGripCourse& grip, std::int64_t nowUs, std::optional<double> pxPerMs)
{
    Fit();
    for (size_t i = 0; i < states_.size(); ++i)
        if (states_[i] != TState::Done && Inside(*lane_.Balls[i]))
            MeetInside(i, grip, nowUs, pxPerMs);
}

void TMomentJudge::Moved(const TGripCourse& grip, std::int64_t nowUs, std::optional<double> pxPerMs)
{
    Fit();
    for (size_t i = 0; i < states_.size(); ++i) {
        if (states_[i] == TState::Done)
            continue;
        if (Inside(*lane_.Balls[i])) {
            MeetInside(i, grip, nowUs, pxPerMs);
        } else if (states_[i] == TState::Inside) {
            states_[i] = TState::Done;
            Miss(*lane_.Balls[i]);
        }
    }
}

void TMomentJudge::MeetInside(size_t i, const TGripCourse& grip, std::int64_t nowUs, std::optional<double> pxPerMs)
{
    states_[i] = TState::Inside;
    if (!Wants(*lane_.Balls[i], grip, nowUs))
        return;
    states_[i] = TState::Done;
    Hit(*lane_.Balls[i], pxPerMs);
}

void TMomentJudge::Hit(TPrize& ball, std::optional<double> pxPerMs)
{
    ball.MarkJudged();
    ball.StartFade();
    TScoring* scoring = lane_.RuleMark->Scoring();
    if (!scoring)
        return;
    scoring->Credit();
    scoring->Record(ball, true);
    // The ball's moment is when it stands on the mark: before it the grip was early.
    if (pxPerMs && *pxPerMs > 0)
        scoring->OnTiming((ball.X - lane_.RuleMark->X) / *pxPerMs);
}

void TMomentJudge::Miss(TPrize& ball)
{
    ball.MarkJudged();
    if (TScoring* scoring = lane_.RuleMark->Scoring())
        scoring->Record(ball, false);
}
