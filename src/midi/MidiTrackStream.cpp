#include "midi/MidiTrackStream.h"

#include "platform/ByteReader.h"

#include <array>
#include <cstring>

namespace {
const char* const TooLong = "Event data too long";

// A variable-length quantity: seven bits a byte, most significant group first, bit 7 set on
// every byte but the last.
std::uint32_t VariableLength(TByteReader& in)
{
    std::uint32_t value = 0;
    std::uint8_t b;
    do {
        b = in.U8();
        value = (value << 7) | (b & 0x7F);
    } while (b & 0x80);
    return value;
}
}

TMidiTrackStream::TMidiTrackStream(std::int32_t maxEvents)
    : TVirtualMemoryStream(std::int64_t(maxEvents < 0 ? 0 : maxEvents) * sizeof(TMidiEvent), 0)
{
}

TMidiTrackStream::~TMidiTrackStream() = default;

TMidiEvent* TMidiTrackStream::Events(std::int32_t i)
{
    return i < 0 || i >= eventCount_ ? nullptr : Records() + i;
}

const TMidiEvent* TMidiTrackStream::Events(std::int32_t i) const
{
    return i < 0 || i >= eventCount_ ? nullptr : Records() + i;
}

const std::uint8_t* TMidiTrackStream::EventData(const TMidiEvent& event) const
{
    if (!event.HasBlock())
        return nullptr;
    const std::uint32_t index = event.BlockIndex();
    return index < blocks_.size() ? blocks_[index].get() : nullptr;
}

std::uint32_t TMidiTrackStream::AddBlock(std::unique_ptr<std::uint8_t[]> block)
{
    blocks_.push_back(std::move(block));
    return static_cast<std::uint32_t>(blocks_.size() - 1);
}

void TMidiTrackStream::Decode(std::span<const std::uint8_t> chunk, bool fill, bool& sawEnd, std::int32_t& count,
                              std::int32_t& lastTick)
{
    TByteReader in(chunk);
    std::uint32_t tick = 0;
    std::uint8_t running = 0;
    bool sysexPending = false;
    // A meta event's record holds its type before its data.
    std::vector<std::uint8_t> meta;
    count = 0;
    sawEnd = false;
    while (!in.AtEnd()) {
        tick += VariableLength(in);
        std::uint8_t b = in.U8();
        if (sysexPending && b != 0xF7)
            throw EMidiTrackStream("Error in Sysex");
        std::uint8_t status;
        std::array<std::uint8_t, 2> bytes{0, 0};
        bool haveFirst = false;
        if (b & 0x80) {
            status = b;
        } else {
            if (running == 0)
                throw EMidiTrackStream("Error in Running Status");
            status = running;
            bytes[0] = b;
            haveFirst = true;
        }
        std::span<const std::uint8_t> data;
        if (status < 0xF0) {
            if (!haveFirst) {
                bytes[0] = in.U8();
                running = status;
            }
            const std::uint8_t kind = status & 0xF0;
            const bool two = kind != 0xC0 && kind != 0xD0;
            if (two)
                bytes[1] = in.U8();
            data = {bytes.data(), two ? 2u : 1u};
        } else if (status == 0xF0 || status == 0xF7) {
            const std::uint32_t n = VariableLength(in);
            if (n > 0xFFFF)
                throw EMidiTrackStream(TooLong);
            const std::uint8_t* p = in.Take(n).data();
            sysexPending = n == 0 || p[n - 1] != 0xF7;
            data = {p, n};
        } else if (status == 0xFF) {
            const std::uint8_t type = in.U8();
            const std::uint32_t n = VariableLength(in);
            if (n > 0xFFFE)
                throw EMidiTrackStream(TooLong);
            const auto payload = in.Take(n);
            if (type == 0x2F)
                sawEnd = true;
            if (fill) {
                meta.assign(1, type);
                meta.insert(meta.end(), payload.begin(), payload.end());
                data = meta;
            }
        }
        if (fill)
            AppendEvent(static_cast<std::int32_t>(tick), status, data);
        if (count == INT32_MAX)
            throw EVirtualMemory("Size exceeds capacity");
        ++count;
    }
    lastTick = static_cast<std::int32_t>(tick);
}

