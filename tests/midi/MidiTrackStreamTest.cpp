#include "midi/MidiTrackStream.h"

#include <gtest/gtest.h>

namespace {
// The data word of a two-byte channel message.
std::uint32_t Note(std::uint8_t note, std::uint8_t velocity) { return std::uint32_t(note) | (std::uint32_t(velocity) << 8); }

std::vector<std::int32_t> Ticks(const TMidiTrackStream& t)
{
    std::vector<std::int32_t> ticks;
    for (int i = 0; i < t.EventCount(); ++i)
        ticks.push_back(+t.Events(i)->Tick);
    return ticks;
}
}

TEST(VirtualMemoryStream, CommitsInStepsAndNeverMoves)
{
    TVirtualMemoryStream s(10000, 0);
    const std::uint8_t* base = s.Memory();
    s.SetSize(10);
    EXPECT_EQ(s.Size(), 1024);  // growth is at least one step
    s.SetSize(5000);
    EXPECT_EQ(s.Size(), 5000);
    s.SetSize(9500);
    EXPECT_EQ(s.Size(), 9500);
    s.SetSize(9600);
    EXPECT_EQ(s.Size(), 10000);  // a step is cut to what the capacity leaves
    EXPECT_EQ(s.Memory(), base);
    s.SetPosition(9998);
    const std::uint8_t two[2] = {1, 2};
    EXPECT_EQ(s.Write(two, 2), 2);
    try {
        s.Write(two, 1);
        ADD_FAILURE();
    } catch (const EVirtualMemory& e) {
        EXPECT_STREQ(e.what(), "Size exceeds capacity");
    }
    s.SetSize(100);
    EXPECT_EQ(s.Size(), 100);
    s.SetSize(6000);
    EXPECT_EQ(s.Memory()[150], 0);  // storage handed back comes back cleared
    EXPECT_EQ(s.Memory(), base);
}

TEST(MidiTrackStream, FindEventModes)
{
    TMidiTrackStream t(100);
    t.InsertMetaEvent(20, 0x2F, 0, nullptr);
    for (int tick : {0, 10, 10, 10})
        t.InsertEvent(tick, 0xB0, 0, 0);
    EXPECT_EQ(Ticks(t), (std::vector<std::int32_t>{0, 10, 10, 10, 20}));
    EXPECT_EQ(t.FindEvent(10, 0), 1);
    EXPECT_EQ(t.FindEvent(10, 1), 3);
    const int any = t.FindEvent(10, 2);
    EXPECT_TRUE(any >= 1 && any <= 3);
    EXPECT_EQ(t.FindEvent(5, 0), 1);
    EXPECT_EQ(t.FindEvent(15, 1), 4);
    EXPECT_EQ(t.FindEvent(21, 0), -1);
    TMidiTrackStream empty(10);
    EXPECT_EQ(empty.FindEvent(0, 0), -1);
}

TEST(MidiTrackStream, InsertKeepsOrderEndOfTrackAndReferences)
{
    TMidiTrackStream t(100);
    t.InitNewTrack();
    ASSERT_EQ(t.EventCount(), 3);
    auto metaType = [&](int i) { return t.EventData(*t.Events(i))[0]; };
    EXPECT_EQ(metaType(0), 0x21);
    EXPECT_EQ(metaType(1), 0x03);
    EXPECT_EQ(metaType(2), 0x2F);
    EXPECT_EQ(t.NameEventIndex(), 1);
    EXPECT_EQ(t.TrackName(), "");
    t.SetTrackName("Lead");
    EXPECT_EQ(t.TrackName(), "Lead");
    EXPECT_TRUE(t.Modified());

    // Inserting past the end moves the end-of-track along; notes go in before it.
    t.InsertEvent(100, 0x90, Note(60, 100), 0);
    t.InsertEvent(200, 0x80, Note(60, 0), 0);
    ASSERT_EQ(t.EventCount(), 5);
    EXPECT_EQ(+t.Events(4)->Tick, 200);
    EXPECT_EQ(metaType(4), 0x2F);
    // An insertion that shifts records keeps the pair and the name on their records.
    t.InsertEvent(0, 0xC0, 7, 0);
    EXPECT_EQ(t.Events(0)->Status, 0xFF);
    EXPECT_EQ(t.Events(2)->Status, 0xC0);  // after everything else at tick 0
    const TMidiEvent* on = t.Events(3);
    ASSERT_EQ(on->Status, 0x90);
    EXPECT_EQ(t.Events(on->Partner)->Status, 0x80);
    EXPECT_EQ(t.Events(t.Events(on->Partner)->Partner), on);
    EXPECT_EQ(t.TrackName(), "Lead");

    // Without an end-of-track record nothing may go beyond the last record.
    TMidiTrackStream bare(10);
    bare.InsertEvent(5, 0xB0, 0, 0);
    try {
        bare.InsertEvent(6, 0xB0, 0, 0);
        ADD_FAILURE();
    } catch (const EMidiTrackStream& e) {
        EXPECT_STREQ(e.what(), "System error inserting event");
    }
    EXPECT_THROW(bare.InsertEvent(0, 0xB0, 0, 70000), EMidiTrackStream);
}

TEST(MidiTrackStream, InsertBeyondCapacityFails)
{
    TMidiTrackStream t(2);
    t.InsertMetaEvent(0, 0x2F, 0, nullptr);
    t.InsertEvent(0, 0xB0, 0, 0);
    EXPECT_THROW(t.InsertEvent(0, 0xB0, 0, 0), EVirtualMemory);
    EXPECT_EQ(t.EventCount(), 2);
}

TEST(MidiTrackStream, TrackNameInsertedWhenMissing)
{
    TMidiTrackStream t(10);
    t.InsertMetaEvent(0, 0x2F, 0, nullptr);
    EXPECT_EQ(t.NameEvent(), nullptr);
    t.SetTrackName("Bass");
    EXPECT_EQ(t.TrackName(), "Bass");
    EXPECT_EQ(t.EventData(*t.NameEvent())[0], 0x03);
}
