// Long play on the manual clock: a restless player presses Start, Pause and Resume, grips at
// random, switches easy mode and pulls the ball out and plugs it back, for simulated minutes
// or hours. The game must keep running and its memory must stay flat once warmed up.
//
// The short run is part of the suite. The long one is run by hand, best in the
// AddressSanitizer build so that LeakSanitizer checks the exit too:
//   build-address/tests/test_game --gtest_also_run_disabled_tests --gtest_filter='Soak.*Hours*'

#include "support/GameHarness.h"

#include "game/GripGame.h"

#include <QCoreApplication>
#include <QEvent>

#include <gtest/gtest.h>

#include <malloc.h>

#include <algorithm>
#include <chrono>
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <fstream>
#include <memory>
#include <random>
#include <vector>

#if defined(__SANITIZE_ADDRESS__)
// The sanitizer's allocator owns the heap there; its own count is the one that means something.
extern "C" size_t __sanitizer_get_current_allocated_bytes();
#endif

namespace {

struct TMemory {
    std::int64_t HeapBytes = 0;  // bytes the program holds from the allocator
    std::int64_t RssKb = 0;
};

TMemory MeasureMemory()
{
    TMemory m;
#if defined(__SANITIZE_ADDRESS__)
    m.HeapBytes = std::int64_t(__sanitizer_get_current_allocated_bytes());
#else
    m.HeapBytes = std::int64_t(mallinfo2().uordblks);
#endif
    std::ifstream statm("/proc/self/statm");
    std::int64_t size = 0, resident = 0;
    statm >> size >> resident;
    m.RssKb = resident * 4;
    return m;
}

class TRestlessPlayer {
public:
    explicit TRestlessPlayer(unsigned seed) : random_(seed) { Launch(); }

    TGameHarness& Game() { return *h_; }

    // Plays whole simulated seconds, choosing what to do at the start of each.
    void Play(std::int64_t seconds)
    {
        for (std::int64_t s = 0; s < seconds; ++s) {
            Act();
            h_->RunMs(1000);
            if (h_->Playing())
                playedMs_ += 1000;
            // What the event loop would do between timer events: objects let go are freed.
            QCoreApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
        }
    }

    int Starts() const { return starts_; }
    int Pauses() const { return pauses_; }
    int Replugs() const { return replugs_; }
    int Launches() const { return launches_; }
    // The memory in use each time the program had just started, before the song.
    const std::vector<TMemory>& AtLaunch() const { return atLaunch_; }
    // Messages shown over every run of the program.
    int Messages() const { return messages_ + int(h_->Messages().size()); }
    std::int64_t PlayedMs() const { return playedMs_; }

private:
    void Act()
    {
        const int roll = std::uniform_int_distribution<int>(0, 999)(random_);
        if (!h_->Playing() && !paused_) {
            // An ended song does not play again in the same run: the player starts the
            // program anew, and then the song.
            if (started_)
                Launch();
            Start();
        } else if (roll < 10) {
            Start();
        } else if (roll < 40 && h_->Playing()) {
            h_->PressPause();
            paused_ = true;
            ++pauses_;
        } else if (roll < 300 && paused_) {
            h_->PressResume();
            paused_ = false;
        } else if (roll < 310) {
            h_->SetEasyMode(!easy_);
            easy_ = !easy_;
        } else if (roll < 320) {
            Replug();
        }
    }

    void Launch()
    {
        replugged_.reset();
        if (h_)
            messages_ += int(h_->Messages().size());
        h_.reset();
        h_ = std::make_unique<TGameHarness>();
        h_->SetGrip([this] { return std::uint8_t(std::uniform_int_distribution<int>(0, 40)(random_)); });
        QCoreApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
        atLaunch_.push_back(MeasureMemory());
        started_ = pulled_ = paused_ = easy_ = false;
        ++launches_;
    }

    void Start()
    {
        started_ = true;
        h_->PressStart();
        paused_ = false;
        ++starts_;
    }

    void Replug()
    {
        // The ball the game reads is pulled out first; after that, the one plugged back.
        if (!pulled_ && h_->Ball() && h_->Ball()->IsPlugged()) {
            h_->Bus().Unplug(h_->Ball());
            pulled_ = true;
        } else if (replugged_ && replugged_->IsPlugged()) {
            h_->Bus().Unplug(replugged_);
            replugged_.reset();
        } else {
            replugged_ = h_->Bus().PlugGripBall();
            ++replugs_;
        }
    }

