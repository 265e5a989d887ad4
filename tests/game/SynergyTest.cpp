#include "game/Metronome.h"
#include "platform/DataDirectoryOverride.h"
#include "platform/TextFields.h"

#include <QDir>
#include <QTemporaryDir>
#include <gtest/gtest.h>

#include <fstream>

namespace {

using Strings = std::vector<std::string>;

class BeatMapTest : public ::testing::Test {
protected:
    std::string Dir() const { return dir_.path().toStdString() + "/"; }

    void Write(const std::string& name, const std::string& text) const
    {
        std::ofstream(Dir() + name, std::ios::binary) << text;
    }

    // Loads text as the beat map and returns the failure message, or "" on success.
    std::string Load(const std::string& text)
    {
        Write("Fine.txt", text);
        try {
            metronome_.LoadBeatMap("Fine.txt");
        } catch (const EBeatMapError& e) {
            return e.what();
        }
        return {};
    }

    std::vector<std::int32_t> SetBits() const
    {
        const auto& bits = metronome_.Marks().SetBits();
        return {bits.begin(), bits.end()};
    }

    QTemporaryDir dir_;
    TMetronome metronome_{Dir()};
};

TEST_F(BeatMapTest, MapsLinesToQuarterBeatPositions)
{
    EXPECT_EQ(Load("0:0:0\r\n1:3:99\r\n"), "");
    EXPECT_EQ(metronome_.Marks().Size(), 800);
    EXPECT_EQ(SetBits(), (std::vector<std::int32_t>{0, 775}));
    EXPECT_TRUE(metronome_.Marks().Bit(775));
    EXPECT_FALSE(metronome_.Marks().Bit(774));
    EXPECT_EQ(metronome_.Lines(), (Strings{"0:0:0", "1:3:99"}));

    // Mixed separators, ticks of one quarter beat and a duplicate collapse into one bit.
    EXPECT_EQ(Load("2:1:30\n2:1,40\n2 , 1 ,\t49\n"), "");
    EXPECT_EQ(metronome_.Marks().Size(), 1200);
    EXPECT_EQ(SetBits(), (std::vector<std::int32_t>{0, 775, 925}));
}

TEST_F(BeatMapTest, TicksOutsideTheBeatSpillOverAndTruncateTowardZero)
{
    EXPECT_EQ(Load("0:0:100\n0:1:-30\n0:3:24\n0:2:1:7:x\n"), "");
    // 100 ticks is the next beat; -30 rounds toward zero to -25; extra fields are ignored.
    EXPECT_EQ(SetBits(), (std::vector<std::int32_t>{75, 100, 200, 300}));
    EXPECT_EQ(metronome_.Marks().Size(), 400);
}

TEST_F(BeatMapTest, SizeComesFromTheLastLineAlone)
{
    EXPECT_EQ(Load("4:0:0\n3:0:0\n"), "");
    EXPECT_EQ(metronome_.Marks().Size(), 1601) << "an index equal to the size enlarges by one";
    EXPECT_EQ(SetBits(), (std::vector<std::int32_t>{1200, 1600}));

    TMetronome fresh(Dir());
    Write("Late.txt", "0:0:50\n5:0:0\n1:0:0\n3:0:0\n");
    try {
        fresh.LoadBeatMap("Late.txt");
        FAIL() << "no error";
    } catch (const EBeatMapError& e) {
        EXPECT_STREQ(e.what(), "Range check error");
    }
    // The offending line's bit is set before the load stops; later lines are not read.
    const auto& bits = fresh.Marks().SetBits();
    EXPECT_EQ(std::vector<std::int32_t>(bits.begin(), bits.end()), (std::vector<std::int32_t>{50, 2000}));
    EXPECT_EQ(fresh.Marks().Size(), 2001);
}

TEST_F(BeatMapTest, ReloadResizesWithoutClearing)
{
    ASSERT_EQ(Load("0:0:0\n0:3:0\n3:3:0\n"), "");
    ASSERT_EQ(SetBits(), (std::vector<std::int32_t>{0, 300, 1500}));
    ASSERT_EQ(Load("0:1:0\n0:3:0\n"), "");
    EXPECT_EQ(metronome_.Marks().Size(), 400);
    EXPECT_EQ(SetBits(), (std::vector<std::int32_t>{0, 100, 300})) << "bit 0 survives, 1500 is cut off";
    ASSERT_EQ(Load("3:0:0\n"), "");
    EXPECT_EQ(SetBits(), (std::vector<std::int32_t>{0, 100, 300, 1200})) << "regrowing does not bring 1500 back";
}

TEST_F(BeatMapTest, ReportsEveryKindOfBadFile)
{
    EXPECT_EQ(Load(""), "List index out of bounds (-1)");
    EXPECT_EQ(Load(std::string("\0" "1:1:1\n", 7)), "List index out of bounds (-1)") << "a NUL ends the text";
    EXPECT_EQ(Load("0:0:0\n  \t\n1:0:0\n"), "List index out of bounds (0)");
    EXPECT_EQ(Load("0:0:0\n7\n1:0:0\n"), "List index out of bounds (1)");
    EXPECT_EQ(Load("0:0:0\n1:2\n1:0:0\n"), "List index out of bounds (2)");
    EXPECT_EQ(Load("0:0:0\n1,2, \n1:0:0\n"), "List index out of bounds (2)");
    EXPECT_EQ(Load("0:0:0\n1,2,\n1:0:0\n"), "'' is not a valid integer value") << "a final comma adds an empty field";
    EXPECT_EQ(Load("0:0:0\n1::2\n1:0:0\n"), "'' is not a valid integer value");
    EXPECT_EQ(Load("0:0:0\nbar:0:0\n1:0:0\n"), "'bar' is not a valid integer value");
    EXPECT_EQ(Load("0:0:0\n1:0:2147483648\n1:0:0\n"), "'2147483648' is not a valid integer value");
    EXPECT_EQ(Load("0:0:0\n1:0:--2\n1:0:0\n"), "'--2' is not a valid integer value");
    EXPECT_EQ(Load("0:0:0\n1:0:0x10\n1:0:0\n"), "'0x10' is not a valid integer value");
    EXPECT_EQ(Load("0:0:0\n-1:0:0\n1:0:0\n"), "Bits index out of range");
    EXPECT_EQ(Load("0:0:0\n-2:0:0\n"), "Bits index out of range");
    EXPECT_EQ(Load("-1:4:0\n"), "") << "bar -1 gives an empty set that the line's own index 0 enlarges";
    EXPECT_EQ(metronome_.Marks().Size(), 1);
    // A bar so far off that its positions leave 32 bits is refused, not wrapped around.
    EXPECT_EQ(Load("0:0:0\n6000000:0:0\n"), "Bits index out of range");
    EXPECT_EQ(Load("0:0:0\n1:2147483647:0\n"), "Bits index out of range");

    ASSERT_TRUE(QDir(dir_.path()).mkdir("Folder.txt"));
    for (const std::string name : {"Nowhere.txt", "Folder.txt"}) {
        try {
            metronome_.LoadBeatMap(name);
            ADD_FAILURE() << name << ": no error";
        } catch (const EBeatMapError& e) {
            EXPECT_EQ(e.what(), "Cannot open file " + Dir() + name);
        }
        EXPECT_TRUE(metronome_.Lines().empty()) << "the lines of the last load are gone";
    }
}

TEST_F(BeatMapTest, FailuresKeepTheBitsSetBeforeThem)
{
    ASSERT_EQ(Load("0:0:0\n2:0:0\n"), "");
    // A bad last line fails before any bit is touched, so the earlier set stays whole.
    EXPECT_EQ(Load("0:1:0\n1:0:0\n\n"), "List index out of bounds (0)");
    EXPECT_EQ(SetBits(), (std::vector<std::int32_t>{0, 800}));
    EXPECT_EQ(metronome_.Marks().Size(), 1200);
    // A bad line in the middle stops after the lines before it.
    EXPECT_EQ(Load("0:0:50\nx:0:0\n0:2:0\n1:0:0\n"), "'x' is not a valid integer value");
    EXPECT_EQ(SetBits(), (std::vector<std::int32_t>{0, 50})) << "size 800 from the last line dropped 800";
}

TEST_F(BeatMapTest, ReadsFromTheGameDataDirectoryByDefault)
{
    TOverride data = OverrideDataDirectory(Dir());
    Write("Fine.txt", "0:2:0\n");
    TMetronome metronome;
    EXPECT_NO_THROW(metronome.LoadBeatMap("Fine.txt"));
    data.Restore();
    EXPECT_EQ(metronome.Marks().Count(), 1);
    EXPECT_TRUE(metronome.Marks().Bit(200));
}

TEST(BeatLineTest, SplitsFieldsLikeCommaText)
{
    EXPECT_EQ(SplitCommaText("  1 ,2\t3 "), (Strings{"1", "2", "3"}));
    EXPECT_EQ(SplitCommaText("\"a b\",\"say \"\"hi\"\"\",\"open"), (Strings{"a b", "say \"hi\"", "open"}));
    EXPECT_EQ(SplitCommaText(",,x"), (Strings{"", "", "x"}));
    EXPECT_EQ(SplitCommaText("x,"), (Strings{"x", ""}));
    EXPECT_EQ(SplitCommaText("x, "), (Strings{"x"}));
    EXPECT_EQ(SplitCommaText(""), Strings{});
    EXPECT_EQ(SplitCommaText(std::string("1,2\0,3", 6)), (Strings{"1", "2"}));
    EXPECT_EQ(SplitCommaText(std::string("\"1\0\",3", 6)), (Strings{"1"}));
    EXPECT_EQ(SplitCommaText("\xe9t\xe9,2"), (Strings{"\xe9t\xe9", "2"})) << "bytes above 127 are text";

    const TBeatLine line = ParseBeatLine("\"12\": +3 ,\"-75\"");
    EXPECT_EQ(line.bar, 12);
    EXPECT_EQ(line.beat, 3);
    EXPECT_EQ(line.tick, -75);
    EXPECT_EQ(ParseBeatLine("-2147483648 0 0").bar, INT32_MIN);
}

TEST(BeatLineTest, SplitsTextAtEveryKindOfLineBreak)
{
    EXPECT_EQ(SplitTextLines("a\r\nb\rc\nd"), (Strings{"a", "b", "c", "d"}));
    EXPECT_EQ(SplitTextLines("a\n\r"), (Strings{"a", ""})) << "LF CR is two breaks";
    EXPECT_EQ(SplitTextLines("a\n\n"), (Strings{"a", ""}));
    EXPECT_EQ(SplitTextLines(std::string("a\nb\0c\n", 6)), (Strings{"a", "b"}));
    EXPECT_EQ(SplitTextLines("\n"), Strings{""});
}

} // namespace
