// The training on the whole program: what a played game puts into the record, the results on
// the surface, and a ball calibrated through the game.
#include "support/GameHarness.h"

#include "core/GameCore.h"
#include "game/GripGame.h"
#include "game/KeyGrip.h"
#include "hid/simulated/HidSimulatedBus.h"
#include "midi/MidiPlayer.h"
#include "shell/ScreenForm.h"
#include "training/CalibrationStore.h"
#include "training/Training.h"

#include <QDir>
#include <QFile>

#include <gtest/gtest.h>

#include <algorithm>
#include <functional>
#include <vector>

namespace {

void Report(THidSimulatedDevice& ball, std::uint8_t force) { ball.QueueInput({0, force, 0, 0, 0, 0, 0, 0, 0}); }

QString RecordPath(const TGameHarness& h) { return h.UserFolder() + "/data/griprhythm/training.csv"; }

QStringList RecordLines(const TGameHarness& h)
{
    QFile file(RecordPath(h));
    if (!file.open(QIODevice::ReadOnly))
        return {};
    return QString::fromUtf8(file.readAll()).split('\n', Qt::SkipEmptyParts);
}

// A hand that squeezes every 300 ms, rising from a light touch to a little harder each time
// (up to 120, then lightly again), and tells what it did while the song played, as the record
// should count it: a grip is a rise past reading 1 (force 10).
class TSqueezer {
public:
    explicit TSqueezer(TGameHarness& h) : h_(h) {}

    std::uint8_t operator()()
    {
        const int phase = int(t_++ % 300);
        const int target = 40 + 20 * (squeezes_ % 5);
        const std::uint8_t force = phase < 150 ? 0 : std::uint8_t(std::min(target, 6 + 2 * (phase - 150)));
        if (phase == 299)
            ++squeezes_;
        if (h_.Playing()) {
            if (force >= 10 && !gripping_) {
                ++Grips;
                Peaks.push_back(target);
            }
            gripping_ = force >= 10;
            Peak = std::max<int>(Peak, force);
        }
        return force;
    }

    int Grips = 0, Peak = 0;
    std::vector<int> Peaks;

private:
    TGameHarness& h_;
    std::int64_t t_ = 0;
    int squeezes_ = 0;
    bool gripping_ = false;
};

struct TBallCount {
    int Met = 0, Hit = 0;
};

TBallCount CountBalls(TGripGame& game, bool laneOne, bool laneTwo)
{
    TBallCount count;
    for (auto [lane, counted] : {std::pair{(TPipeLine*)game.PlayerOne->Lane, laneOne},
                                 std::pair{(TPipeLine*)game.PlayerTwo->Lane, laneTwo}})
        for (TPrize* ball : lane->Balls)
            if (counted && ball) {
                count.Met += ball->Judged;
                count.Hit += ball->Fading;
            }
    return count;
}

} // namespace

TEST(TrainingGame, APlayedGameGoesIntoTheRecordWithEveryColumnRight)
{
    TGameHarness::TOptions options;
    options.PlugBall = false;
    TGameHarness h(options);
    auto ball = h.Bus().PlugGripBall("GR-0042");
    TTraining& training = *h.Core().Training;
    const QDateTime started(QDate(2025, 3, 14), QTime(9, 26, 53), Qt::OffsetFromUTC, 3600);
    training.Now = [&] { return started; };
    h.SetTempo(80);
    h.SetOnlyBlue(true);

    // Less than a second of play is no game: nothing is written anywhere.
    h.PressStart();
    h.RunMs(500);
    h.PressStart();
    EXPECT_TRUE(QDir(h.UserFolder()).entryList(QDir::NoDotAndDotDot | QDir::AllEntries).isEmpty());

    TSqueezer hand(h);
    int longestCombo = 0;
    auto play = [&](int ms) {
        for (int i = 0; i < ms; ++i) {
            Report(*ball, hand());
            longestCombo = std::max(longestCombo, h.Combo());
            h.Step();
        }
    };
    play(20000);
    h.PressPause();
    play(3000);  // squeezes while paused are no part of the game
    h.PressResume();
    play(10000);
    const TBallCount balls = CountBalls(*h.Game(), true, true);
    const int hits = h.Hits();
    ASSERT_GT(balls.Met, 10);
    ASSERT_GT(hits, 0);
    ASSERT_LT(balls.Hit, balls.Met);
    const QString percent = h.MemoLines().last().mid(7);
    double mean = 0;
    for (int peak : hand.Peaks)
        mean += peak;
    mean /= double(hand.Peaks.size());
    h.PressStart();  // the next Start ends it

    const QStringList lines = RecordLines(h);
    ASSERT_EQ(lines.size(), 2) << lines.join('\n').toStdString();
    const QStringList expected = {"2025-03-14T09:26:53+01:00", "invincible.mid", "1", "GR-0042",
                                  "30.0", "80", "0", "1", "0",
                                  QString::number(balls.Met), QString::number(balls.Hit), QString::number(hits),
                                  percent, QString::number(longestCombo), QString::number(hits * 50),
                                  QString::number(hand.Grips), QString::number(hand.Peak),
                                  QString::number(mean, 'f', 1), "", "", "map", "game", "", "", "", "", ""};
    EXPECT_EQ(lines[1].split(',').join('\n').toStdString(), expected.join('\n').toStdString());
    EXPECT_GE(hand.Grips, 95);
    EXPECT_EQ(hand.Peak, 120);
    // A game ended by Start shows no results; nothing went to the configuration folder.
    EXPECT_TRUE(training.Results().isEmpty());
    EXPECT_FALSE(QDir(h.UserFolder() + "/config").exists());
}