    std::mt19937 random_;
    std::unique_ptr<TGameHarness> h_;
    std::shared_ptr<THidSimulatedDevice> replugged_;
    bool started_ = false;
    bool pulled_ = false;
    bool paused_ = false;
    bool easy_ = false;
    int starts_ = 0;
    int pauses_ = 0;
    int replugs_ = 0;
    int launches_ = 0;
    std::vector<TMemory> atLaunch_;
    int messages_ = 0;
    std::int64_t playedMs_ = 0;
};

void Soak(std::int64_t simulatedSeconds, std::int64_t allowedGrowthBytes)
{
    const auto wallStart = std::chrono::steady_clock::now();
    TRestlessPlayer player(20260107);
    // Warm-up: one whole run of the program, from start-up to the song's end, and the next
    // start-up. What is measured is the memory each later start-up finds: a fresh program's
    // state (the debug memo, a lane's balls) is the same every time, so what was not given
    // back shows as growth.
    while (player.Launches() < 2)
        player.Play(1);
    const std::int64_t warmPlayedMs = player.PlayedMs();
    player.Play(simulatedSeconds);
    while (player.AtLaunch().size() < 4)
        player.Play(1);  // a short soak runs on until two start-ups follow the warm one
    const TMemory start = player.AtLaunch()[1];
    const TMemory end = player.AtLaunch().back();
    const TMemory last = MeasureMemory();
    const double wall = std::chrono::duration<double>(std::chrono::steady_clock::now() - wallStart).count();
    const std::int64_t playedMs = player.PlayedMs() - warmPlayedMs;

    std::printf("soak: %lld simulated s after warm-up (%lld s playing), %d program runs, %d starts, %d pauses, "
                "%d balls plugged back\n",
                (long long)simulatedSeconds, (long long)(playedMs / 1000), player.Launches(), player.Starts(),
                player.Pauses(), player.Replugs());
    std::printf("soak: at start-up 2 / %zu: heap %lld -> %lld bytes, RSS %lld -> %lld kB; RSS at the end %lld kB; "
                "wall %.1f s\n",
                player.AtLaunch().size(), (long long)start.HeapBytes, (long long)end.HeapBytes,
                (long long)start.RssKb, (long long)end.RssKb, (long long)last.RssKb, wall);
    // Ten start-ups spread over the run show whether the heap drifts or only wobbles.
    const std::size_t launches = player.AtLaunch().size();
    std::printf("soak: heap at start-ups");
    for (std::size_t i = 1; i < launches; i += std::max<std::size_t>(1, (launches - 1) / 10))
        std::printf(" %zu:%lld", i + 1, (long long)player.AtLaunch()[i].HeapBytes);
    std::printf("\n");

    // The game really ran: the song played most of the time, every action came up.
    EXPECT_GT(playedMs, simulatedSeconds * 1000 / 2);
    EXPECT_GT(player.Starts(), 1);
    EXPECT_GT(player.Pauses(), 1);
    EXPECT_GT(player.Replugs(), 0);
    TGameHarness& h = player.Game();
    ASSERT_NE(h.Game(), nullptr);
    EXPECT_FALSE(h.Game()->PlayerOne->Lane->Balls.empty());
    // Playing, pausing and plugging are no faults: nothing was ever shown.
    EXPECT_EQ(player.Messages(), 0);
    EXPECT_LT(end.HeapBytes - start.HeapBytes, allowedGrowthBytes);
}

} // namespace

TEST(Soak, TenMinutesOfRestlessPlayKeepMemoryFlat) { Soak(10 * 60, 256 * 1024); }

// GRIP_SOAK_HOURS shortens or lengthens it (the AddressSanitizer build runs some 7 times slower).
TEST(Soak, DISABLED_EightHoursOfRestlessPlayKeepMemoryFlat)
{
    const char* hours = std::getenv("GRIP_SOAK_HOURS");
    const double length = hours ? std::atof(hours) : 8.0;
    ASSERT_GT(length, 0.0) << "GRIP_SOAK_HOURS must be a positive number";
    Soak(std::int64_t(length * 3600), 256 * 1024);
}
