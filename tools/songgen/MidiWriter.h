#pragma once

#include <cstdint>
#include <string>
#include <vector>

// One track of a Standard MIDI File, collected in any order and written sorted by tick.
class TMidiTrackWriter {
public:
    explicit TMidiTrackWriter(const std::string& name);

    void Meta(std::uint32_t tick, std::uint8_t type, const std::vector<std::uint8_t>& data);
    void Tempo(std::uint32_t tick, std::uint32_t microsecondsPerQuarter);
    void TimeSignature(std::uint32_t tick, std::uint8_t numerator, std::uint8_t denominatorPower);
    void Program(std::uint32_t tick, int channel, int program);
    void Controller(std::uint32_t tick, int channel, int controller, int value);
    // Adds the note-on at tick and its note-off at tick + length.
    void Note(std::uint32_t tick, std::uint32_t length, int channel, int key, int velocity);

    // The chunk body: every event with its delta time, closed by end-of-track at the last event.
    std::vector<std::uint8_t> Encode() const;

private:
    // Within one tick: setup first, then note-offs, then note-ons, so a repeated key is
    // released before it sounds again.
    enum class EOrder { Setup = 0, NoteOff = 1, NoteOn = 2 };
    struct TEvent {
        std::uint32_t tick;
        EOrder order;
        std::uint32_t sequence;
        std::vector<std::uint8_t> bytes;
    };
    void Add(std::uint32_t tick, EOrder order, std::vector<std::uint8_t> bytes);

    std::vector<TEvent> events_;
};

// Format 1 file: header with the division, then one chunk per track.
std::vector<std::uint8_t> EncodeMidiFile(std::uint16_t division, const std::vector<TMidiTrackWriter>& tracks);
