#pragma once

#include "midi/VirtualMemory.h"
#include "platform/Exception.h"

#include <cstdint>
#include <memory>
#include <span>
#include <string>
#include <vector>

class TByteReader;

class EMidiTrackStream : public Exception {
public:
    using Exception::Exception;
};

#pragma pack(push, 1)
// One event of a track. Status and the first two data bytes, read as one little-endian
// word, are the short message for an output device. For system-exclusive and meta events
// Data holds the index of the event's block in the track's block table, and Partner is the
// index of the other record of a note pair (-1 when there is none).
struct TMidiEvent {
    std::int32_t Tick;
    std::uint16_t DataLength;
    std::uint8_t Status;
    std::uint8_t Data[4];
    std::int32_t Partner;

    std::uint32_t ShortMessage() const
    {
        return std::uint32_t(Status) | (std::uint32_t(Data[0]) << 8) | (std::uint32_t(Data[1]) << 16);
    }
    std::uint32_t BlockIndex() const
    {
        return std::uint32_t(Data[0]) | (std::uint32_t(Data[1]) << 8) | (std::uint32_t(Data[2]) << 16) |
               (std::uint32_t(Data[3]) << 24);
    }
    bool HasBlock() const { return Status == 0xF0 || Status == 0xF7 || Status == 0xFF; }
    bool IsNoteOn() const { return (Status & 0xF0) == 0x90 && Data[1] != 0; }
    bool IsNoteOff() const { return (Status & 0xF0) == 0x80 || ((Status & 0xF0) == 0x90 && Data[1] == 0); }
};
#pragma pack(pop)
static_assert(sizeof(TMidiEvent) == 15);

// One track: a tick-sorted array of fixed-size records that never moves while the track
// lives, so the player can index it directly.
class TMidiTrackStream : public TVirtualMemoryStream {
public:
    static constexpr std::int32_t FileTrackCapacity = 100000;

    explicit TMidiTrackStream(std::int32_t maxEvents);
    ~TMidiTrackStream() override;

    // Reads one track chunk at the reader's position.
    void LoadFromStream(TByteReader& source);
    // A track built in memory rather than read: each event goes after the ones before it, as
    // the reader would place it; FinishAppending then pairs the notes as the reader does. data
    // holds a channel message's data bytes, a packet's bytes, or a meta event's type and data.
    void AppendEvent(std::int32_t tick, std::uint8_t status, std::span<const std::uint8_t> data);
    void FinishAppending();

    std::int32_t EventCount() const { return eventCount_; }
    TMidiEvent* Events(std::int32_t i);
    const TMidiEvent* Events(std::int32_t i) const;
    // The data block of a system-exclusive or meta record (for meta: the type, then the data).
    const std::uint8_t* EventData(const TMidiEvent& event) const;

    std::int32_t FindEvent(std::int32_t tick, int mode) const;
    // data: the two data bytes of a channel message (first in the low byte), or a block index.
    TMidiEvent* InsertEvent(std::int32_t tick, std::uint8_t status, std::uint32_t data, std::int32_t dataLength);
    TMidiEvent* InsertMetaEvent(std::int32_t tick, std::uint8_t metaType, std::int32_t length, const void* data);
    void InitNewTrack();
    void PairNotes();

    std::string TrackName() const;
    void SetTrackName(const std::string& name);
    const TMidiEvent* NameEvent() const { return Events(nameEvent_); }
    std::int32_t NameEventIndex() const { return nameEvent_; }

    std::uint8_t FirstProgram() const { return firstProgram_; }
    std::uint8_t Bank() const { return bank_; }
    std::uint8_t FirstChannel() const { return firstChannel_; }
    bool Modified() const { return modified_; }
    void ClearModified() { modified_ = false; }
    int UpdateCount = 0;
    int OutputPort = 0;

private:
    std::int32_t eventCount_ = 0;
    std::int32_t nameEvent_ = -1;
    std::uint8_t firstProgram_ = 0;
    std::uint8_t bank_ = 0;
    std::uint8_t firstChannel_ = 0;
    bool modified_ = false;
    bool sawProgram_ = false;
    bool sawChannel_ = false;
    std::vector<std::unique_ptr<std::uint8_t[]>> blocks_;

    TMidiEvent* Records() { return reinterpret_cast<TMidiEvent*>(Memory()); }
    const TMidiEvent* Records() const { return reinterpret_cast<const TMidiEvent*>(Memory()); }
    std::uint32_t AddBlock(std::unique_ptr<std::uint8_t[]> block);
    void Decode(std::span<const std::uint8_t> chunk, bool fill, bool& sawEnd, std::int32_t& count,
                std::int32_t& lastTick);
};
