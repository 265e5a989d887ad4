#include "BeatMapWriter.h"
#include "Score.h"
#include "game/Metronome.h"
#include "platform/TextFields.h"

#include <gtest/gtest.h>

#include <numeric>
#include <stdexcept>

namespace {

std::vector<std::uint32_t> Steady(std::uint32_t count, std::uint32_t step, std::uint32_t first = 0)
{
    std::vector<std::uint32_t> starts(count);
    for (std::uint32_t i = 0; i < count; ++i)
        starts[i] = first + i * step;
    return starts;
}

TEST(SongGenTest, BeatMapLinesLeadTheNotesByFiveHundred)
{
    // Out of order on purpose; a note off the quarter-beat grid rounds down like the loader.
    std::vector<std::uint32_t> starts = Steady(151, 100);
    starts.back() = 15010;
    std::swap(starts.front(), starts.back());
    const std::string text = WriteBeatMap(starts);
    EXPECT_EQ(text.substr(0, 18), "1:1:0\n1:2:0\n1:3:0\n");
    EXPECT_EQ(text.substr(text.size() - 7), "38:3:0\n") << "15010 + 500 = 15510 rounds to 15500";

    // Every line reads back, through the loader's own parser, to its note + 500.
    const std::vector<std::string> lines = SplitTextLines(text);
    ASSERT_EQ(lines.size(), 151u);
    const TBeatLine first = ParseBeatLine(lines.front());
    EXPECT_EQ((first.bar * 4 + first.beat) * 100 + first.tick, 500);
}

TEST(SongGenTest, BeatMapRefusesCrowdedOrTooFewOrTooManyNotes)
{
    EXPECT_NO_THROW(WriteBeatMap(Steady(151, 50)));
    EXPECT_NO_THROW(WriteBeatMap(Steady(401, 50)));
    EXPECT_THROW(WriteBeatMap(Steady(150, 50)), std::runtime_error) << "149 balls";
    EXPECT_THROW(WriteBeatMap(Steady(402, 50)), std::runtime_error) << "401 balls";
    std::vector<std::uint32_t> crowded = Steady(200, 100);
    crowded.push_back(1025); // 25 after a note: less than half a beat
    EXPECT_THROW(WriteBeatMap(crowded), std::runtime_error);
    // Two notes in one quarter beat are one mark, which still must keep its distance.
    std::vector<std::uint32_t> sameMark = Steady(200, 100);
    sameMark.push_back(1010);
    EXPECT_NO_THROW(WriteBeatMap(sameMark));
}

TEST(SongGenTest, ReadsNoteNamesAndChords)
{
    EXPECT_EQ(ParseKey("C4"), 60);
    EXPECT_EQ(ParseKey("A4"), 69);
    EXPECT_EQ(ParseKey("F#5"), 78);
    EXPECT_EQ(ParseKey("Bb3"), 58);
    EXPECT_EQ(ParseKey("Cb4"), 59);
    EXPECT_THROW(ParseKey("H4"), std::runtime_error);
    EXPECT_THROW(ParseKey("C"), std::runtime_error);
    EXPECT_THROW(ParseKey("C44"), std::runtime_error);

    const TChord minor = ParseChord("F#m");
    EXPECT_EQ(minor.root, 6);
    EXPECT_EQ(minor.intervals, (std::vector<int>{0, 3, 7}));
    EXPECT_EQ(ParseChord("A").intervals, (std::vector<int>{0, 4, 7}));
    EXPECT_THROW(ParseChord("Gdim"), std::runtime_error);
}

TEST(SongGenTest, ScoreBarsFillFourFourAndTheMelodyStaysInThem)
{
    const TScore score = ComposeScore();
    ASSERT_FALSE(score.bars.empty());
    for (std::size_t i = 0; i < score.bars.size(); ++i)
        EXPECT_EQ(score.bars[i].start, i * kTicksPerBar);
    std::uint32_t previousEnd = 0;
    for (const TMelodyNote& note : score.melody) {
        EXPECT_GE(note.tick, previousEnd) << "melody notes overlap at " << note.tick;
        EXPECT_GT(note.length, 0u);
        EXPECT_GE(note.key, 55);
        EXPECT_LE(note.key, 88) << "a lead line the ear can follow";
        previousEnd = note.tick + note.length;
    }
    EXPECT_LE(previousEnd, score.EndTick());
}

} // namespace
