#include "midi/MidiPlayer.h"

#include "midi/MidiData.h"
#include "midi/MidiTimer.h"
#include "midi/TrackOutputs.h"
#include "platform/Clock.h"

#include <cerrno>
#include <sys/resource.h>
#include <unistd.h>
#include <utility>

namespace {
const std::uint8_t NoAnnouncement = 0xFF;

// The player whose timer tick (with the handlers it announces to) runs on this thread.
thread_local const TMidiPlayer* tickingPlayer = nullptr;

// Niceness is per thread on Linux: the priority raised and restored is always that of the
// thread that created the player, even when the timer thread stops the song.
int CurrentPriority(pid_t thread)
{
    errno = 0;
    const int p = getpriority(PRIO_PROCESS, id_t(thread));
    return errno == 0 ? p : 0;
}
}

TMidiPlayer::TMidiPlayer(TMidiTimerService* timers, const TClock* clock)
    : timers_(timers ? timers : &MidiTimerService()), clock_(clock)
{
    minimumPeriod_ = timers_->MinimumPeriod();
    timerPeriod_ = minimumPeriod_;
    ownerThread_ = gettid();
    savedPriorityClass_ = CurrentPriority(ownerThread_);
}

TMidiPlayer::~TMidiPlayer()
{
    destroying_ = true;
    Stop();
}

std::int64_t TMidiPlayer::NowUs() const { return (clock_ ? *clock_ : GameClock()).NowMicroseconds(); }

void TMidiPlayer::RestartSongClock(std::int64_t nowUs)
{
    lastTickTime_ = nowUs / 1000;
    lastTickUs_ = nowUs;
    tempoRemainder_ = 0;
    songUs_ = double(iterator_.Time) * 1000.0;
}

void TMidiPlayer::Publish(bool moved)
{
    std::lock_guard lock(snapshotMutex_);
    snapBar_ = iterator_.Bar;
    snapBeat_ = iterator_.Beat;
    snapTick_ = iterator_.BeatTick;
    if (moved)
        heardCount_ = 0;
    heard_[heardNext_] = THeard{playUs_, snapBar_, snapBeat_, snapTick_};
    heardNext_ = (heardNext_ + 1) % HeardCapacity;
    heardCount_ = std::min(heardCount_ + 1, HeardCapacity);
    publishedUs_ = NowUs();
}

void TMidiPlayer::GetHeardBarBeatTick(std::int32_t& bar, std::int32_t& beat, std::int32_t& tick) const
{
    const std::int64_t latency = heardLatencyUs_.load();
    std::lock_guard lock(snapshotMutex_);
    bar = snapBar_;
    beat = snapBeat_;
    tick = snapTick_;
    if (latency <= 0 || heardCount_ == 0)
        return;
    // The playing time now, less the latency; the newest update reached by then is heard.
    const std::uint8_t state = state_.load();
    const bool playing = state == StatePlaying || state == StateFastForward;
    const std::int64_t query = playUs_ + (playing ? std::max<std::int64_t>(0, NowUs() - publishedUs_) : 0) - latency;
    for (std::size_t k = 1; k <= heardCount_; ++k) {
        const THeard& h = heard_[(heardNext_ + HeardCapacity - k) % HeardCapacity];
        bar = h.Bar;
        beat = h.Beat;
        tick = h.Tick;
        if (h.PlayUs <= query)
            return;
    }
}

void TMidiPlayer::GetBarBeatTick(std::int32_t& bar, std::int32_t& beat, std::int32_t& tick) const
{
    std::lock_guard lock(snapshotMutex_);
    bar = snapBar_;
    beat = snapBeat_;
    tick = snapTick_;
}

std::uint8_t TMidiPlayer::SetStateLocked(std::uint8_t state)
{
    const std::uint8_t old = state_.load();
    if (old == state)
        return NoAnnouncement;
    if (old == StatePaused && (state == StatePlaying || state == StateFastForward)) {
        // The song clock must not jump by the time spent paused.
        RestartSongClock(NowUs());
    }
    state_.store(state);
    return destroying_ ? NoAnnouncement : state;
}

void TMidiPlayer::Announce(std::uint8_t state)
{
    // Handlers run outside the lock so that they may use the player.
    const TNotify* handler = nullptr;
    switch (state) {
    case StateStopped: handler = &OnStop; break;
    case StatePaused: handler = &OnPause; break;
    case StatePlaying: handler = &OnPlay; break;
    case StateFastForward: handler = &OnFastForward; break;
    default: return;
    }
    if (*handler)
        (*handler)(*this);
}

