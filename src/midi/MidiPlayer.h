#pragma once

#include "midi/MidiIterator.h"

#include <array>
#include <atomic>
#include <cstdint>
#include <functional>
#include <memory>
#include <mutex>
#include <vector>

class TClock;
class TMidiTimer;
class TMidiTimerService;
class TTrackOutputs;

// Plays the song of a TTrackOutputs in real time. The timer ticks on their own thread; the
// user-interface thread changes the state, the position and the tempo percentage. Every value
// both threads touch is an atomic or lives behind a mutex.
class TMidiPlayer {
public:
    enum : std::uint8_t { StateStopped = 0, StatePaused = 2, StatePlaying = 3, StateFastForward = 4 };
    using TNotify = std::function<void(TMidiPlayer&)>;

    // Without a service or clock the player uses MidiTimerService() and GameClock().
    explicit TMidiPlayer(TMidiTimerService* timers = nullptr, const TClock* clock = nullptr);
    ~TMidiPlayer();
    TMidiPlayer(const TMidiPlayer&) = delete;
    TMidiPlayer& operator=(const TMidiPlayer&) = delete;

    bool Play() const { return state_.load() == StatePlaying; }
    void SetPlay(bool play);
    bool FastForward() const { return state_.load() == StateFastForward; }
    void SetFastForward(bool fast);
    bool Paused() const { return state_.load() == StatePaused; }
    void SetPaused(bool paused);
    std::uint8_t State() const { return state_.load(); }

    std::int32_t Position();
    void SetPosition(std::int32_t tick);
    std::int32_t Time();

    int TimerPeriod() const { return timerPeriod_; }
    void SetTimerPeriod(int period);
    int TimerResolution() const { return timerResolution_; }
    void SetTimerResolution(int resolution) { timerResolution_ = resolution; }
    TTrackOutputs* TrackOutputs() const { return trackOutputs_; }
    void SetTrackOutputs(TTrackOutputs* outputs);
    bool BoostPriority = false;
    int TempoPercent() const { return tempoPercent_.load(std::memory_order_relaxed); }
    void SetTempoPercent(int percent) { tempoPercent_.store(percent, std::memory_order_relaxed); }

    TNotify OnStop, OnPlay, OnFastForward, OnPause;

    void Refresh();
    void Rewind();
    // Bar, beat and tick within the beat, all three from the same update.
    void GetBarBeatTick(std::int32_t& bar, std::int32_t& beat, std::int32_t& tick) const;
    // The same for the part of the song being heard now: the position of the output latency
    // ago, counting only time spent playing. Without latency, GetBarBeatTick's values.
    void GetHeardBarBeatTick(std::int32_t& bar, std::int32_t& beat, std::int32_t& tick) const;
    // From an event's time to its sound, as the outputs said when playing last started.
    std::int64_t HeardLatencyMicroseconds() const { return heardLatencyUs_.load(); }

    // One timer tick; the timer calls it, and a harness driving a manual timer may too.
    // Returns false once the player has stopped itself at the end of the song.
    bool TimerTick();

    bool StopAtEnd() const { return stopAtEnd_; }
    std::int32_t ResumeTick();
    // True once the song has been played to its end (or when there is none): playing on from
    // here finds nothing left.
    bool AtEnd();
    int MinimumPeriod() const { return minimumPeriod_; }

private:
    TMidiTimerService* timers_;
    const TClock* clock_;
    TMidiIterator iterator_;
    TTrackOutputs* trackOutputs_ = nullptr;

    std::atomic<std::uint8_t> state_{StateStopped};
    std::atomic<int> tempoPercent_{100};
    std::atomic<bool> busy_{false};
    std::atomic<bool> destroying_{false};
    std::atomic<std::int64_t> heardLatencyUs_{0};

    std::mutex mutex_;  // the iterator, the outputs' sending, the timer and the fields below
    std::unique_ptr<TMidiTimer> timer_;
    std::vector<std::unique_ptr<TMidiTimer>> spent_;  // ended from inside their own ticks
    int speedFactor_ = 1;
    std::int64_t lastTickTime_ = 0;
    std::int64_t tempoRemainder_ = 0;
    // The song clock to the microsecond, beside the millisecond one the position follows:
    // events are stamped with their due times from it.
    std::int64_t lastTickUs_ = 0;
    double songUs_ = 0;
    std::int32_t resumeTick_ = 0;
    bool periodRequested_ = false;
    int savedPriorityClass_ = 0;
    int ownerThread_ = 0;
    int timerPeriod_ = 1;
    int timerResolution_ = 4;
    int minimumPeriod_ = 1;
    const bool stopAtEnd_ = true;

    mutable std::mutex snapshotMutex_;
    std::int32_t snapBar_ = 0, snapBeat_ = 0, snapTick_ = 0;
    // The positions of the last updates, each with the playing time it was reached at
    // (time spent playing since the player was made); a move clears them.
    struct THeard {
        std::int64_t PlayUs;
        std::int32_t Bar, Beat, Tick;
    };
    static constexpr std::size_t HeardCapacity = 128;  // half a second of 4 ms ticks
    std::array<THeard, HeardCapacity> heard_{};
    std::size_t heardCount_ = 0, heardNext_ = 0;
    std::int64_t playUs_ = 0;       // under the snapshot lock
    std::int64_t publishedUs_ = 0;  // game clock of the last update, under the snapshot lock

    void ChangeSpeed(int speed, bool on);
    // The two take the timer to be killed out; the caller kills it once the lock is released.
    std::uint8_t StartLocked(int speed, std::unique_ptr<TMidiTimer>& retired);
    std::uint8_t StopLocked(std::unique_ptr<TMidiTimer>& retired);
    void Stop();
    void Retire(std::unique_ptr<TMidiTimer> timer);
    void EndPlayLocked();
    std::uint8_t SetStateLocked(std::uint8_t state);  // returns the state to announce, or 0xFF
    void Announce(std::uint8_t state);
    // moved: the position jumped (a seek) rather than played on.
    void Publish(bool moved);
    void RestartSongClock(std::int64_t nowUs);
    std::int64_t NowUs() const;
};
