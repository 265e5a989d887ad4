#include "MidiWriter.h"

#include <algorithm>
#include <stdexcept>

namespace {

void PutVariable(std::vector<std::uint8_t>& out, std::uint32_t value)
{
    if (value > 0x0FFFFFFF)
        throw std::runtime_error("delta time too large for a MIDI file");
    std::uint8_t groups[4];
    int count = 0;
    do {
        groups[count++] = value & 0x7F;
        value >>= 7;
    } while (value != 0);
    while (count > 1)
        out.push_back(groups[--count] | 0x80);
    out.push_back(groups[0]);
}

void PutBig(std::vector<std::uint8_t>& out, std::uint32_t value, int bytes)
{
    for (int shift = (bytes - 1) * 8; shift >= 0; shift -= 8)
        out.push_back(static_cast<std::uint8_t>(value >> shift));
}

std::uint8_t Data(int value)
{
    if (value < 0 || value > 127)
        throw std::runtime_error("MIDI data byte out of range");
    return static_cast<std::uint8_t>(value);
}

std::uint8_t Status(int kind, int channel)
{
    if (channel < 0 || channel > 15)
        throw std::runtime_error("MIDI channel out of range");
    return static_cast<std::uint8_t>(kind | channel);
}

} // namespace

TMidiTrackWriter::TMidiTrackWriter(const std::string& name)
{
    Meta(0, 0x03, std::vector<std::uint8_t>(name.begin(), name.end()));
}

void TMidiTrackWriter::Add(std::uint32_t tick, EOrder order, std::vector<std::uint8_t> bytes)
{
    events_.push_back({tick, order, static_cast<std::uint32_t>(events_.size()), std::move(bytes)});
}

void TMidiTrackWriter::Meta(std::uint32_t tick, std::uint8_t type, const std::vector<std::uint8_t>& data)
{
    std::vector<std::uint8_t> bytes{0xFF, type};
    PutVariable(bytes, static_cast<std::uint32_t>(data.size()));
    bytes.insert(bytes.end(), data.begin(), data.end());
    Add(tick, EOrder::Setup, std::move(bytes));
}

void TMidiTrackWriter::Tempo(std::uint32_t tick, std::uint32_t microsecondsPerQuarter)
{
    std::vector<std::uint8_t> data;
    PutBig(data, microsecondsPerQuarter, 3);
    Meta(tick, 0x51, data);
}

void TMidiTrackWriter::TimeSignature(std::uint32_t tick, std::uint8_t numerator, std::uint8_t denominatorPower)
{
    // 24 clocks per metronome click, 8 thirty-seconds per quarter.
    Meta(tick, 0x58, {numerator, denominatorPower, 24, 8});
}

void TMidiTrackWriter::Program(std::uint32_t tick, int channel, int program)
{
    Add(tick, EOrder::Setup, {Status(0xC0, channel), Data(program)});
}

void TMidiTrackWriter::Controller(std::uint32_t tick, int channel, int controller, int value)
{
    Add(tick, EOrder::Setup, {Status(0xB0, channel), Data(controller), Data(value)});
}

void TMidiTrackWriter::Note(std::uint32_t tick, std::uint32_t length, int channel, int key, int velocity)
{
    if (length == 0 || velocity < 1)
        throw std::runtime_error("a note needs a length and a velocity");
    Add(tick, EOrder::NoteOn, {Status(0x90, channel), Data(key), Data(velocity)});
    Add(tick + length, EOrder::NoteOff, {Status(0x80, channel), Data(key), 64});
}

std::vector<std::uint8_t> TMidiTrackWriter::Encode() const
{
    std::vector<TEvent> sorted = events_;
    std::sort(sorted.begin(), sorted.end(), [](const TEvent& a, const TEvent& b) {
        if (a.tick != b.tick)
            return a.tick < b.tick;
        if (a.order != b.order)
            return a.order < b.order;
        return a.sequence < b.sequence;
    });
    std::vector<std::uint8_t> out;
    std::uint32_t last = 0;
    for (const TEvent& event : sorted) {
        PutVariable(out, event.tick - last);
        last = event.tick;
        out.insert(out.end(), event.bytes.begin(), event.bytes.end());
    }
    out.insert(out.end(), {0x00, 0xFF, 0x2F, 0x00});
    return out;
}

std::vector<std::uint8_t> EncodeMidiFile(std::uint16_t division, const std::vector<TMidiTrackWriter>& tracks)
{
    std::vector<std::uint8_t> out{'M', 'T', 'h', 'd'};
    PutBig(out, 6, 4);
    PutBig(out, 1, 2);
    PutBig(out, static_cast<std::uint32_t>(tracks.size()), 2);
    PutBig(out, division, 2);
    for (const TMidiTrackWriter& track : tracks) {
        const std::vector<std::uint8_t> body = track.Encode();
        out.insert(out.end(), {'M', 'T', 'r', 'k'});
        PutBig(out, static_cast<std::uint32_t>(body.size()), 4);
        out.insert(out.end(), body.begin(), body.end());
    }
    return out;
}
