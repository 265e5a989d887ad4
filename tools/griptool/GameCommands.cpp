#include "GameCommands.h"

#include "game/GameRandom.h"
#include "game/PipeLine.h"
#include "game/Metronome.h"
#include "platform/Exception.h"

#include <cmath>

namespace {

TMetronome Load(const std::string& file)
{
    // An empty data folder makes the file name the whole path.
    TMetronome metronome{std::string()};
    metronome.LoadBeatMap(file);
    return metronome;
}

} // namespace

namespace TGameCommands {

void BeatMap(const std::string& file, std::ostream& out)
{
    const TBits bits = Load(file).Marks();
    out << "size " << bits.Size() << '\n';
    for (std::int32_t i : bits.SetBits())
        out << i << '\n';
}

void Layout(const std::string& file, bool onlyBlue, bool smallShift, std::ostream& out)
{
    const TMetronome map = Load(file);
    // At program start the generator is fresh and the two figure holders have made their
    // three draws each (ranges 5, 4, 3) for their toys' paces; Start itself draws nothing
    // before the lanes.
    GameRandom().SetState(0);
    for (int holder = 0; holder < 2; ++holder)
        for (std::uint32_t range : {5u, 4u, 3u})
            GameRandom().Draw(range);
    int lane = 1;
    for (const TLaneRows& rows : {LaneOneRows, LaneTwoRows}) {
        for (const TBallPlacement& ball : PlanLayout(map.Marks(), rows, onlyBlue, smallShift, map.Kinds()))
            out << Format("%d %d %s %.1f %ld\n", lane, int(ball.Ordinal), BallKindName(ball.Kind), ball.X,
                          std::lround(ball.Y));
        ++lane;
    }
}

} // namespace TGameCommands