void TMidiPlayer::Retire(std::unique_ptr<TMidiTimer> timer)
{
    // Outside the lock: a tick still running may need it to finish.
    if (timer)
        timer->Kill();
    std::vector<std::unique_ptr<TMidiTimer>> spent;
    {
        std::lock_guard lock(mutex_);
        if (tickingPlayer == this) {
            // A handler called from one of our ticks: the timer may be the one running this very
            // thread, which cannot be destroyed from it. The next start or stop from outside, or
            // the destructor, destroys it, waiting for that tick to end.
            if (timer)
                spent_.push_back(std::move(timer));
            return;
        }
        spent.swap(spent_);
    }
}

void TMidiPlayer::EndPlayLocked()
{
    if (state_.load() >= StatePaused) {
        if (periodRequested_) {
            timers_->EndPeriod(timerPeriod_);
            periodRequested_ = false;
        }
        if (trackOutputs_)
            trackOutputs_->ReleaseAllNotes();
        setpriority(PRIO_PROCESS, id_t(ownerThread_), savedPriorityClass_);
        resumeTick_ = iterator_.Tick;
    }
}

std::uint8_t TMidiPlayer::StopLocked(std::unique_ptr<TMidiTimer>& retired)
{
    EndPlayLocked();
    retired = std::move(timer_);
    return SetStateLocked(StateStopped);
}

void TMidiPlayer::Stop()
{
    // A tick sends under the lock, so one still sending finishes before the notes are released;
    // once the state reads Stopped, any later tick of the old timer does nothing.
    std::unique_ptr<TMidiTimer> retired;
    std::uint8_t announce;
    {
        std::lock_guard lock(mutex_);
        announce = StopLocked(retired);
    }
    Retire(std::move(retired));
    Announce(announce);
}

std::uint8_t TMidiPlayer::StartLocked(int speed, std::unique_ptr<TMidiTimer>& retired)
{
    retired = std::move(timer_);  // a timer that ended itself at the end of the song
    if (destroying_)
        return NoAnnouncement;  // a handler still running must not start what nothing would stop
    if (!trackOutputs_ || !trackOutputs_->Active()) {
        state_.store(StatePlaying);
        return SetStateLocked(StateStopped);
    }
    iterator_.SetMidiData(trackOutputs_->MidiData());
    const std::int32_t b = iterator_.Tick;
    iterator_.SeekTickAndDispatch(resumeTick_);
    state_.store(StatePaused);
    iterator_.SeekTickAndDispatch(b);
    // The position is where it was: what the lanes follow goes on from there, not anew.
    Publish(false);
    heardLatencyUs_ = trackOutputs_->OutputLatencyMicroseconds();
    speedFactor_ = speed;
    if (!timers_->BeginPeriod(timerPeriod_))
        return SetStateLocked(StateStopped);
    periodRequested_ = true;
    if (BoostPriority) {
        savedPriorityClass_ = CurrentPriority(ownerThread_);
        setpriority(PRIO_PROCESS, id_t(ownerThread_), -20);  // refused without the privilege; playing goes on
    }
    RestartSongClock(NowUs());
    timer_ = timers_->StartPeriodic(timerResolution_, [this] { return TimerTick(); });
    if (!timer_) {
        timers_->EndPeriod(timerPeriod_);
        periodRequested_ = false;
        setpriority(PRIO_PROCESS, id_t(ownerThread_), savedPriorityClass_);
        return SetStateLocked(StateStopped);
    }
    return SetStateLocked(speed == 1 ? StatePlaying : StateFastForward);
}

bool TMidiPlayer::TimerTick()
{
    if (busy_.exchange(true))
        return true;  // a tick is still running: drop this one
    const TMidiPlayer* const outer = std::exchange(tickingPlayer, this);
    struct TRestore {
        const TMidiPlayer* outer;
        ~TRestore() { tickingPlayer = outer; }
    } restore{outer};
    bool keep = true;
    std::uint8_t announce = NoAnnouncement;
    {
        std::lock_guard lock(mutex_);
        const std::uint8_t state = state_.load();
        if (state == StatePlaying || state == StateFastForward) {
            const std::int64_t nowUs = NowUs();
            const std::int64_t now = nowUs / 1000;
            const std::int64_t elapsed = now - lastTickTime_;
            lastTickTime_ = now;
            // The fraction of a millisecond a percentage leaves over is carried to the next
            // tick, so the song runs at the percentage on average and not in coarse steps.
            const int percent = std::max(0, tempoPercent_.load(std::memory_order_relaxed));
            const std::int64_t scaled = elapsed * percent + tempoRemainder_;
            tempoRemainder_ = scaled % 100;
            const std::int64_t advance = scaled / 100 * speedFactor_;
            const double songRate = double(percent) / 100.0 * speedFactor_;
            const std::int64_t elapsedUs = nowUs - lastTickUs_;
            songUs_ += double(elapsedUs) * songRate;
            lastTickUs_ = nowUs;
            if (songRate > 0)
                iterator_.DueTimes = TMidiIterator::TDueTimes{nowUs, songUs_, 1.0 / songRate};
            iterator_.Advance(static_cast<std::int32_t>(std::min<std::int64_t>(advance, INT32_MAX)));
            iterator_.DueTimes.reset();
            {
                std::lock_guard snapshot(snapshotMutex_);
                playUs_ += elapsedUs;
            }
            Publish(false);
            if (iterator_.Finished && stopAtEnd_) {
                EndPlayLocked();
                announce = SetStateLocked(StateStopped);
                keep = false;  // the timer ends itself; the next start or stop retires it
            }
        }
    }
    busy_.store(false);
    Announce(announce);
    return keep;
}