void TMidiTrackStream::LoadFromStream(TByteReader& source)
{
    const auto id = source.TakeUpTo(4);
    if (id.size() != 4 || std::memcmp(id.data(), "MTrk", 4) != 0)
        throw EMidiTrackStream("Invalid track start ID");
    const std::uint32_t length = source.U32BigEndian();
    const auto chunk = source.Take(length);

    bool sawEnd = false;
    std::int32_t count = 0;
    std::int32_t lastTick = 0;
    Decode(chunk, false, sawEnd, count, lastTick);
    const std::int64_t bytes = std::int64_t(count) * std::int64_t(sizeof(TMidiEvent));
    SetSize(bytes);
    blocks_.clear();
    nameEvent_ = -1;
    eventCount_ = 0;
    sawProgram_ = sawChannel_ = false;
    Decode(chunk, true, sawEnd, count, lastTick);
    if (!sawEnd) {
        // The added end-of-track goes after every event, where a reader expects it; inserting
        // it by tick would put it before the last event of that tick.
        const std::int64_t needed = std::int64_t(eventCount_ + 1) * std::int64_t(sizeof(TMidiEvent));
        if (needed > Size())
            SetSize(needed);
        auto block = std::make_unique<std::uint8_t[]>(1);
        block[0] = 0x2F;
        const std::uint32_t index = AddBlock(std::move(block));
        TMidiEvent& e = Records()[eventCount_++];
        e.Tick = lastTick;
        e.DataLength = 1;
        e.Status = 0xFF;
        std::memcpy(e.Data, &index, 4);
        e.Partner = -1;
    }
    SetPosition(std::int64_t(eventCount_) * std::int64_t(sizeof(TMidiEvent)));
    PairNotes();
}

void TMidiTrackStream::AppendEvent(std::int32_t tick, std::uint8_t status, std::span<const std::uint8_t> data)
{
    const std::int64_t needed = std::int64_t(eventCount_ + 1) * std::int64_t(sizeof(TMidiEvent));
    if (needed > Size())
        SetSize(needed);
    std::uint32_t word = 0;
    std::uint16_t dataLength = 0;
    if (status < 0xF0) {
        const std::uint8_t kind = status & 0xF0;
        if (data.empty() || (data.size() < 2 && kind != 0xC0 && kind != 0xD0))
            throw EMidiTrackStream("System error inserting event");
        word = data[0] | (kind != 0xC0 && kind != 0xD0 ? std::uint32_t(data[1]) << 8 : 0);
        if (kind == 0xC0 && !sawProgram_) {
            sawProgram_ = true;
            firstProgram_ = data[0];
        }
        if (!sawChannel_) {
            sawChannel_ = true;
            firstChannel_ = status & 0x0F;
        }
    } else if (status == 0xF0 || status == 0xF7 || status == 0xFF) {
        // A meta event's block holds its type as well.
        if (data.size() > 0xFFFF || (status == 0xFF && data.empty()))
            throw EMidiTrackStream(TooLong);
        auto block = std::make_unique<std::uint8_t[]>(data.empty() ? 1 : data.size());
        std::copy(data.begin(), data.end(), block.get());
        dataLength = static_cast<std::uint16_t>(data.size());
        if (status == 0xFF && (data[0] == 0x03 || (data[0] == 0x01 && nameEvent_ < 0)))
            nameEvent_ = eventCount_;
        word = AddBlock(std::move(block));
    }
    TMidiEvent& e = Records()[eventCount_++];
    e.Tick = tick;
    e.DataLength = dataLength;
    e.Status = status;
    std::memcpy(e.Data, &word, 4);
    e.Partner = -1;
}

void TMidiTrackStream::FinishAppending()
{
    SetPosition(std::int64_t(eventCount_) * std::int64_t(sizeof(TMidiEvent)));
    PairNotes();
}

void TMidiTrackStream::PairNotes()
{
    constexpr int Depth = 5;
    struct TPending {
        std::array<std::int32_t, Depth> index;
        int count = 0;
    };
    std::array<TPending, 128> pending{};
    TMidiEvent* records = Records();
    for (std::int32_t i = 0; i < eventCount_; ++i)
        if (records[i].Status < 0xF0)
            records[i].Partner = -1;
    for (std::int32_t i = 0; i < eventCount_; ++i) {
        TMidiEvent& e = records[i];
        if (e.Status >= 0xF0)
            continue;
        const std::uint8_t note = e.Data[0] & 0x7F;
        if (e.IsNoteOn()) {
            TPending& p = pending[note];
            if (p.count < Depth)
                p.index[p.count++] = i;
        } else if (e.IsNoteOff()) {
            TPending& p = pending[note];
            if (p.count > 0) {
                const std::int32_t on = p.index[--p.count];
                records[on].Partner = i;
                e.Partner = on;
            }
        }
    }
    for (const TPending& p : pending)
        if (p.count != 0)
            throw Exception("Note ons don't match note offs");
}

std::int32_t TMidiTrackStream::FindEvent(std::int32_t tick, int mode) const
{
    const TMidiEvent* records = Records();
    if (eventCount_ <= 0)
        return -1;
    std::int32_t low = 0;
    std::int32_t high = eventCount_ - 1;
    std::int32_t middle = 0;
    while (low <= high) {
        middle = low + (high - low) / 2;
        if (records[middle].Tick == tick)
            break;
        if (records[middle].Tick < tick)
            low = middle + 1;
        else
            high = middle - 1;
    }
    std::int32_t e = middle;
    while (e < eventCount_ && records[e].Tick < tick)
        ++e;
    if (e >= eventCount_)
        return -1;
    if (records[e].Tick != tick)
        return e;
    if (mode == 0)
        while (e > 0 && records[e - 1].Tick == tick)
            --e;
    else if (mode == 1)
        while (e + 1 < eventCount_ && records[e + 1].Tick == tick)
            ++e;
    return e;
}

