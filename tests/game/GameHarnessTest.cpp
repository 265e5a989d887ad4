#include "support/GameHarness.h"

#include "core/GameCore.h"
#include "game/GripGame.h"
#include "hid/HidControllerClass.h"
#include "midi/MidiPlayer.h"
#include "shell/Globals.h"
#include "shell/ScreenForm.h"

#include <gtest/gtest.h>

#include <cstdio>
#include <vector>

namespace {

// Frames fall 12 ms of song after each multiple of 100 ms, so that runs repeat exactly. Balls
// move under 15 pixels a frame through a 19-pixel window: each is judged on one or two frames.
constexpr int kFramePhase = 12;

int KindLevel(const TPrize* ball)
{
    if (dynamic_cast<const TRedBall*>(ball))
        return 6;
    if (dynamic_cast<const TYellowBall*>(ball))
        return 1;
    if (dynamic_cast<const TBlueBall*>(ball))
        return 3;
    return 0;
}

// A player who watches both lanes: shortly before each frame, if a ball is about to be
// judged, grips from a released ball up to the level that ball wants (red wins over yellow
// when both lanes bring one), and lets go in between.
class TGoodPlayer {
public:
    explicit TGoodPlayer(TGameHarness& h) : h_(h) {}

    std::uint8_t operator()()
    {
        const int toFrame = h_.MsToNextFrame();
        if (toFrame == 8)
            target_ = Wanted();
        if (toFrame > 8 || target_ == 0)
            return 0;
        if (toFrame == 8)
            return 5;  // a reading of 1 on the way up opens the gate
        return std::uint8_t(target_ * 5);
    }

private:
    int Wanted() const
    {
        int level = 0;
        for (TPipeLine* lane : {(TPipeLine*)h_.Game()->PlayerOne->Lane, (TPipeLine*)h_.Game()->PlayerTwo->Lane})
            for (TPrize* ball : lane->Balls)
                if (ball && ball->Visible && ball->X > 262 && ball->X < 284) {
                    const int want = KindLevel(ball);
                    if (want == 6 || (want == 1 && level != 6) || (want == 3 && level == 0))
                        level = want;
                }
        return level;
    }

    TGameHarness& h_;
    int target_ = 0;
};

// Balls of both lanes that have come as far as the judging window.
int BallsReachingTheMark(TGripGame& game)
{
    int n = 0;
    for (TPipeLine* lane : {(TPipeLine*)game.PlayerOne->Lane, (TPipeLine*)game.PlayerTwo->Lane})
        for (TPrize* ball : lane->Balls)
            n += ball && ball->X > 275 - 10;
    return n;
}

// Balls of both lanes that some frame has judged.
int JudgedBalls(TGripGame& game)
{
    int n = 0;
    for (TPipeLine* lane : {(TPipeLine*)game.PlayerOne->Lane, (TPipeLine*)game.PlayerTwo->Lane})
        for (TPrize* ball : lane->Balls)
            n += ball && ball->Judged;
    return n;
}

// Balls of both lanes that a level can catch (chain and stool balls never are).
int CatchableBalls(TGripGame& game)
{
    int n = 0;
    for (TPipeLine* lane : {(TPipeLine*)game.PlayerOne->Lane, (TPipeLine*)game.PlayerTwo->Lane})
        for (TPrize* ball : lane->Balls)
            n += ball && KindLevel(ball) > 0;
    return n;
}

// The bit index each ball of player one's lane was laid out for, in layout order.
std::vector<int> LaidOutIndices(TGripGame& game)
{
    std::vector<int> indices;
    for (int i : game.Metronome->Marks().SetBits())
        indices.push_back(i);
    indices.resize(game.PlayerOne->Lane->Balls.size());
    return indices;
}

} // namespace

