// `griptool beatmap` and `griptool layout` on beat maps written here and on the build's own.
#include "GripToolRun.h"

#include <gtest/gtest.h>

#include <QFile>
#include <QTemporaryDir>

#include <sstream>
#include <string>
#include <vector>

namespace {

struct TBall {
    int Lane, Ordinal;
    std::string Kind;
    std::string X;
    int Y;
};

std::vector<TBall> Balls(const std::string& out)
{
    std::vector<TBall> balls;
    for (const auto& line : griptool::Lines(out)) {
        std::istringstream in(line);
        TBall b;
        in >> b.Lane >> b.Ordinal >> b.Kind >> b.X >> b.Y;
        EXPECT_TRUE(in && in.eof()) << line;
        balls.push_back(b);
    }
    return balls;
}

class TGameCommandsTest : public ::testing::Test {
protected:
    QString Write(const std::string& text)
    {
        const QString path = dir_.filePath(QString("map%1.txt").arg(++count_));
        QFile f(path);
        EXPECT_TRUE(f.open(QIODevice::WriteOnly));
        f.write(text.data(), qsizetype(text.size()));
        return path;
    }

    // n marks ten positions apart: bar 0 beat 0 tick 0, 10, ... (quantised to 25 the ticks of
    // one beat would merge, so each line names its own beat).
    QString Marks(int n)
    {
        std::string text;
        for (int i = 0; i < n; ++i)
            text += std::to_string(i / 4) + ":" + std::to_string(i % 4) + ":0\r\n";
        return Write(text);
    }

private:
    QTemporaryDir dir_;
    int count_ = 0;
};

} // namespace

TEST_F(TGameCommandsTest, BeatMapPrintsSizeAndSetBits)
{
    // Mixed separators, a tick of 100 that spills into the next beat, a trailing empty line.
    const auto run = griptool::Tool({"beatmap", Write("0:0:0\n0,1,30\n0:3:100\n1,2,99\n")});
    ASSERT_EQ(run.ExitCode, 0) << run.Err;
    EXPECT_EQ(run.Out, "size 800\n0\n125\n400\n675\n");
}

TEST_F(TGameCommandsTest, BeatMapFailuresGiveTheMessageAndStatusOne)
{
    const auto missing = griptool::Tool({"beatmap", "/nonexistent/Fine.txt"});
    EXPECT_EQ(missing.ExitCode, 1);
    EXPECT_EQ(missing.Err, "Cannot open file /nonexistent/Fine.txt\n");
    EXPECT_EQ(missing.Out, "");
    // A mark past the size the last line gives.
    const auto range = griptool::Tool({"beatmap", Write("5:0:0\n1:0:0\n")});
    EXPECT_EQ(range.ExitCode, 1);
    EXPECT_EQ(range.Err, "Range check error\n");
    EXPECT_EQ(griptool::Tool({"layout", Write("")}).ExitCode, 1);
}

TEST_F(TGameCommandsTest, FirstLayoutHasTheKnownKindsOnBothLanes)
{
    const auto run = griptool::Tool({"layout", Marks(13)});
    ASSERT_EQ(run.ExitCode, 0) << run.Err;
    const auto balls = Balls(run.Out);
    ASSERT_EQ(balls.size(), 24u) << run.Out;
    std::vector<std::string> kinds;
    for (size_t i = 0; i < 12; ++i) {
        EXPECT_EQ(balls[i].Lane, 1);
        EXPECT_EQ(balls[i].Ordinal, int(i) + 1);
        EXPECT_EQ(balls[i].X, std::to_string(775 - 100 * int(i)) + ".0");
        kinds.push_back(balls[i].Kind);
        const int y = balls[i].Kind == "red" ? 112 : balls[i].Kind == "yellow" ? 128 : 122;
        EXPECT_EQ(balls[i].Y, y) << i;
    }
    EXPECT_EQ(kinds, (std::vector<std::string>{"blue", "blue", "blue", "blue", "red", "red", "blue", "red", "blue",
                                               "yellow", "blue", "blue"}));
    // Lane two draws on from where lane one stopped, so it is laid out differently.
    std::vector<std::string> second;
    for (size_t i = 12; i < 24; ++i) {
        EXPECT_EQ(balls[i].Lane, 2);
        EXPECT_EQ(balls[i].Ordinal, int(i) - 11);
        const int y = balls[i].Kind == "red" ? 282 : balls[i].Kind == "yellow" ? 298 : 292;
        EXPECT_EQ(balls[i].Y, y) << i;
        second.push_back(balls[i].Kind);
    }
    EXPECT_NE(second, kinds);
}

TEST_F(TGameCommandsTest, ChainSlotsOnlyBlueAndSmallShift)
{
    const QString map = Marks(80);
    const auto normal = Balls(griptool::Tool({"layout", map}).Out);
    ASSERT_EQ(normal.size(), 158u);
    std::vector<int> chains;
    for (const auto& b : normal)
        if (b.Lane == 1 && b.Kind == "chain")
            chains.push_back(b.Ordinal);
    EXPECT_EQ(chains, (std::vector<int>{24, 30, 36, 52, 73}));

    const auto blue = Balls(griptool::Tool({"layout", map, "--only-blue"}).Out);
    ASSERT_EQ(blue.size(), 158u);
    for (size_t i = 0; i < blue.size(); ++i) {
        // Only the kinds that are not already blue-looking change: stools stay stools.
        if (normal[i].Kind == "blue" || normal[i].Kind == "stool")
            EXPECT_EQ(blue[i].Kind, normal[i].Kind) << i;
        else
            EXPECT_EQ(blue[i].Kind, "blue") << i;
        EXPECT_EQ(blue[i].Y, blue[i].Lane == 1 ? 122 : 292);
    }

    const auto both = griptool::Tool({"layout", map, "--small-shift", "--only-blue"});
    const auto shifted = Balls(both.Out);
    ASSERT_EQ(shifted.size(), 158u) << both.Err;
    EXPECT_EQ(shifted[1].X, "725.0");
    EXPECT_EQ(shifted[0].X, "775.0");
    EXPECT_EQ(shifted[3].X, "625.0");
    EXPECT_EQ(griptool::Tool({"layout", map, "--tiny"}).ExitCode, 1);
}

TEST_F(TGameCommandsTest, TheBuildsBeatMapLaysOutWithoutError)
{
    const auto map = griptool::Tool({"beatmap", GRIP_BIN_DIR "Fine.txt"});
    ASSERT_EQ(map.ExitCode, 0) << map.Err;
    const auto marks = griptool::Lines(map.Out);
    ASSERT_GT(marks.size(), 2u);
    const auto run = griptool::Tool({"layout", GRIP_BIN_DIR "Fine.txt"});
    ASSERT_EQ(run.ExitCode, 0) << run.Err;
    // One ball per mark but the highest, on each lane.
    EXPECT_EQ(Balls(run.Out).size(), 2 * (marks.size() - 2));
}