TMidiEvent* TMidiTrackStream::InsertEvent(std::int32_t tick, std::uint8_t status, std::uint32_t data,
                                          std::int32_t dataLength)
{
    if (dataLength < 0 || dataLength > 0xFFFF)
        throw EMidiTrackStream(TooLong);
    if (eventCount_ > 0) {
        TMidiEvent& last = Records()[eventCount_ - 1];
        if (last.Status == 0xFF && last.Tick < tick) {
            const std::uint8_t* block = EventData(last);
            if (block && last.DataLength > 0 && block[0] == 0x2F)
                last.Tick = tick;
        }
    }
    const std::int64_t needed = std::int64_t(eventCount_ + 1) * std::int64_t(sizeof(TMidiEvent));
    if (needed > Size())
        SetSize(needed);

    std::int32_t at = 0;
    if (eventCount_ > 0) {
        const std::int32_t e = FindEvent(tick, 1);
        if (e < 0)
            throw EMidiTrackStream("System error inserting event");
        at = (e < eventCount_ - 1 && Records()[e].Tick == tick) ? e + 1 : e;
    }
    TMidiEvent* records = Records();
    const std::int32_t before = eventCount_;
    if (at < before) {
        std::memmove(records + at + 1, records + at, std::size_t(before - at) * sizeof(TMidiEvent));
        // Indices past the insertion point moved up by one; keep every reference on its record.
        for (std::int32_t i = 0; i <= before; ++i)
            if (i != at && records[i].Partner >= at && records[i].Status < 0xF0)
                ++records[i].Partner;
        if (nameEvent_ >= at)
            ++nameEvent_;
    }
    TMidiEvent& e = records[at];
    e.Tick = tick;
    e.DataLength = static_cast<std::uint16_t>(dataLength);
    e.Status = status;
    std::memcpy(e.Data, &data, 4);
    e.Partner = -1;
    ++eventCount_;
    if (at < before - 1 && UpdateCount == 0)
        PairNotes();
    modified_ = true;
    return &e;
}

TMidiEvent* TMidiTrackStream::InsertMetaEvent(std::int32_t tick, std::uint8_t metaType, std::int32_t length,
                                              const void* data)
{
    if (length < 0 || length > 0xFFFE)
        throw EMidiTrackStream(TooLong);
    auto block = std::make_unique<std::uint8_t[]>(std::size_t(length) + 1);
    block[0] = metaType;
    if (length > 0 && data)
        std::memcpy(block.get() + 1, data, std::size_t(length));
    const std::uint32_t index = AddBlock(std::move(block));
    try {
        return InsertEvent(tick, 0xFF, index, length + 1);
    } catch (...) {
        // Keep the block table in step with the records when the insertion fails.
        if (index + 1 == blocks_.size()) {
            bool used = false;
            for (std::int32_t i = 0; i < eventCount_ && !used; ++i)
                used = Records()[i].HasBlock() && Records()[i].BlockIndex() == index;
            if (!used)
                blocks_.pop_back();
        }
        throw;
    }
}

void TMidiTrackStream::InitNewTrack()
{
    InsertMetaEvent(0, 0x2F, 0, nullptr);
    InsertMetaEvent(0, 0x21, 0, nullptr);
    nameEvent_ = static_cast<std::int32_t>(InsertMetaEvent(0, 0x03, 0, nullptr) - Records());
}

std::string TMidiTrackStream::TrackName() const
{
    const TMidiEvent* e = NameEvent();
    if (!e || e->DataLength == 0)
        return {};
    const std::uint8_t* block = EventData(*e);
    if (!block)
        return {};
    return std::string(reinterpret_cast<const char*>(block) + 1, std::size_t(e->DataLength) - 1);
}

void TMidiTrackStream::SetTrackName(const std::string& name)
{
    if (name.size() > 0xFFFE)
        throw EMidiTrackStream(TooLong);
    TMidiEvent* e = Events(nameEvent_);
    if (!e) {
        TMidiEvent* added = InsertMetaEvent(0, 0x03, static_cast<std::int32_t>(name.size()), name.data());
        nameEvent_ = static_cast<std::int32_t>(added - Records());
        return;
    }
    auto block = std::make_unique<std::uint8_t[]>(name.size() + 1);
    block[0] = 0x03;
    std::memcpy(block.get() + 1, name.data(), name.size());
    if (e->HasBlock() && e->BlockIndex() < blocks_.size()) {
        blocks_[e->BlockIndex()] = std::move(block);
    } else {
        const std::uint32_t index = AddBlock(std::move(block));
        std::memcpy(e->Data, &index, 4);
        e->Status = 0xFF;
    }
    e->DataLength = static_cast<std::uint16_t>(name.size() + 1);
    modified_ = true;
}
