// "Adapt to me" over ten whole games on the manual clock for three simulated players of fixed
// skill, each game's hit rate and settings printed.
#include "support/GameHarness.h"

#include "../midi/SmfBuilder.h"
#include "core/GameCore.h"
#include "game/GripGame.h"
#include "game/StressValue.h"
#include "training/BallIdentity.h"
#include "training/CalibrationStore.h"
#include "training/Training.h"

#include <gtest/gtest.h>

#include <map>

namespace {

struct TSkill {
    const char* Who;
    int LateMs = 0;  // after the right moment
    // How hard one grip after another can go (as the ball reports it), round and round.
    std::vector<int> Reach{255};
    std::uint8_t Peak = 0;  // the ball's calibration; 0 for none
};

struct TGamePlayed { int Rate; TAdaptSettings Played; };

std::vector<TGamePlayed> PlayTenGames(const TSkill& skill)
{
    smf::TempDir dir;
    smf::Track tempo, tune;  // 80 beats at 120 a minute, accented as a melody is
    tempo.Tempo(0, 500000);
    const std::uint8_t accents[8] = {100, 60, 40, 75, 90, 55, 40, 70};
    for (int beat = 0; beat < 80; ++beat)
        tune.Raw(beat ? 50 : 0, {0x90, std::uint8_t(60 + beat % 5 * 2), accents[beat % 8]}).Raw(50, {0x80, 60, 0});
    TGameHarness h;
    TStressValue& grip = *h.Game()->PlayerOneStress();
    if (skill.Peak) {
        TCalibrationStore().Save(BallIdentity(*grip.Device), skill.Peak);
        h.Core().Training->BallChanged(grip);
    }
    h.Core().ChooseSong(dir.Write("tune.mid", smf::File(100, {tempo.End(), tune.End()})));
    h.Core().ChoosePlayerNamed(0, skill.Who);
    h.Core().SetAdapting(true);
    // Shortly before each frame the player sees what the ball at the ring asks, and LateMs
    // later grips for it on the ball's scale as hard as the hand goes: a light touch, then 8 ms.
    std::map<std::int64_t, int> grips;
    size_t made = 0;
    int reach = 255;
    h.SetGrip([&]() -> std::uint8_t {
        if (h.MsToNextFrame() == 8)
            for (TPrize* ball : h.Game()->PlayerOne->Lane->Balls)
                if (ball && ball->Visible && ball->X > 262 && ball->X < 284)
                    grips[h.Now() + skill.LateMs] = dynamic_cast<TRedBall*>(ball) ? 6 : dynamic_cast<TYellowBall*>(ball) ? 1 : 3;
        const auto at = grips.upper_bound(h.Now());
        if (at == grips.begin() || std::prev(at)->first + 9 <= h.Now())
            return 0;
        const TForceScale scale = h.Core().Training->Fitting().Scale(0);
        if (std::prev(at)->first == h.Now())
            reach = skill.Reach[made++ % skill.Reach.size()];
        return std::uint8_t(std::prev(at)->first == h.Now() ? scale.ForceForLevel(1)
                                                            : std::min(scale.ForceForLevel(std::prev(at)->second), reach));
    });
    std::vector<TGamePlayed> games;
    std::printf("%s\n game  hit rate  level   speed  share\n", skill.Who);
    for (int game = 1; game <= 10; ++game) {
        const TAdaptSettings played = *h.Core().ChosenPlayer(0)->Adapted;
        h.PressStart();
        h.AlignFrames(12);
        EXPECT_TRUE(h.RunUntilSongEnds(200'000));
        h.RunMs(10);
        if (h.Core().Training->SongEndedGame().empty())
            break;
        const TGameRecord& line = h.Core().Training->SongEndedGame()[0];
        games.push_back({(line.BallsHit * 100 + line.Balls / 2) / std::max(line.Balls, 1), played});
        EXPECT_TRUE(line.MelodySpeed == played.Speed && line.Level.toStdString() == MapLevelName(played.Level));
        EXPECT_TRUE(h.Core().Training->Results().contains("\nAdapted: "));
        std::printf(" %4d  %6d %%  %-6s  %3d %%  %s\n", game, games.back().Rate, MapLevelName(played.Level),
                    played.Speed, skill.Peak ? qPrintable(QString::number(played.Share) + " %") : "-");
    }
    EXPECT_TRUE(h.Messages().isEmpty()) << h.Messages().join("\n").toStdString();
    return games;
}

bool InBand(const TGamePlayed& game) { return game.Rate >= 70 && game.Rate <= 85; }

} // namespace

TEST(AdaptingPlayers, TheWeakHandReachesTheBandAndStaysThePerfectOneEndsAtTheTopTheLateOneAtItsEdge)
{
    // Calibrated to the hand's hardest grip: a larger share of it for step 6 has its weaker
    // grips miss the hard balls. It never grips above step 4 of the game's own scale.
    const std::vector<TGamePlayed> weak = PlayTenGames({"never above step 4", 0, {9, 13, 17, 21}, 21});
    const std::vector<TGamePlayed> perfect = PlayTenGames({"perfect"});
    const std::vector<TGamePlayed> late = PlayTenGames({"300 ms late", 300});
    ASSERT_TRUE(weak.size() == 10u && perfect.size() == 10u && late.size() == 10u);
    const auto first = std::find_if(weak.begin(), weak.end(), InBand);
    ASSERT_LT(first - weak.begin(), 5);
    EXPECT_TRUE(std::all_of(first, first + 6, InBand));
    for (size_t game = 1; game < 10; ++game)
        EXPECT_EQ(perfect[game].Played, (TAdaptSettings{EMapLevel::Hard, 100, 70})) << "game " << game + 1;
    EXPECT_GT(perfect.back().Rate, 85);

    // 300 ms late hits nearly all at half speed and under two in three at 60 %: no speed is
    // within the band. Each game below it is a step easier; after the first above it, the
    // speed goes back and forth between the two either side of the band.
    const auto above = std::find_if(late.begin(), late.end(), [](const TGamePlayed& g) { return g.Rate > 85; });
    ASSERT_LT(above - late.begin(), 9);
    for (auto game = late.begin() + 1; game != late.end(); ++game) {
        const int step = game->Played.Speed - (game - 1)->Played.Speed;
        if (game <= above)
            EXPECT_TRUE(step < 0 || (step == 0 && game->Played.Level < (game - 1)->Played.Level));
        else
            EXPECT_EQ(step, (game - 1)->Rate > 85 ? 10 : -10);
    }
}