TEST(TrainingGame, TwoPlayersGiveTwoLinesAndTheResultsSayHowEachWentSinceLastTime)
{
    TGameHarness::TOptions options;
    options.PlugBall = false;
    TGameHarness h(options);
    auto one = h.Bus().PlugGripBall("GR-0001");
    auto two = h.Bus().PlugGripBall("GR-0002");
    ASSERT_TRUE(h.Game()->PlayerOneStress()->Device && h.Game()->PlayerTwoStress()->Device);
    TSqueezer handOne(h), handTwo(h);
    // Player two's hand lags behind, and the second time player one's hand rests more.
    auto playSong = [&](int restOne) {
        h.PressStart();
        for (int ms = 0; ms < 400'000 && h.Playing(); ++ms) {
            const std::uint8_t forceOne = handOne();
            Report(*one, ms % 3000 < restOne ? 0 : forceOne);
            Report(*two, ms % 1200 < 600 ? 0 : handTwo());
            h.Step();
        }
        ASSERT_FALSE(h.Playing());
        h.Frame();
    };

    playSong(0);
    const QString results = h.Core().Training->Results();
    EXPECT_TRUE(results.startsWith("Results of invincible.mid\nPlayer 1: ")) << results.toStdString();
    EXPECT_TRUE(results.contains("\nPlayer 2: ")) << results.toStdString();
    EXPECT_EQ(results.count("First game of this song."), 2) << results.toStdString();
    QStringList lines = RecordLines(h);
    ASSERT_EQ(lines.size(), 3);
    const QStringList first = lines[1].split(','), second = lines[2].split(',');
    EXPECT_EQ(first[2] + first[3], "1GR-0001");
    EXPECT_EQ(second[2] + second[3], "2GR-0002");
    EXPECT_EQ(first[0], second[0]);
    // Each player's hits are its own marker's, each one judged on its own lane.
    EXPECT_EQ(first[11].toInt(), h.Game()->PlayerOne->Marker->Hits);
    EXPECT_EQ(second[11].toInt(), h.Game()->PlayerTwo->Marker->Hits);
    EXPECT_EQ(first[9].toInt(), CountBalls(*h.Game(), true, false).Met);
    EXPECT_EQ(second[9].toInt(), CountBalls(*h.Game(), false, true).Met);
    EXPECT_GT(first[4].toDouble(), 150);

    playSong(1500);
    lines = RecordLines(h);
    ASSERT_EQ(lines.size(), 5);
    const QStringList again = lines[3].split(',');
    const int change = again[12].toInt() - first[12].toInt();
    ASSERT_LT(change, 0);
    const QString now = h.Core().Training->Results();
    auto signed_ = [](int n) { return (n >= 0 ? "+" : "") + QString::number(n); };
    EXPECT_TRUE(now.contains(QString("Since last time: %1 %, %2 grips, peak %3")
                                 .arg(signed_(change), signed_(again[15].toInt() - first[15].toInt()),
                                      signed_(again[16].toInt() - first[16].toInt()))))
        << now.toStdString();
    EXPECT_EQ(now.count("Since last time: "), 2) << now.toStdString();

    // The next Start takes the results down.
    h.PressStart();
    h.Frame();
    EXPECT_TRUE(h.Core().Training->Results().isEmpty());
    EXPECT_FALSE(h.Screen().Results.Up());
}