void TMidiPlayer::SetPlay(bool play) { ChangeSpeed(1, play); }

void TMidiPlayer::SetFastForward(bool fast) { ChangeSpeed(4, fast); }

void TMidiPlayer::ChangeSpeed(int speed, bool on)
{
    // The state is read under the same lock that changes it: the timer's thread stops the song
    // at its end under this lock too, so the branch taken always fits the state changed.
    const std::uint8_t target = speed == 1 ? StatePlaying : StateFastForward;
    std::unique_ptr<TMidiTimer> retired;
    std::uint8_t announce = NoAnnouncement;
    {
        std::lock_guard lock(mutex_);
        const std::uint8_t state = state_.load();
        if (state == StateStopped) {
            if (on)
                announce = StartLocked(speed, retired);
        } else if (state == target) {
            if (!on)
                announce = StopLocked(retired);
        } else {
            speedFactor_ = speed;
            announce = SetStateLocked(target);
        }
    }
    Retire(std::move(retired));
    Announce(announce);
}

void TMidiPlayer::SetPaused(bool)
{
    // Writing Paused while paused keeps the player paused, with its timer still owned.
    std::uint8_t announce = NoAnnouncement;
    {
        std::lock_guard lock(mutex_);
        const std::uint8_t state = state_.load();
        if (state == StatePlaying || state == StateFastForward)
            announce = SetStateLocked(StatePaused);
    }
    Announce(announce);
}

std::int32_t TMidiPlayer::Position()
{
    std::lock_guard lock(mutex_);
    return iterator_.Tick;
}

std::int32_t TMidiPlayer::Time()
{
    std::lock_guard lock(mutex_);
    return iterator_.Time;
}

std::int32_t TMidiPlayer::ResumeTick()
{
    std::lock_guard lock(mutex_);
    return resumeTick_;
}

bool TMidiPlayer::AtEnd()
{
    std::lock_guard lock(mutex_);
    return iterator_.Finished;
}

void TMidiPlayer::SetPosition(std::int32_t tick)
{
    std::lock_guard lock(mutex_);
    const std::uint8_t remembered = state_.load();
    if (remembered > StatePaused)
        state_.store(StatePaused);
    if (trackOutputs_) {
        trackOutputs_->ReleaseAllNotes();
        if (tick < iterator_.Tick)
            trackOutputs_->ResetAllControllers();
    }
    iterator_.SeekTickAndDispatch(tick);
    songUs_ = double(iterator_.Time) * 1000.0;
    Publish(true);
    if (state_.load() == StatePaused)
        state_.store(remembered);
}

void TMidiPlayer::SetTimerPeriod(int period)
{
    std::lock_guard lock(mutex_);
    if (period == timerPeriod_)
        return;
    timerPeriod_ = std::max(period, minimumPeriod_);
}

void TMidiPlayer::SetTrackOutputs(TTrackOutputs* outputs)
{
    if (outputs == trackOutputs_)
        return;
    Rewind();
    {
        std::lock_guard lock(mutex_);
        trackOutputs_ = outputs;
        iterator_.SetTrackOutputs(outputs);
    }
    Refresh();
}

void TMidiPlayer::Refresh()
{
    Stop();
    std::lock_guard lock(mutex_);
    iterator_.SetMidiData(trackOutputs_ && trackOutputs_->Active() ? trackOutputs_->MidiData() : nullptr);
    Publish(true);
}

void TMidiPlayer::Rewind()
{
    Stop();
    std::lock_guard lock(mutex_);
    iterator_.SetBarBeatTick(0, 0, 0);
    Publish(true);
}
