#include "MidiChunks.h"

#include <algorithm>
#include <fstream>
#include <iterator>
#include <stdexcept>

namespace {

class TReader {
public:
    TReader(const std::string& data, std::size_t pos, std::size_t end) : data_(data), pos_(pos), end_(end) {}

    bool AtEnd() const { return pos_ >= end_; }
    std::uint8_t Byte()
    {
        if (pos_ >= end_)
            throw std::runtime_error("track data ends inside an event");
        return static_cast<std::uint8_t>(data_[pos_++]);
    }
    std::uint8_t Peek() const
    {
        if (pos_ >= end_)
            throw std::runtime_error("track data ends inside an event");
        return static_cast<std::uint8_t>(data_[pos_]);
    }
    std::uint32_t Variable()
    {
        std::uint32_t value = 0;
        for (int i = 0; i < 4; ++i) {
            const std::uint8_t b = Byte();
            value = value << 7 | (b & 0x7F);
            if (!(b & 0x80))
                return value;
        }
        throw std::runtime_error("variable-length number longer than four bytes");
    }
    std::vector<std::uint8_t> Bytes(std::uint32_t count)
    {
        if (count > end_ - pos_)
            throw std::runtime_error("event length runs past the track");
        std::vector<std::uint8_t> out(data_.begin() + static_cast<long>(pos_), data_.begin() + static_cast<long>(pos_ + count));
        pos_ += count;
        return out;
    }

private:
    const std::string& data_;
    std::size_t pos_;
    std::size_t end_;
};

std::uint32_t Big(const std::string& data, std::size_t pos, int bytes)
{
    if (pos + static_cast<std::size_t>(bytes) > data.size())
        throw std::runtime_error("file ends inside a chunk header");
    std::uint32_t value = 0;
    for (int i = 0; i < bytes; ++i)
        value = value << 8 | static_cast<unsigned char>(data[pos + static_cast<std::size_t>(i)]);
    return value;
}

TMidiTrackChunk ReadTrack(const std::string& data, std::size_t begin, std::size_t end)
{
    TMidiTrackChunk track;
    TReader reader(data, begin, end);
    std::uint32_t tick = 0;
    std::uint8_t running = 0;
    while (!reader.AtEnd()) {
        tick += reader.Variable();
        TMidiEventRecord event;
        event.tick = tick;
        std::uint8_t status = reader.Peek();
        if (status & 0x80)
            reader.Byte();
        else if (running)
            status = running;
        else
            throw std::runtime_error("running status with no status before it");
        event.status = status;
        if (status == 0xFF) {
            event.metaType = reader.Byte();
            event.data = reader.Bytes(reader.Variable());
        } else if (status == 0xF0 || status == 0xF7) {
            event.data = reader.Bytes(reader.Variable());
        } else if (status >= 0x80 && status < 0xF0) {
            running = status;
            const int kind = status & 0xF0;
            event.data = reader.Bytes(kind == 0xC0 || kind == 0xD0 ? 1 : 2);
            for (std::uint8_t b : event.data)
                if (b & 0x80)
                    throw std::runtime_error("data byte with the high bit set");
        } else {
            throw std::runtime_error("system common message inside a track");
        }
        track.events.push_back(std::move(event));
    }
    return track;
}

} // namespace

std::string TMidiTrackChunk::Name() const
{
    for (const TMidiEventRecord& e : events)
        if (e.status == 0xFF && e.metaType == 0x03)
            return std::string(e.data.begin(), e.data.end());
    return {};
}

double TickToSeconds(const TMidiChunks& song, std::uint32_t tick)
{
    double seconds = 0.0;
    std::uint32_t last = 0;
    double perTick = 0.5 / song.division;
    if (!song.tracks.empty())
        for (const TMidiEventRecord& e : song.tracks[0].events) {
            if (e.tick >= tick)
                break;
            if (e.status == 0xFF && e.metaType == 0x51 && e.data.size() == 3) {
                seconds += (e.tick - last) * perTick;
                last = e.tick;
                perTick = (e.data[0] << 16 | e.data[1] << 8 | e.data[2]) / 1e6 / song.division;
            }
        }
    return seconds + (tick - last) * perTick;
}

std::uint32_t LastTick(const TMidiChunks& song)
{
    std::uint32_t last = 0;
    for (const TMidiTrackChunk& track : song.tracks)
        if (!track.events.empty())
            last = std::max(last, track.events.back().tick);
    return last;
}

TMidiChunks ReadMidiChunks(const std::string& path)
{
    std::ifstream file(path, std::ios::binary);
    if (!file)
        throw std::runtime_error("cannot open " + path);
    const std::string data{std::istreambuf_iterator<char>(file), std::istreambuf_iterator<char>()};
    TMidiChunks song;
    std::size_t pos = 0;
    while (pos < data.size()) {
        const std::string id = data.substr(pos, 4);
        const std::uint32_t size = Big(data, pos + 4, 4);
        const std::size_t body = pos + 8;
        if (size > data.size() - body)
            throw std::runtime_error("chunk '" + id + "' runs past the end of the file");
        if (song.chunkIds.empty()) {
            if (id != "MThd" || size != 6)
                throw std::runtime_error("the file does not start with a six-byte MThd chunk");
            song.format = static_cast<int>(Big(data, body, 2));
            song.declaredTracks = static_cast<int>(Big(data, body + 2, 2));
            song.division = static_cast<int>(Big(data, body + 4, 2));
        } else if (id == "MTrk") {
            song.tracks.push_back(ReadTrack(data, body, body + size));
        }
        song.chunkIds.push_back(id);
        pos = body + size;
    }
    return song;
}
