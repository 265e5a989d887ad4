// "Adapt to me" over whole games on the manual clock: simulated players of fixed skill, and
// where the adapting takes each of them game by game.
#include "support/GameHarness.h"

#include "../midi/SmfBuilder.h"
#include "core/GameCore.h"
#include "game/GripGame.h"
#include "game/StressValue.h"
#include "hid/HidDevice.h"
#include "training/BallIdentity.h"
#include "training/CalibrationStore.h"
#include "training/Training.h"

#include <gtest/gtest.h>

#include <cstdio>
#include <algorithm>
#include <string>
#include <vector>

namespace {

// Twenty bars of a tune, a note on every beat at 120 beats a minute, played with the accents
// a melody has: the made maps give it hard, light and plain grips.
std::string Tune(const smf::TempDir& dir)
{
    smf::Track tempo;
    tempo.Tempo(0, 500000).End();
    smf::Track tune;
    tune.Name(0, "Tune");
    const std::uint8_t accents[8] = {100, 60, 40, 75, 90, 55, 40, 70};
    for (int beat = 0; beat < 80; ++beat)
        tune.Raw(beat == 0 ? 0 : 50, {0x90, std::uint8_t(60 + beat % 5 * 2), accents[beat % 8]}).Raw(50, {0x80, 60, 0});
    tune.End();
    return dir.Write("tune.mid", smf::File(100, {tempo, tune}));
}

int KindLevel(const TPrize* ball)
{
    if (dynamic_cast<const TRedBall*>(ball))
        return 6;
    if (dynamic_cast<const TYellowBall*>(ball))
        return 1;
    return dynamic_cast<const TBlueBall*>(ball) ? 3 : 0;
}

struct TSkill {
    const char* Who;
    // How long after the right moment each grip comes.
    int LateMs = 0;
    // How hard one grip after another can go, as the ball reports it, round and round; 255
    // for a hand that grips whatever is asked.
    std::vector<int> Reach{255};
    // The peak the ball was calibrated to; 0 for none.
    std::uint8_t Peak = 0;
};

// Shortly before each frame, sees whether a ball is about to be judged and grips for the
// level it wants on the scale the ball is fitted to, LateMs later: a light touch first, then
// the force, as hard as the hand goes; lets go in between.
class TSimulatedPlayer {
public:
    TSimulatedPlayer(TGameHarness& h, const TSkill& skill) : h_(h), skill_(skill) {}

    std::uint8_t operator()()
    {
        const std::int64_t now = h_.Now();
        if (h_.MsToNextFrame() == 8)
            grips_.push_back({now + skill_.LateMs, Wanted()});
        std::erase_if(grips_, [&](const TGrip& grip) { return grip.At + 9 <= now; });
        const auto grip = std::find_if(grips_.begin(), grips_.end(), [&](const TGrip& g) { return g.At <= now; });
        if (grip == grips_.end() || grip->Level == 0)
            return 0;
        const TForceScale scale = h_.Core().Training->Fitting().Scale(0);
        if (grip->At == now) {
            reach_ = skill_.Reach[size_t(grips_made_++) % skill_.Reach.size()];
            return std::uint8_t(scale.ForceForLevel(1));
        }
        return std::uint8_t(std::min(scale.ForceForLevel(grip->Level), std::min(reach_, 255)));
    }

private:
    int Wanted() const
    {
        for (TPrize* ball : h_.Game()->PlayerOne->Lane->Balls)
            if (ball && ball->Visible && ball->X > 262 && ball->X < 284)
                return KindLevel(ball);
        return 0;
    }

    struct TGrip {
        std::int64_t At;
        int Level;
    };
    TGameHarness& h_;
    TSkill skill_;
    std::vector<TGrip> grips_;
    int grips_made_ = 0;
    int reach_ = 255;
};

struct TGamePlayed {
    int Rate;
    TAdaptSettings Played;
};

// Ten games with adapting on, from the game as it comes (normal level, full speed); prints
// each game's row.
std::vector<TGamePlayed> PlayTenGames(const TSkill& skill)
{
    smf::TempDir dir;
    TGameHarness h;
    if (skill.Peak) {
        TCalibrationStore().Save(BallIdentity(*h.Core().Game()->PlayerOneStress()->Device), skill.Peak);
        h.Core().Training->BallChanged(*h.Core().Game()->PlayerOneStress());
    }
    h.Core().ChooseSong(Tune(dir));
    h.Core().ChoosePlayerNamed(0, skill.Who);
    h.Core().SetAdapting(true);
    TSimulatedPlayer player(h, skill);
    h.SetGrip([&] { return player(); });
    std::vector<TGamePlayed> games;
    std::printf("%s\n game  hit rate  level   speed  share\n", skill.Who);
    for (int game = 1; game <= 10; ++game) {
        const TAdaptSettings played = *h.Core().ChosenPlayer(0)->Adapted;
        h.PressStart();
        h.AlignFrames(12);
        EXPECT_TRUE(h.RunUntilSongEnds(200'000));
        h.RunMs(10);
        const std::vector<TGameRecord>& lines = h.Core().Training->SongEndedGame();
        if (lines.empty())
            break;
        const int rate = (lines[0].BallsHit * 100 + lines[0].Balls / 2) / std::max(lines[0].Balls, 1);
        games.push_back({rate, played});
        EXPECT_EQ(lines[0].MelodySpeed, played.Speed);
        EXPECT_EQ(lines[0].Level.toStdString(), MapLevelName(played.Level));
        std::printf(" %4d  %6d %%  %-6s  %3d %%  %s\n", game, rate, MapLevelName(played.Level), played.Speed,
                    skill.Peak ? qPrintable(QString::number(played.Share) + " %") : "-");
        EXPECT_TRUE(h.Core().Training->Results().contains("\nAdapted: ")) << h.Core().Training->Results().toStdString();
    }
    EXPECT_TRUE(h.Messages().isEmpty()) << h.Messages().join("\n").toStdString();
    return games;
}

bool InBand(const TGamePlayed& game) { return game.Rate >= 70 && game.Rate <= 85; }

} // namespace

TEST(AdaptingPlayers, TheWeakHandReachesTheBandAndStaysThePerfectOneEndsAtTheTopTheLateOneAtItsEdge)
{
    // Calibrated to the hardest grip the hand ever makes: a larger share of that peak for
    // step 6 is what lets its weaker grips miss the hard balls.
    const std::vector<TGamePlayed> weak = PlayTenGames({"never above step 4", 0, {9, 13, 17, 21}, 21});
    ASSERT_EQ(weak.size(), 10u);
    const auto first = std::find_if(weak.begin(), weak.end(), InBand);
    ASSERT_LT(first - weak.begin(), 5);
    EXPECT_TRUE(std::all_of(first, first + 6, InBand));

    const std::vector<TGamePlayed> perfect = PlayTenGames({"perfect"});
    ASSERT_EQ(perfect.size(), 10u);
    for (size_t game = 1; game < 10; ++game)
        EXPECT_EQ(perfect[game].Played, (TAdaptSettings{EMapLevel::Hard, 100, 70})) << "game " << game + 1;
    EXPECT_GT(perfect.back().Rate, 85);

    // 300 ms late hits nearly every ball at half speed and two in three at 60 %: no speed of
    // ten-point steps is within the band. Below it each game is a step easier; from the first
    // game above it the speed goes back and forth between the two speeds either side of it.
    const std::vector<TGamePlayed> late = PlayTenGames({"300 ms late", 300});
    ASSERT_EQ(late.size(), 10u);
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