TEST(TrainingGame, APlayerByNameIsRecordedSoAndComparedWithTheirOwnGamesUnderAnyName)
{
    TGameHarness h;
    TGameCore& core = h.Core();
    // Someone else's game in the same lane, unnamed, before.
    TGameRecord before;
    before.Started = QDateTime::currentDateTime().addDays(-1);
    before.Song = "invincible.mid";
    before.Input = "keyboard";
    before.Seconds = 100;
    ASSERT_TRUE(core.Training->Log().Append({before}));
    auto playSong = [&] {
        h.PressStart();
        for (int ms = 0; ms < 400'000 && h.Playing(); ++ms)
            h.Step();
        EXPECT_FALSE(h.Playing());
        h.Frame();
        return h.Core().Training->Results();
    };

    core.ChoosePlayerNamed(0, "Ann");
    QString results = playSong();
    EXPECT_TRUE(results.contains("\nAnn: ")) << results.toStdString();
    EXPECT_FALSE(results.contains("Player 1")) << results.toStdString();
    EXPECT_TRUE(results.contains("First game of this song.")) << results.toStdString();

    core.RenamePlayer(core.ChosenPlayer(0)->Id, "Anna");
    EXPECT_EQ(core.ChosenPlayer(0)->Name(), "Anna");
    results = playSong();
    EXPECT_TRUE(results.contains("\nAnna: ")) << results.toStdString();
    EXPECT_TRUE(results.contains("Since last time: ")) << results.toStdString();

    const QStringList lines = RecordLines(h);
    ASSERT_EQ(lines.size(), 4);
    EXPECT_EQ(lines[1].split(',').at(19), "");
    EXPECT_EQ(lines[2].split(',').mid(19, 3), QStringList({"Ann", "map", "game"}));
    EXPECT_EQ(lines[3].split(',').at(19), "Anna");
    // The rename wrote nothing into the record, and the old name is the player's still.
    EXPECT_EQ(core.Players->NamesOf("ann"), QStringList({"Ann", "Anna"}));
}

TEST(TrainingGame, ACalibrationIsKeptForItsBallAndResetReturnsToTheGamesOwnScale)
{
    TGameHarness::TOptions options;
    options.PlugBall = false;
    TGameHarness h(options);
    auto ball = h.Bus().PlugGripBall("GR-0042");
    h.SetEasyMode(true);
    TTraining& training = *h.Core().Training;
    auto hold = [&](THidSimulatedDevice& b, int force, int ms) {
        for (int i = 0; i < ms; ++i) {
            Report(b, std::uint8_t(force));
            h.Step();
        }
    };
    auto level = [&](THidSimulatedDevice& b, int force) {
        hold(b, force, 2);
        return h.Level();
    };

    h.PressStart();
    hold(*ball, 0, 2000);
    training.Calibrate(0);
    EXPECT_FALSE(h.Playing()) << "calibrating pauses the song";
    h.Frame();
    EXPECT_TRUE(h.Screen().Notices.Text("calibration").startsWith("Calibrating player 1's ball: squeeze"));
    for (int peak : {110, 95, 100}) {
        hold(*ball, peak / 2, 50);
        hold(*ball, peak, 200);
        h.Frame();
        EXPECT_TRUE(!training.Fitting().Calibrating() ||
                    h.Screen().Notices.Text("calibration").contains(QString("this squeeze %1").arg(peak)));
        hold(*ball, 0, 200);
    }
    ASSERT_FALSE(training.Fitting().Calibrating());
    h.Frame();
    EXPECT_TRUE(h.Screen().Notices.Text("calibration").contains("level 6 comes from force 70"))
        << h.Screen().Notices.Text("calibration").toStdString();
    EXPECT_EQ(level(*ball, 69), 5);
    EXPECT_EQ(level(*ball, 70), 6);
    EXPECT_TRUE(QFile::exists(h.UserFolder() + "/config/griprhythm/calibration.conf"));

    // The same ball plugged in again is fitted again; another one plays on the game's own scale.
    h.Bus().Unplug(ball);
    auto stranger = h.Bus().PlugGripBall("GR-0099");
    EXPECT_EQ(level(*stranger, 30), 6);
    h.Bus().Unplug(stranger);
    ball = h.Bus().PlugGripBall("GR-0042");
    EXPECT_EQ(level(*ball, 69), 5);
    EXPECT_EQ(level(*ball, 70), 6);

    // The record says what the ball was fitted to.
    h.PressStart();
    hold(*ball, 0, 1500);
    h.PressStart();
    const QStringList lines = RecordLines(h);
    ASSERT_GE(lines.size(), 2);
    EXPECT_EQ(lines.last().split(',').at(18), "100") << lines.last().toStdString();

    training.ResetCalibration(0);
    EXPECT_EQ(level(*ball, 30), 6);
    h.Bus().Unplug(ball);
    ball = h.Bus().PlugGripBall("GR-0042");
    EXPECT_EQ(level(*ball, 30), 6);
    EXPECT_EQ(level(*ball, 29), 5);
}

TEST(TrainingGame, AGameOnTheBallFinishedOnTheKeysNamesBothAndTheBallsCalibration)
{
    TGameHarness::TOptions options;
    options.PlugBall = false;
    TGameHarness h(options);
    ASSERT_TRUE(TCalibrationStore(h.UserFolder() + "/config/griprhythm/calibration.conf").Save("GR-0042", 100));
    auto ball = h.Bus().PlugGripBall("GR-0042");
    h.PressStart();
    for (int ms = 0; ms < 2000; ++ms) {
        Report(*ball, ms % 400 < 200 ? 0 : 90);
        h.Step();
    }
    h.Bus().Unplug(ball);
    h.PressResume();
    h.Game()->Keys().Press(TGripKey::Light);
    h.RunMs(2000);
    h.PressStart();

    const QStringList lines = RecordLines(h);
    ASSERT_EQ(lines.size(), 2);
    const QStringList fields = lines[1].split(',');
    ASSERT_EQ(fields.size(), 27) << lines[1].toStdString();
    EXPECT_EQ(fields[3] + " " + fields[18], "GR-0042+keyboard 100+");
    EXPECT_EQ(ReadRecordFile(RecordPath(h)).Records.at(0).CalibratedPeaks,
              (std::vector<std::optional<int>>{100, std::nullopt}));
}
