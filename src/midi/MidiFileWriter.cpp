#include "midi/MidiFileWriter.h"

#include "midi/MidiData.h"
#include "platform/ByteWriter.h"

#include <array>
#include <cstring>

namespace {

// The header words are kept in file byte order, so their bytes go out as they are.
std::array<std::uint8_t, 2> WordBytes(std::uint16_t fileWord)
{
    std::array<std::uint8_t, 2> b;
    std::memcpy(b.data(), &fileWord, 2);
    return b;
}

std::vector<std::uint8_t> TrackBody(const TMidiTrackStream& track)
{
    TByteWriter w;
    std::int32_t tick = 0;
    for (std::int32_t i = 0; i < track.EventCount(); ++i) {
        const TMidiEvent& e = *track.Events(i);
        w.VariableLength(std::uint32_t(e.Tick - tick));
        tick = e.Tick;
        w.U8(e.Status);
        if (e.Status < 0xF0) {
            w.U8(e.Data[0]);
            const std::uint8_t kind = e.Status & 0xF0;
            if (kind != 0xC0 && kind != 0xD0)
                w.U8(e.Data[1]);
            continue;
        }
        const std::uint8_t* block = track.EventData(e);
        if (!block)
            continue;
        if (e.Status == 0xFF) {
            w.U8(block[0]);
            w.VariableLength(e.DataLength > 0 ? e.DataLength - 1u : 0u);
            if (e.DataLength > 1)
                w.Append({block + 1, std::size_t(e.DataLength) - 1});
        } else {
            w.VariableLength(e.DataLength);
            w.Append({block, e.DataLength});
        }
    }
    return std::move(w.Bytes());
}

} // namespace

std::vector<std::uint8_t> MidiFileBytes(const TMidiData& song)
{
    TByteWriter file;
    file.Append(std::array<std::uint8_t, 4>{'M', 'T', 'h', 'd'});
    file.U32BigEndian(std::uint32_t(6 + song.ExtraHeader().size()));
    file.Append(WordBytes(song.FormatWord()));
    file.U16BigEndian(std::uint16_t(song.TrackCount()));
    file.Append(WordBytes(song.DivisionWord()));
    file.Append(song.ExtraHeader());
    for (int t = 0; t < song.TrackCount(); ++t) {
        const std::vector<std::uint8_t> body = TrackBody(*song.Tracks(t));
        file.Append(std::array<std::uint8_t, 4>{'M', 'T', 'r', 'k'});
        file.U32BigEndian(std::uint32_t(body.size()));
        file.Append(body);
    }
    return std::move(file.Bytes());
}