TEST(GameHarness, StartUpFindsTheBallAndBuildsTheGame)
{
    TGameHarness h;
    ASSERT_TRUE(h.Core().StartUpComplete()) << h.Messages().join("\n").toStdString();
    ASSERT_NE(h.Game(), nullptr);
    EXPECT_EQ(PlayerOneStressValue()->Device, GripDevice());
    ASSERT_NE(GripDevice(), nullptr);
    EXPECT_TRUE(GripDevice()->CheckedOut());
    // Found: one zero output report written.
    EXPECT_EQ(h.Ball()->WrittenReports(), (std::vector<std::vector<uint8_t>>{{0, 0}}));
    EXPECT_NE(SharedExplode(), nullptr);
    EXPECT_NE(SharedOk(), nullptr);
    EXPECT_EQ(h.Screen().Edit1->text(), "Edit1");
    h.SetEasyMode(true);
    h.SetForce(17);
    h.Tick();
    EXPECT_EQ(h.Screen().Edit1->text(), "3");
    EXPECT_TRUE(h.Game()->PlayerOne->Lane->BackPipe->Visible);
    EXPECT_TRUE(h.Messages().isEmpty()) << h.Messages().join("\n").toStdString();
}

TEST(GameHarness, WithoutABallStartUpCompletesAndTheLevelStaysZero)
{
    TGameHarness::TOptions options;
    options.PlugBall = false;
    TGameHarness h(options);
    ASSERT_TRUE(h.Core().StartUpComplete());
    EXPECT_EQ(PlayerOneStressValue()->Device, nullptr);
    h.RunMs(10);
    EXPECT_EQ(h.Screen().Edit1->text(), "0");
}

TEST(GameHarness, MissingPictureFileEndsStartUpWithItsMessage)
{
    TGameHarness::TOptions options;
    options.MissingFile = "Gesture.dxg";
    TGameHarness h(options);
    EXPECT_FALSE(h.Core().StartUpComplete());
    EXPECT_EQ(h.Messages(), QStringList{QString::fromUtf8("無法載入Gesture檔")});
    EXPECT_EQ(h.Game(), nullptr);
    // Tick, frame and buttons find no game and do nothing.
    h.PressStart();
    h.RunMs(200);
    EXPECT_FALSE(h.Playing());
    EXPECT_EQ(h.Messages().size(), 1);
}

