#include "core/GameTick.h"

#include "game/GripGame.h"
#include "midi/MidiPlayer.h"
#include "training/Training.h"

#include <QTimer>

#include <algorithm>
#include <cstdint>
#include <exception>

void TGameTick::Timer1Timer()
{
    // The tick only matters while the song plays, and then only as often as the song's
    // position moves (every step of its timer); otherwise it just keeps the grip displays
    // fresh, which a slower pace does as well, and an idle game then costs next to no CPU.
    const int interval = player_.Play() || elsewhere_ ? std::max(1, player_.TimerResolution()) : IdleIntervalMs;
    if (timer_.interval() != interval)
        timer_.setInterval(interval);
    // A start-up that ended early leaves no game to drive.
    if (!game_)
        return;
    // A ball that fails its read must not stop the lanes following the song: the position is
    // synced first and the read's error reported after.
    std::exception_ptr readError;
    try {
        elsewhere_ = GripsElsewhere && GripsElsewhere();
        if (!elsewhere_)
            game_->PollGrip();
    } catch (...) {
        readError = std::current_exception();
    }
    if (player_.Play()) {
        // The lanes follow the song as it is heard, so a ball meets the mark with its note.
        std::int32_t bar = 0, beat = 0, tick = 0;
        player_.GetHeardBarBeatTick(bar, beat, tick);
        game_->SyncPosition(bar, beat, tick);
    }
    if (training_)
        training_->Poll();
    // The time played is counted before the song's end is told.
    game_->CheckSongEnd();
    if (readError)
        std::rethrow_exception(readError);
}
