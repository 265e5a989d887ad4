#include "BeatMapWriter.h"
#include "Score.h"
#include "Tune.h"
#include "TuneArranger.h"
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

// A tune in 3/4 of two sections, the second coming in with a pickup.
std::string Waltz(const std::string& second = "melody E5/2 D5/1 | C5/3", const std::string& form = "a b")
{
    return "title Waltz\nmetre 3/4\ntempo 90\nkey C\nunit 4\nparts melody=73 chords=0 bass=32\n"
           "section a\nchords C | G\nmelody C5/1 E5/1 G5/1 | G5/2 -/1\n"
           "section b\nchords G | C\npickup F5/1\n" + second + "\nform " + form + "\n";
}

TEST(SongGenTest, TunesThatDoNotAddUpAreRefusedWithTheirLine)
{
    const TTune tune = ParseTune(Waltz());
    ASSERT_EQ(tune.sections.size(), 2u);
    // The pickup lies before the section, in the rest that ends the one before.
    EXPECT_EQ(tune.sections[1].melody.front().tick, -480);
    EXPECT_EQ(tune.sections[0].chords[1].start, 1440u);
    const auto refused = [](const std::string& text) {
        try {
            ParseTune(text);
        } catch (const std::runtime_error& e) {
            return std::string(e.what());
        }
        return std::string("accepted");
    };
    EXPECT_EQ(refused(Waltz("melody E5/2 | C5/3")), "line 13: a bar of melody fills its bar exactly: |E5/2 |");
    EXPECT_EQ(refused(Waltz("melody E5/2 D5/1")), "section b has 2 bars of chords and 1 of melody");
    EXPECT_EQ(refused(Waltz("melody E5/2 D5/1 | C5/3", "a b:loud")), "line 14: unknown option loud in b:loud");
    EXPECT_EQ(refused(Waltz("melody E5/2 D5/1 | C5/3", "a c")), "no section named c");
}

TEST(SongGenTest, ArrangingRefusesAMelodyThatWouldPlayTwoNotesAtOnce)
{
    EXPECT_NO_THROW(ArrangeTune(ParseTune(Waltz())));
    // b after b: the pickup falls on the held C of the bar before it.
    EXPECT_THROW(ArrangeTune(ParseTune(Waltz("melody E5/2 D5/1 | C5/3", "a b b"))), std::runtime_error);
    // b first: its pickup would come before the song starts.
    EXPECT_THROW(ArrangeTune(ParseTune(Waltz("melody E5/2 D5/1 | C5/3", "b a"))), std::runtime_error);
}

} // namespace