TEST(GameHarness, ABallReachesTheMarkAndIsHitAtTheRightLevel)
{
    TGameHarness h;
    h.PressStart();
    ASSERT_TRUE(h.Playing());
    h.AlignFrames(kFramePhase);
    TPrize* first = h.Game()->PlayerOne->Lane->Balls.at(0);
    const double start = first->X;
    TGoodPlayer player(h);
    h.SetGrip([&] { return player(); });
    // The first ball stands 500 song ticks of the mark's way behind its own position.
    while (!first->Judged && h.Now() < 60'000)
        h.Step();
    ASSERT_TRUE(first->Judged);
    EXPECT_GT(first->X, start);
    EXPECT_GT(first->X, 265);
    EXPECT_LT(first->X, 285);
    EXPECT_TRUE(first->Fading) << "level " << h.Level();
    EXPECT_GE(h.Hits(), 1);
    EXPECT_GE(h.Combo(), 1);
    EXPECT_GE(h.Score(), 50);
    ASSERT_FALSE(h.MemoLines().isEmpty());
    EXPECT_TRUE(h.MemoLines().first().startsWith("Value :"));
    // The song is heard: notes went to device 0.
    EXPECT_FALSE(h.Midi().Messages().empty());
}

TEST(GameHarness, AWholeSongGrippedWellEndsHighAndWithALongCombo)
{
    TGameHarness h;
    h.PressStart();
    h.AlignFrames(kFramePhase);
    TGoodPlayer player(h);
    int longestCombo = 0;
    h.SetGrip([&] {
        longestCombo = std::max(longestCombo, h.Combo());
        return player();
    });
    ASSERT_TRUE(h.RunUntilSongEnds(400'000));
    const QStringList memo = h.MemoLines();
    ASSERT_FALSE(memo.isEmpty());
    const int last = memo.last().mid(7).toInt();
    EXPECT_GE(last, 100) << memo.last().toStdString();
    // Both lanes credit player one, so the percentage passes 100; the tens digit stops at 9
    // and the ones digit goes on showing the last figure.
    EXPECT_EQ(h.PercentShown(), 90 + last % 10);
    EXPECT_GE(longestCombo, 10);
    EXPECT_EQ(JudgedBalls(*h.Game()), BallsReachingTheMark(*h.Game()));
    EXPECT_GE(memo.size(), BallsReachingTheMark(*h.Game()));
    EXPECT_GE(h.Hits(), CatchableBalls(*h.Game()) * 3 / 4);
    std::printf("hits %d of %d catchable, %d judged, last %s, longest combo %d\n", h.Hits(),
                CatchableBalls(*h.Game()), int(memo.size()), qPrintable(memo.last()), longestCombo);
    EXPECT_EQ(h.Score(), h.Hits() * 50);
    EXPECT_EQ(h.HitSounds(), h.Hits());
    EXPECT_TRUE(h.Messages().isEmpty()) << h.Messages().join("\n").toStdString();
}

// Frames come when the machine gets round to them, at any phase against the song and often
// late. Each ball must still stand inside the judging window on some frame, or it passes the
// mark counting for nothing, however well the player grips.
TEST(GameHarness, EveryBallIsJudgedWhateverTheFramePhaseAndLateFrames)
{
    struct TFrames {
        int phase;
        int interval;
    };
    for (const TFrames frames : {TFrames{0, 100}, {25, 100}, {50, 100}, {75, 100}, {0, 110}, {55, 110}, {30, 120}}) {
        SCOPED_TRACE(testing::Message() << "frames every " << frames.interval << " ms at phase " << frames.phase);
        TGameHarness h;
        h.SetFrameInterval(frames.interval);
        h.PressStart();
        h.AlignFrames(frames.phase);
        TGoodPlayer player(h);
        h.SetGrip([&] { return player(); });
        ASSERT_TRUE(h.RunUntilSongEnds(400'000));
        int balls = 0;
        // Song positions at which the balls that no frame judged stood on the mark.
        std::vector<double> unjudged;
        for (TPipeLine* lane : {(TPipeLine*)h.Game()->PlayerOne->Lane, (TPipeLine*)h.Game()->PlayerTwo->Lane})
            for (TPrize* ball : lane->Balls) {
                ++balls;
                if (!ball->Judged)
                    unjudged.push_back(h.LastSongPosition() - (ball->X - 275));
            }
        EXPECT_GE(balls, 2 * 150);
        EXPECT_TRUE(unjudged.empty()) << unjudged.size() << " of " << balls << " balls never judged, the first on the mark at "
                                      << unjudged.front();
        // Each judgement is one memo line; a ball may be judged on two frames, never on none.
        EXPECT_GE(h.MemoLines().size(), balls);
        EXPECT_LE(h.MemoLines().size(), 2 * balls);
        EXPECT_TRUE(h.Messages().isEmpty()) << h.Messages().join("\n").toStdString();
    }
}

TEST(GameHarness, AWholeSongUntouchedEndsAtZeroWithEveryJudgementLogged)
{
    TGameHarness h;
    h.PressStart();
    h.AlignFrames(kFramePhase);
    h.SetForce(0);
    ASSERT_TRUE(h.RunUntilSongEnds(400'000));
    const QStringList memo = h.MemoLines();
    // One line per judgement: every ball at least once, none more than twice.
    EXPECT_EQ(JudgedBalls(*h.Game()), BallsReachingTheMark(*h.Game()));
    EXPECT_GE(memo.size(), BallsReachingTheMark(*h.Game()));
    EXPECT_LE(memo.size(), 2 * BallsReachingTheMark(*h.Game()));
    EXPECT_GT(memo.size(), 100);
    EXPECT_EQ(memo.count("Value :0"), memo.size());
    EXPECT_EQ(h.Hits(), 0);
    EXPECT_EQ(h.Combo(), 0);
    EXPECT_EQ(h.PercentShown(), 0);
    EXPECT_EQ(h.HitSounds(), 0);
}

TEST(GameHarness, PauseAndResumeKeepTheBallsInStepWithTheSong)
{
    TGameHarness h;
    h.PressStart();
    h.RunMs(3000);
    h.PressPause();
    EXPECT_FALSE(h.Playing());
    const double x = h.Game()->PlayerOne->Lane->Balls.at(5)->X;
    h.RunMs(2000);
    EXPECT_EQ(h.Game()->PlayerOne->Lane->Balls.at(5)->X, x);
    EXPECT_FALSE(h.Game()->PlayerOne->Figures->Figure->Timer().isActive());
    h.PressResume();
    EXPECT_TRUE(h.Playing());
    h.RunMs(3001);
    // Every ball stands where the song position puts it: laid out at 775 - index.
    std::int32_t bar = 0, beat = 0, tick = 0;
    h.Core().MidiPlayer->GetBarBeatTick(bar, beat, tick);
    const std::int32_t position = TGripGame::SongPosition(bar, beat, tick);
    EXPECT_EQ(position, h.LastSongPosition());
    EXPECT_GT(position, 800);  // six seconds of play
    const std::vector<int> indices = LaidOutIndices(*h.Game());
    for (size_t j = 0; j < indices.size(); ++j)
        ASSERT_DOUBLE_EQ(h.Game()->PlayerOne->Lane->Balls[j]->X, 775 - indices[j] + position) << j;
    // The figures stay still until the next Start.
    EXPECT_FALSE(h.Game()->PlayerOne->Figures->Figure->Timer().isActive());
}

TEST(GameHarness, EasyModeCountsAHeldGripThatTheGateWouldNot)
{
    int hits[2] = {};
    for (bool easy : {false, true}) {
        TGameHarness h;
        h.SetEasyMode(easy);
        h.SetForce(15);
        h.PressStart();
        h.AlignFrames(kFramePhase);
        h.RunMs(20'000);
        hits[easy] = h.Hits();
        EXPECT_EQ(h.Level(), easy ? 3 : 0);
        EXPECT_FALSE(PlayerTwoStressValue()->Easy);
    }
    EXPECT_EQ(hits[0], 0);
    EXPECT_GT(hits[1], 5);
}

TEST(GameHarness, OnlyBlueAndSmallShiftReachTheLanesWhenTheyChange)
{
    TGameHarness h;
    h.SetOnlyBlue(true);
    h.PressStart();
    int balls = 0;
    for (TPipeLine* lane : {(TPipeLine*)h.Game()->PlayerOne->Lane, (TPipeLine*)h.Game()->PlayerTwo->Lane})
        for (TPrize* ball : lane->Balls) {
            ++balls;
            EXPECT_TRUE(dynamic_cast<TBlueBall*>(ball) || dynamic_cast<TFeces*>(ball)) << ball->Ordinal;
        }
    EXPECT_GT(balls, 100);
    h.RunMs(1000);
    TPrize* ball = h.Game()->PlayerOne->Lane->Balls.at(0);
    const double x = ball->X;
    const std::int32_t position = h.LastSongPosition();
    // Ticked during play: the balls go on at half their speed.
    h.SetSmallShift(true);
    h.RunMs(1000);
    ASSERT_GT(h.LastSongPosition(), position);
    EXPECT_DOUBLE_EQ(ball->X - x, (h.LastSongPosition() - position) * 0.5);
}

TEST(GameHarness, StartPressedAgainLaysOutAnewWhileTheSongGoesOn)
{
    TGameHarness h;
    h.PressStart();
    h.RunMs(1000);
    const std::int32_t before = h.LastSongPosition();
    TPrize* old = h.Game()->PlayerOne->Lane->Balls.at(0);
    h.PressStart();
    EXPECT_TRUE(h.Playing());
    EXPECT_NE(h.Game()->PlayerOne->Lane->Balls.at(0), old);
    h.RunMs(100);
    EXPECT_GT(h.LastSongPosition(), before);  // not restarted
}

TEST(GameHarness, StartAfterTheSongsEndPlaysItAgainFromItsBeginningWithTheBallsInStep)
{
    TGameHarness h;
    h.PressStart();
    h.RunMs(2000);
    h.PressPause();
    const std::int32_t paused = h.LastSongPosition();
    ASSERT_GT(paused, 0);
    // Stopped before its end, the song goes on where it stood.
    h.PressStart();
    h.RunMs(1000);
    EXPECT_GT(h.LastSongPosition(), paused);

    ASSERT_TRUE(h.RunUntilSongEnds(400'000));
    const std::int32_t end = h.LastSongPosition();
    const size_t heard = h.Midi().Messages().size();
    h.PressStart();
    EXPECT_TRUE(h.Playing());
    h.RunMs(3000);
    EXPECT_TRUE(h.Playing());
    EXPECT_GT(h.Midi().Messages().size(), heard) << "the song is not heard again";
    std::int32_t bar = 0, beat = 0, tick = 0;
    h.Core().MidiPlayer->GetBarBeatTick(bar, beat, tick);
    const std::int32_t position = TGripGame::SongPosition(bar, beat, tick);
    EXPECT_EQ(h.LastSongPosition(), position);
    EXPECT_GT(position, 0);
    EXPECT_LT(position, end / 10);
    // The new balls stand where the song's new position puts them.
    const std::vector<int> indices = LaidOutIndices(*h.Game());
    ASSERT_FALSE(indices.empty());
    for (size_t j = 0; j < indices.size(); ++j)
        ASSERT_DOUBLE_EQ(h.Game()->PlayerOne->Lane->Balls[j]->X, 775 - indices[j] + position) << j;
}

TEST(GameHarness, UnpluggingTheBallStopsReadingAndReplugConnectsItAgain)
{
    TGameHarness h;
    h.SetEasyMode(true);
    h.SetForce(20);
    h.Tick();
    EXPECT_EQ(h.Level(), 4);
    h.Bus().Unplug(h.Ball());
    EXPECT_EQ(PlayerOneStressValue()->Device, nullptr);
    EXPECT_EQ(GripDevice(), nullptr);
    EXPECT_EQ(h.Core().UsbHids->NumUnpluggedDevices(), 0);
    h.Tick();
    EXPECT_EQ(h.Level(), 4);  // nothing read any more
    auto again = h.Bus().PlugGripBall();
    EXPECT_NE(GripDevice(), nullptr);
    EXPECT_TRUE(GripDevice()->CheckedOut());
    ASSERT_EQ(PlayerOneStressValue()->Device, GripDevice());
    again->SetForce(10);
    h.Tick();
    EXPECT_EQ(h.Level(), 2) << "the ball plugged back in is not read";
    // Pulled out again, it is given back like the first one, not left taken.
    h.Bus().Unplug(again);
    EXPECT_EQ(PlayerOneStressValue()->Device, nullptr);
    EXPECT_EQ(h.Core().UsbHids->NumUnpluggedDevices(), 0);
    EXPECT_TRUE(h.Messages().isEmpty()) << h.Messages().join("\n").toStdString();
}

TEST(GameHarness, TwoBallsAreBothTakenAndTheLastOneIsPlayed)
{
    TGameHarness h;
    auto second = h.Bus().PlugGripBall();
    EXPECT_EQ(h.Core().UsbHids->NumCheckedOutDevices(), 2);
    EXPECT_EQ(GripDevice()->DevicePath(), second->Path());
    // Player one keeps the ball it was given at start-up.
    EXPECT_EQ(PlayerOneStressValue()->Device->DevicePath(), h.Ball()->Path());
    // The other ball is player two's: unplugged, it is given back, so that a later rescan that
    // finds the same devices is no change (player one's ball is not greeted again).
    h.Bus().Unplug(second);
    EXPECT_EQ(h.Core().UsbHids->NumUnpluggedDevices(), 0);
    const size_t greetings = h.Ball()->WrittenReports().size();
    h.Bus().Announce();
    EXPECT_EQ(h.Ball()->WrittenReports().size(), greetings);
    EXPECT_NE(PlayerOneStressValue()->Device, nullptr);
    h.SetEasyMode(true);
    h.SetForce(10);
    h.Tick();
    EXPECT_EQ(h.Level(), 2);
}

TEST(GameHarness, NearMissProductNameIsNotTheBall)
{
    TGameHarness::TOptions options;
    options.PlugBall = false;
    TGameHarness h(options);
    THidSimulatedDeviceConfig config;
    config.Product = "Kneadle Ball";
    auto other = h.Bus().Plug(config);
    EXPECT_EQ(GripDevice(), nullptr);
    EXPECT_TRUE(other->WrittenReports().empty());
    h.Bus().Unplug(other);  // not player one's: nothing happens here
    EXPECT_TRUE(h.Messages().isEmpty());
}

TEST(GameHarness, FailingBallShowsTheHidErrorAndTheTicksGoOn)
{
    TGameHarness h;
    h.PressStart();
    h.Ball()->SetFailReads(true);
    h.RunMs(50);
    EXPECT_EQ(h.Messages(), QStringList{"HidClient Error: a boolean function failed"});
    // The failed read is reported, yet the lanes still follow the song on every tick.
    EXPECT_TRUE(h.Playing());
    std::int32_t bar = 0, beat = 0, tick = 0;
    h.Core().MidiPlayer->GetBarBeatTick(bar, beat, tick);
    const std::int32_t position = TGripGame::SongPosition(bar, beat, tick);
    EXPECT_GT(position, 0);
    EXPECT_EQ(h.LastSongPosition(), position);
    const std::vector<int> indices = LaidOutIndices(*h.Game());
    ASSERT_FALSE(indices.empty());
    EXPECT_DOUBLE_EQ(h.Game()->PlayerOne->Lane->Balls[0]->X, 775 - indices[0] + position);
    // Reads that work again move the level as before.
    h.Ball()->SetFailReads(false);
    h.SetEasyMode(true);
    h.SetForce(15);
    h.RunMs(5);
    EXPECT_EQ(h.Level(), 3);
    EXPECT_EQ(h.Messages().size(), 1) << h.Messages().join("\n").toStdString();
}

TEST(GameHarness, SilentBallNeverHoldsTheTick)
{
    TGameHarness h;
    h.SetEasyMode(true);
    h.SetForce(25);
    h.Tick();
    h.SilenceBall();
    h.PressStart();
    h.RunMs(1000);
    EXPECT_EQ(h.Level(), 5);
    EXPECT_GT(h.LastSongPosition(), 100);
}

TEST(GameHarness, TempoSliderSlowsTheSong)
{
    std::int32_t reached[2] = {};
    for (int percent : {100, 50}) {
        TGameHarness h;
        h.SetTempo(percent);
        EXPECT_EQ(h.Core().MidiPlayer->TempoPercent(), percent);
        h.PressStart();
        h.RunMs(2000);
        reached[percent == 50] = h.LastSongPosition();
    }
    EXPECT_GT(reached[0], 250);
    EXPECT_NEAR(reached[1], reached[0] / 2, 2);
}

TEST(GameHarness, StartWithoutBeatMapShowsTheMessageAndPlaysNothing)
{
    TGameHarness::TOptions options;
    options.MissingFile = "Fine.txt";
    TGameHarness h(options);
    ASSERT_TRUE(h.Core().StartUpComplete());
    h.PressStart();
    EXPECT_EQ(h.Messages(), QStringList{QString::fromStdString("Cannot open file " + h.DataDirectory() + "Fine.txt")});
    EXPECT_FALSE(h.Playing());
    EXPECT_TRUE(h.Game()->PlayerOne->Figures->Figure->Timer().isActive());
    EXPECT_TRUE(h.Game()->PlayerOne->Lane->Balls.empty());
    h.RunMs(500);
    EXPECT_EQ(h.LastSongPosition(), 0);
}
