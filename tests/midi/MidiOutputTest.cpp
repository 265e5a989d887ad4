#include "SmfBuilder.h"
#include "midi/MidiData.h"
#include "midi/RecordingMidiDevice.h"
#include "midi/TrackOutputs.h"

#include <gtest/gtest.h>

namespace {
std::uint32_t Msg(std::uint32_t status, std::uint32_t d1, std::uint32_t d2 = 0) { return status | (d1 << 8) | (d2 << 16); }

class MidiOutputTest : public ::testing::Test {
protected:
    void TearDown() override { EXPECT_TRUE(PhysicalPortRegistry().empty()); }
    std::shared_ptr<TMidiRecording> device = std::make_shared<TMidiRecording>();
    TOverride route = OverrideMidiDeviceWithRecording(0, device);
};

class TNoticePort : public TMidiOutputPort {
public:
    void DriverMessage(EMidiDeviceNotice notice, std::uintptr_t, std::uintptr_t) override { notices.push_back(notice); }
    std::vector<EMidiDeviceNotice> notices;
};
}

TEST_F(MidiOutputTest, PortsShareOneDeviceUntilTheLastLeaves)
{
    auto a = std::make_unique<TNoticePort>();
    TMidiOutputPort b;
    a->SetActive(true);
    b.SetActive(true);
    EXPECT_EQ(device->Opens(), 1);
    EXPECT_EQ(a->Physical(), b.Physical());
    EXPECT_EQ(b.ClientSlot(), 1);
    EXPECT_EQ(a->notices, std::vector<EMidiDeviceNotice>{EMidiDeviceNotice::Opened});
    a->SetActive(false);
    EXPECT_EQ(device->Closes(), 0);
    TMidiOutputPort c;
    c.SetActive(true);
    EXPECT_EQ(c.ClientSlot(), 0);  // the slot a left is reused
    c.SetActive(false);
    b.SetActive(false);
    EXPECT_EQ(device->Closes(), 1);
    EXPECT_EQ(device->Resets(), 1);
    EXPECT_FALSE(b.Active());
    EXPECT_EQ(b.DeviceHandle(), nullptr);
}

TEST_F(MidiOutputTest, NoteCountsDecideWhatIsReleased)
{
    TMidiOutputPort port;
    port.SetActive(true);
    port.Send(Msg(0x93, 60, 100));
    port.Send(Msg(0x93, 60, 90));
    port.Send(Msg(0x83, 60, 0));
    port.Send(Msg(0x93, 61, 0));  // a note-off for a note never started is still sent
    EXPECT_EQ(port.NoteCount(3, 60), 1);
    EXPECT_EQ(port.NoteCount(3, 61), 0);
    port.Send(Msg(0xF0, 1, 2));  // system messages never reach the device
    port.Send(Msg(0xFF, 0x2F, 0));
    EXPECT_EQ(device->MessageWords(),
              (std::vector<std::uint32_t>{Msg(0x93, 60, 100), Msg(0x93, 60, 90), Msg(0x83, 60), Msg(0x93, 61)}));
    device->Clear();
    port.Send(Msg(0x95, 70, 1));
    port.Send(Msg(0x95, 70, 1));
    port.Send(Msg(0x95, 70, 1));
    device->Clear();
    port.ReleaseNotes();
    EXPECT_EQ(device->MessageWords(),
              (std::vector<std::uint32_t>{Msg(0x83, 60), Msg(0x85, 70), Msg(0x85, 70), Msg(0x85, 70)}));
    device->Clear();
    port.ReleaseNotes();
    EXPECT_TRUE(device->MessageWords().empty());
}

TEST_F(MidiOutputTest, ReleaseLiftsAHeldSustainPedal)
{
    TMidiOutputPort port;
    port.SetActive(true);
    port.Send(Msg(0x92, 64, 100));
    port.Send(Msg(0xB2, 64, 127));
    device->Clear();
    port.ReleaseNotes();
    EXPECT_EQ(device->MessageWords(), (std::vector<std::uint32_t>{Msg(0x82, 64), Msg(0xB2, 64, 0)}));
}

TEST_F(MidiOutputTest, ControllerResetSendsOnlyWhatDiffers)
{
    TMidiOutputPort port;
    port.SetActive(true);
    port.ResetControllers();
    EXPECT_TRUE(device->MessageWords().empty());
    port.Send(Msg(0xB2, 7, 100));
    port.Send(Msg(0xB4, 10, 64));  // already the default
    device->Clear();
    port.ResetControllers();
    EXPECT_EQ(device->MessageWords(), std::vector<std::uint32_t>{Msg(0xB2, 7, 90)});
    device->Clear();
    port.ResetControllers();
    EXPECT_TRUE(device->MessageWords().empty());
}

