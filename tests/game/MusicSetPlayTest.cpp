// Every song of Debian's openttd-openmsx set, and every song the game ships, opened in the game
// and played through to its end on the harness by a player who grips right for every ball: the
// beat map made for it must bring every ball to the mark on a melody note, in time to be judged
// before the song ends.
#include "support/GameHarness.h"

#include "core/GameCore.h"
#include "game/BeatMapMaker.h"
#include "game/GripGame.h"
#include "midi/SongImport.h"
#include "shell/ScreenForm.h"

#include <gtest/gtest.h>

#include <QDir>
#include <QFileInfo>

#include <algorithm>
#include <cmath>
#include <cstdio>
#include <map>
#include <string>
#include <vector>

namespace {

const QString MusicSet = QStringLiteral("/usr/share/games/openttd/baseset/openmsx");

int Wants(const TPrize* ball)
{
    if (dynamic_cast<const TRedBall*>(ball))
        return 6;
    if (dynamic_cast<const TYellowBall*>(ball))
        return 2;
    if (dynamic_cast<const TBlueBall*>(ball))
        return 4;
    return 0;  // chain and stool balls: never to be caught
}

std::vector<TPrize*> BallsOf(TGripGame& game)
{
    std::vector<TPrize*> balls;
    for (TPipeLine* lane : {(TPipeLine*)game.PlayerOne->Lane, (TPipeLine*)game.PlayerTwo->Lane})
        for (TPrize* ball : lane->Balls)
            if (ball)
                balls.push_back(ball);
    return balls;
}

// Grips for the balls that the next frame will judge, at a level they all want (a red and a
// yellow ball together cannot both be caught: red wins), from a release a few milliseconds
// before the frame, and lets go again after it, so that the gate opens each time.
class TRightGrip {
public:
    explicit TRightGrip(TGameHarness& h) : h_(h) {}

