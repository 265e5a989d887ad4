#include "GameFixture.h"

#include "game/GripGame.h"
#include "hid/HidControllerClass.h"
#include "hid/simulated/HidSimulatedBus.h"
#include "platform/DataDirectoryOverride.h"

#include <QFile>
#include <QTemporaryDir>

#include <fstream>

namespace {

class TGripGameTest : public TGameFixture {
protected:
    void WriteBeatMap(const std::string& text)
    {
        std::ofstream(DataFile("Fine.txt"), std::ios::binary) << text;
    }

    QTemporaryDir Dir;
    TOverride Data = OverrideDataDirectory(Dir.path().toStdString() + "/");
};

} // namespace

TEST_F(TGripGameTest, ConstructionBuildsBothScreensPlayerOneFirst)
{
    TGripGame game;
    TGameRandom expected;
    for (std::uint32_t range : {5u, 4u, 3u, 5u, 4u, 3u})
        expected.Draw(range);
    EXPECT_EQ(GameRandom().State(), expected.State());
    EXPECT_EQ(game.PlayerOne->Figures->Toys[2]->Timer().interval(), 500);
    EXPECT_EQ(game.PlayerTwo->Figures->Toys[0]->Timer().interval(), 200);

    ASSERT_NE(game.PlayerOneStress(), nullptr);
    ASSERT_NE(game.PlayerTwoStress(), nullptr);
    EXPECT_EQ(game.PlayerOneMarker(), game.PlayerOne->Marker);
    EXPECT_TRUE(game.PlayerOne->Marker->Digits[5]->Visible);
    EXPECT_FALSE(game.PlayerTwo->Marker->Digits[0]->Visible);
    EXPECT_NE(game.PlayerOne->SongName, nullptr);
    EXPECT_EQ(game.PlayerOne->LevelHolder->Gesture->Y, 69);
    EXPECT_EQ(game.PlayerTwo->LevelHolder->Gesture->Y, 239);
    EXPECT_TRUE(game.PlayerTwo->LevelHolder->LiningGesture->Visible);
    EXPECT_NE(dynamic_cast<TMeter2P*>(game.PlayerTwo->LevelHolder->Meter), nullptr);
    EXPECT_EQ(game.PlayerOne->SunshadeLeft->X, game.PlayerTwo->SunshadeLeft->X);
}

TEST_F(TGripGameTest, SyncPositionMovesBothLanesByTheChange)
{
    TGripGame game;
    WriteBeatMap("15,0,0\n16,0,0\n20,0,0\n");
    game.Start();
    ASSERT_EQ(game.PlayerOne->Lane->Balls.size(), 2u);
    ASSERT_EQ(game.PlayerTwo->Lane->Balls.size(), 2u);
    const double x1 = game.PlayerOne->Lane->Balls[0]->X;
    const double x2 = game.PlayerTwo->Lane->Balls[1]->X;
    EXPECT_DOUBLE_EQ(x1, 775 - 6000);

    game.SyncPosition(2, 3, 40);
    EXPECT_EQ(game.LastSongPosition(), 1140);
    EXPECT_DOUBLE_EQ(game.PlayerOne->Lane->Balls[0]->X, x1 + 1140);
    EXPECT_DOUBLE_EQ(game.PlayerTwo->Lane->Balls[1]->X, x2 + 1140);
    game.SyncPosition(2, 3, 40);
    EXPECT_DOUBLE_EQ(game.PlayerOne->Lane->Balls[0]->X, x1 + 1140);
    // A position that goes back moves the balls back.
    game.SyncPosition(2, 3, 10);
    EXPECT_DOUBLE_EQ(game.PlayerOne->Lane->Balls[0]->X, x1 + 1110);
    EXPECT_EQ(game.LastSongPosition(), 1110);
}

TEST_F(TGripGameTest, PollGripShowsTheLevelAndTheLaneBackground)
{
    auto bus = std::make_shared<THidSimulatedBus>();
    auto ball = bus->PlugGripBall();
    TJvHidDeviceController controller(nullptr, bus);
    TJvHidDevice* device = nullptr;
    ASSERT_TRUE(controller.CheckOutByIndex(device, 0));
    Settings.EasyMode = true;
    TGripGame game(nullptr, Settings, &Output);
    EXPECT_TRUE(game.PlayerOneStress()->Easy);
    EXPECT_FALSE(game.PlayerTwoStress()->Easy);
    game.PlayerOneStress()->Device = device;

    game.PollGrip();
    EXPECT_EQ(Output.Levels, std::vector<int>{0});
    EXPECT_FALSE(game.PlayerOne->Lane->BackPipe->Visible);

    ball->QueueInput({0, 17, 0, 0, 0, 0, 0, 0, 0});
    game.PollGrip();
    EXPECT_EQ(Output.Levels, (std::vector<int>{0, 3}));
    EXPECT_TRUE(game.PlayerOne->Lane->BackPipe->Visible);
    EXPECT_EQ(game.PlayerOne->LevelHolder->Gesture->FramePos, 1);
    EXPECT_FALSE(game.PlayerTwo->Lane->BackPipe->Visible);
    EXPECT_EQ(game.PlayerTwoStress()->Level, 0);
    controller.CheckIn(device);
}

TEST_F(TGripGameTest, StartWithoutBeatMapStartsTheFiguresOnly)
{
    TGripGame game;
    WriteBeatMap("10,0,0\n12,0,0\n");
    game.Start();
    TPrize* first = game.PlayerOne->Lane->Balls.at(0);
    game.Pause();
    EXPECT_FALSE(game.PlayerOne->Figures->Figure->Timer().isActive());
    QFile::remove(QString::fromStdString(DataFile("Fine.txt")));
    try {
        game.Start();
        FAIL() << "no error";
    } catch (const EBeatMapError& e) {
        EXPECT_EQ(std::string(e.what()), "Cannot open file " + DataFile("Fine.txt"));
    }
    EXPECT_TRUE(game.PlayerOne->Figures->Figure->Timer().isActive());
    EXPECT_TRUE(game.PlayerTwo->Figures->Toys[1]->Timer().isActive());
    EXPECT_EQ(game.PlayerOne->Lane->Balls.at(0), first);  // the old balls stay
}

TEST_F(TGripGameTest, PauseStopsFiguresButNotTheSceneryAndResumeLeavesThemStill)
{
    TGripGame game;
    WriteBeatMap("10,0,0\n");
    game.Start();
    EXPECT_TRUE(game.PlayerOne->Figures->Toys[0]->Timer().isActive());
    game.Pause();
    EXPECT_FALSE(game.PlayerOne->Figures->Toys[0]->Timer().isActive());
    EXPECT_TRUE(game.PlayerOne->Figures->Scenery->Timer().isActive());
    game.Resume();
    EXPECT_FALSE(game.PlayerOne->Figures->Figure->Timer().isActive());
}
