// The core as the windows and the training meet it: what the game reports reaches every
// follower, and the debug form shows what the core holds.
#include "support/GameHarness.h"

#include "../midi/SmfBuilder.h"
#include "core/GameCore.h"
#include "game/GripBall.h"
#include "game/GripGame.h"
#include "game/Scoring.h"
#include "game/StressValue.h"
#include "shell/Datas.h"
#include "training/Training.h"

#include <gtest/gtest.h>

#include <map>
#include <string>
#include <vector>

namespace {

// Eight seconds of a tune in the game's form, a note on every beat.
std::string ShortSong(const smf::TempDir& dir)
{
    smf::Track tempo;
    tempo.Tempo(0, 500000).End();
    smf::Track tune;
    tune.Name(0, "Tune");
    for (std::uint8_t beat = 0; beat < 16; ++beat)
        tune.Raw(beat == 0 ? 0 : 50, {0x90, std::uint8_t(60 + beat % 5 * 2), 100}).Raw(50, {0x80, 60, 0});
    tune.End();
    return dir.Write("tune.mid", smf::File(100, {tempo, tune}));
}

} // namespace

TEST(GameCore, WhatTheGameReportsReachesEveryFollowerAndOneThatLeftHearsNoMore)
{
    smf::TempDir dir;
    TGameHarness h;
    h.Core().ChooseSong(ShortSong(dir));
    ASSERT_TRUE(h.Messages().isEmpty()) << h.Messages().join("\n").toStdString();
    TGripGame& game = *h.Game();
    std::map<std::string, int> heard;
    std::vector<TSubscription> following;
    following.push_back(game.OnStarted.Subscribe([&] { ++heard["started"]; }));
    following.push_back(game.PlayerOne->Scoring->OnJudged.Subscribe([&](const TPrize&, bool) { ++heard["judged"]; }));
    following.push_back(game.PlayerOneStress()->OnForce.Subscribe([&](std::uint8_t, std::int32_t) { ++heard["force"]; }));
    following.push_back(game.OnSongEnded.Subscribe([&] { ++heard["ended"]; }));
    following.push_back(h.Core().GripBall->OnBallLost.Subscribe([&](int) { ++heard["lost"]; }));
    following.push_back(h.Core().GripBall->OnPlayerBall.Subscribe([&](TStressValue&) { ++heard["ball"]; }));

    h.SetForce(12);
    h.PressStart();
    EXPECT_TRUE(h.Core().Training->Playing()) << "the training no longer hears Start";
    ASSERT_TRUE(h.RunUntilSongEnds(20000));
    h.RunMs(10);
    EXPECT_EQ(heard["started"], 1);
    EXPECT_EQ(heard["ended"], 1);
    EXPECT_GT(heard["force"], 1000);
    ASSERT_GT(heard["judged"], 0);
    // Beside this follower, the debug form logged every judgement and the training ended its
    // game with the song.
    EXPECT_EQ(h.MemoLines().size(), heard["judged"]);
    EXPECT_TRUE(h.Core().Training->Results().startsWith("Results of tune.mid")) << h.Core().Training->Results().toStdString();

    // The debug form shows player one's ball, and the designed values once it has gone.
    EXPECT_EQ(h.Debug().edtDevOneVid->text() + ":" + h.Debug().edtDevOnePid->text(), "1209:0001");
    h.Bus().Unplug(h.Ball());
    EXPECT_EQ(heard["lost"], 1);
    EXPECT_EQ(heard["ball"], 1);
    EXPECT_EQ(h.Debug().edtDevOneVid->text() + ":" + h.Debug().edtDevOnePid->text(), "1234:5678");

    following.clear();
    h.PressStart();
    h.RunMs(2000);
    EXPECT_EQ(heard["started"], 1);
    EXPECT_TRUE(h.Core().Training->Playing());
}