    std::uint8_t operator()()
    {
        const int toFrame = h_.MsToNextFrame();
        if (toFrame > 4)
            return 0;
        if (toFrame == 4) {
            bool red = false, yellow = false, blue = false;
            for (TPrize* ball : BallsOf(*h_.Game()))
                if (ball->Visible && std::abs(ball->X - 275) < 12) {
                    red = red || Wants(ball) == 6;
                    yellow = yellow || Wants(ball) == 2;
                    blue = blue || Wants(ball) == 4;
                }
            level_ = red ? 6 : yellow ? 2 : blue ? 4 : 0;
            return level_ ? 5 : 0;  // a reading of 1 on the way up opens the gate
        }
        return std::uint8_t(level_ * 5);
    }

private:
    TGameHarness& h_;
    int level_ = 0;
};

struct TResult {
    int balls = 0, judged = 0, catchable = 0, hit = 0, onMelody = 0, closest = 1 << 30;
};

TResult PlayThrough(const QString& song, int frameInterval)
{
    TGameHarness h;
    h.SetFrameInterval(frameInterval);
    h.Screen().OpenSong(song);
    EXPECT_TRUE(h.Messages().isEmpty()) << h.Messages().join("\n").toStdString();
    const TMelody melody = FindMelody(*h.Core().MidiData, std::nullopt, ImportSongFile(song.toStdString()).QuartersPerBeat);
    h.PressStart();
    h.AlignFrames(frameInterval / 2);
    TRightGrip grip(h);
    h.SetGrip([&] { return grip(); });

    TGripGame& game = *h.Game();
    const std::vector<TPrize*> balls = BallsOf(game);
    // Where each ball of player one's lane met the mark: the song position when it passed X 275.
    std::map<TPrize*, double> met;
    const auto& laneOne = game.PlayerOne->Lane->Balls;
    std::vector<double> lastX;
    for (TPrize* ball : laneOne)
        lastX.push_back(ball->X);
    const int limit = 20 * 60 * 1000;
    for (int ms = 0; ms < limit && h.Playing(); ++ms) {
        h.Step();
        for (std::size_t i = 0; i < laneOne.size(); ++i) {
            const double x = laneOne[i]->X;
            if (lastX[i] < 275 && x >= 275)
                met[laneOne[i]] = h.LastSongPosition() - (x - 275);
            lastX[i] = x;
        }
    }
    EXPECT_FALSE(h.Playing()) << "the song did not end";
    // The frames after the end judge what stands in the window.
    h.RunMs(300);

    TResult r;
    for (TPrize* ball : balls) {
        ++r.balls;
        r.judged += ball->Judged;
        if (Wants(ball)) {
            ++r.catchable;
            r.hit += ball->Fading;
        }
    }
    for (auto [ball, position] : met)
        r.onMelody += std::any_of(melody.Onsets.begin(), melody.Onsets.end(),
                                  [position](std::int32_t s) { return position >= s && position - s < 25; });
    // The highest mark closes the map and gets no ball.
    const std::vector<int> marks(game.Metronome->Marks().SetBits().begin(), game.Metronome->Marks().SetBits().end());
    for (std::size_t i = 1; i + 1 < marks.size(); ++i)
        r.closest = std::min(r.closest, marks[i] - marks[i - 1]);
    EXPECT_EQ(int(met.size()), int(laneOne.size())) << "balls of lane one that never met the mark";
    return r;
}

// The songs of a folder, as paths; under the sanitizers only those named in short.
std::vector<std::string> Songs(const QString& folder, std::initializer_list<const char*> sanitized)
{
    std::vector<std::string> songs;
    for (const QString& file : QDir(folder).entryList({"*.mid"}, QDir::Files, QDir::Name))
        songs.push_back((folder + '/' + file).toStdString());
#if defined(__SANITIZE_ADDRESS__) || defined(__SANITIZE_THREAD__)
    // Under the sanitizers a whole song takes a minute: short ones stand for the set, which the
    // Release run plays in full.
    std::erase_if(songs, [&](const std::string& s) {
        return std::none_of(sanitized.begin(), sanitized.end(),
                            [&](const char* name) { return QFileInfo(QString::fromStdString(s)).completeBaseName() == name; });
    });
#else
    (void)sanitized;
#endif
    if (songs.empty())
        songs.push_back((folder + "/missing.mid").toStdString());
    return songs;
}

std::string SongName(const testing::TestParamInfo<std::string>& info)
{
    return QFileInfo(QString::fromStdString(info.param)).completeBaseName().toStdString();
}

class MusicSetPlay : public testing::TestWithParam<std::string> {};

} // namespace

// Frames come every 100 ms, as the game judges: a song too fast for them would let its balls
// cross the 20-pixel judging window between two frames.
TEST_P(MusicSetPlay, EveryBallIsJudgedAndAlmostAllAreHitOnTheMelody)
{
    const QString song = QString::fromStdString(GetParam());
    ASSERT_TRUE(QFileInfo::exists(song)) << song.toStdString() << " is missing (scripts/deps installs the openttd-openmsx "
                                            "songs; the build writes the shipped ones)";
    const TResult r = PlayThrough(song, 100);
    std::printf("%-24s balls %4d judged %4d hit %4d of %4d (%5.1f %%) on the melody %5.1f %% closest %d\n",
                qPrintable(QFileInfo(song).completeBaseName()), r.balls, r.judged, r.hit, r.catchable, 100.0 * r.hit / r.catchable,
                100.0 * r.onMelody / (r.balls / 2), r.closest);
    EXPECT_EQ(r.judged, r.balls);
    EXPECT_GE(r.hit * 100, r.catchable * 95);
    EXPECT_GE(r.onMelody * 100, r.balls / 2 * 90);
    EXPECT_GE(r.closest, 50);
}

INSTANTIATE_TEST_SUITE_P(MusicSet, MusicSetPlay, testing::ValuesIn(Songs(MusicSet, {"5432gone_redfarn", "train_filled_with_cash"})),
                         SongName);
INSTANTIATE_TEST_SUITE_P(Shipped, MusicSetPlay, testing::ValuesIn(Songs(GRIP_BIN_DIR "songs", {"can_can"})), SongName);
