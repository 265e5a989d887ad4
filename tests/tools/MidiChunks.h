#pragma once

#include <cstdint>
#include <string>
#include <vector>

// An independent, deliberately plain reading of a Standard MIDI File, so the song generator's
// output is checked by something that did not write it.
struct TMidiEventRecord {
    std::uint32_t tick = 0;
    std::uint8_t status = 0;       // 0xFF for meta events, 0xF0/0xF7 for system exclusive
    std::uint8_t metaType = 0;
    std::vector<std::uint8_t> data;
};

struct TMidiTrackChunk {
    std::vector<TMidiEventRecord> events;
    std::string Name() const;      // first track-name meta, "" without one
};

struct TMidiChunks {
    int format = 0;
    int declaredTracks = 0;
    int division = 0;
    std::vector<TMidiTrackChunk> tracks;
    std::vector<std::string> chunkIds; // in file order
};

// Seconds from the start to tick, through the tempo changes of track 0 (120 a minute before any).
double TickToSeconds(const TMidiChunks& song, std::uint32_t tick);
// The tick of the last event of any track.
std::uint32_t LastTick(const TMidiChunks& song);

// Throws std::runtime_error on anything malformed, including chunks that do not tile the file.
TMidiChunks ReadMidiChunks(const std::string& path);