TEST_F(MidiOutputTest, PatchesAreSentOnlyWhenTheProgramChanges)
{
    TMidiOutputPort port;
    port.SetPatch(0, 5, 0);  // inactive: nothing
    port.SetActive(true);
    port.SetPatch(0, 0, 0);
    EXPECT_TRUE(device->MessageWords().empty());
    port.SetPatch(0, 5, 0);
    port.SetPatch(0, 5, 0);
    EXPECT_EQ(device->MessageWords(), std::vector<std::uint32_t>{Msg(0xC0, 5)});
    // The program cache belongs to the device, so another port on it knows channel 1's program.
    port.Send(Msg(0xC1, 9));
    TMidiOutputPort other;
    other.SetActive(true);
    device->Clear();
    other.SetPatch(0, 9, 1);
    EXPECT_TRUE(device->MessageWords().empty());
}

TEST_F(MidiOutputTest, LeavingReleasesAndResets)
{
    TMidiOutputPort port;
    port.SetActive(true);
    port.Send(Msg(0x90, 50, 80));
    port.Send(Msg(0xB0, 11, 3));
    device->Clear();
    port.SetPortId(0);  // unchanged: nothing happens
    EXPECT_TRUE(device->MessageWords().empty());
    port.SetActive(false);
    EXPECT_EQ(device->MessageWords(), (std::vector<std::uint32_t>{Msg(0x80, 50), Msg(0xB0, 11, 127)}));
    port.Send(Msg(0x90, 1, 1));  // inactive ports send nothing
    port.ReleaseNotes();
    port.ResetControllers();
    EXPECT_EQ(device->MessageWords().size(), 2u);
}

TEST_F(MidiOutputTest, UnopenableDeviceFailsWithItsMessage)
{
    auto broken = std::make_shared<TMidiRecording>();
    broken->FailOpen = true;
    TOverride brokenRoute = OverrideMidiDeviceWithRecording(3, broken);
    TMidiOutputPort port;
    port.SetPortId(3);
    try {
        port.SetActive(true);
        ADD_FAILURE();
    } catch (const EMidiOutputPort& e) {
        EXPECT_STREQ(e.what(), "Unable to open port");
    }
    EXPECT_FALSE(port.Active());
    EXPECT_TRUE(PhysicalPortRegistry().empty());
    TMidiOutputPort negative;
    negative.SetPortId(-7);
    EXPECT_THROW(negative.SetActive(true), EMidiOutputPort);
}

TEST_F(MidiOutputTest, TrackOutputsRouteEveryTrackToOneDevice)
{
    smf::TempDir dir;
    smf::Track a, b;
    a.Raw(0, {0xC1, 33}).End(10);
    b.End(5);
    TMidiData song;
    song.SetFileName(dir.Write("s.mid", smf::File(96, {a, b})));
    song.SetActive(true);
    TTrackOutputs outputs;
    outputs.SetMidiData(&song);
    outputs.SetActive(true);
    ASSERT_EQ(outputs.OutputCount(), 2);
    EXPECT_EQ(device->Opens(), 1);
    EXPECT_EQ(outputs.Outputs(0)->Track, song.Tracks(0));
    EXPECT_EQ(outputs.Outputs(2), nullptr);
    outputs.SendPrograms();
    EXPECT_EQ(device->MessageWords(), std::vector<std::uint32_t>{Msg(0xC1, 33)});
    outputs.Outputs(1)->NextIndex = 1;
    outputs.ResetIndices();
    EXPECT_EQ(outputs.Outputs(1)->NextIndex, 0);

    // A new song on active outputs rebuilds them.
    TMidiData other;
    other.SetActive(true);
    outputs.SetMidiData(&other);
    EXPECT_TRUE(outputs.Active());
    EXPECT_EQ(outputs.OutputCount(), 0);
    EXPECT_EQ(device->Closes(), 1);
    outputs.SetMidiData(&song);
    outputs.SetActive(false);
}

TEST_F(MidiOutputTest, FailingActivationKeepsTheOutputsBuiltSoFar)
{
    smf::TempDir dir;
    smf::Track t;
    t.End();
    TMidiData song;
    song.SetFileName(dir.Write("s.mid", smf::File(96, {t, t})));
    song.SetActive(true);
    device->FailOpen = true;
    TTrackOutputs outputs;
    outputs.SetMidiData(&song);
    EXPECT_THROW(outputs.SetActive(true), EMidiOutputPort);
    EXPECT_TRUE(outputs.Active());
    EXPECT_EQ(outputs.OutputCount(), 0);
}
