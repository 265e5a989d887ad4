#include "midi/MidiData.h"

#include "midi/RiffStream.h"
#include "platform/ByteReader.h"

#include <algorithm>
#include <cctype>
#include <cstring>

namespace {
// The header words are kept in file byte order; these read and write them as numbers.
std::uint16_t FileWord(std::uint16_t value)
{
    std::uint16_t w;
    const std::uint8_t b[2] = {std::uint8_t(value >> 8), std::uint8_t(value)};
    std::memcpy(&w, b, 2);
    return w;
}

std::uint16_t NumberOf(std::uint16_t fileWord)
{
    std::uint8_t b[2];
    std::memcpy(b, &fileWord, 2);
    return static_cast<std::uint16_t>((b[0] << 8) | b[1]);
}

std::string UpperExtension(const std::string& name)
{
    const auto slash = name.find_last_of('/');
    const auto dot = name.find_last_of('.');
    if (dot == std::string::npos || (slash != std::string::npos && dot < slash))
        return {};
    std::string ext = name.substr(dot);
    std::transform(ext.begin(), ext.end(), ext.begin(), [](unsigned char c) { return std::toupper(c); });
    return ext;
}
}

int TMidiData::PPQN() const { return NumberOf(division_); }

void TMidiData::SetPPQN(int value)
{
    const std::uint16_t word = FileWord(static_cast<std::uint16_t>(value));
    if (word == division_)
        return;
    division_ = word;
    modified_ = true;
}

void TMidiData::SetActive(bool active)
{
    if (active == active_)
        return;
    if (!active)
        Clear();
    else if (!fileName_.empty())
        Open();
    else
        CreateEmpty();
}

TMidiTrackStream* TMidiData::Tracks(int i) const
{
    return i < 0 || i >= TrackCount() ? nullptr : tracks_[std::size_t(i)].get();
}

void TMidiData::Clear()
{
    extraHeader_.clear();
    tracks_.clear();
    format_ = FileWord(1);
    trackCount_ = FileWord(0);
    division_ = FileWord(180);
    fromRiff_ = false;
    ClearModified();
    active_ = false;
}

void TMidiData::CreateEmpty()
{
    Clear();
    fileName_.clear();
    active_ = true;
}

void TMidiData::ClearModified()
{
    modified_ = false;
    for (auto& t : tracks_)
        t->ClearModified();
}

void TMidiData::ReadHeader(TByteReader& in)
{
    if (std::memcmp(in.Take(4).data(), "MThd", 4) != 0)
        throw EMidiData("Invalid MIDI file ID");
    const std::uint32_t length = in.U32BigEndian();
    if (length < 6)
        throw EMidiData("Invalid MIDI header size");
    const auto words = in.Take(6);
    std::memcpy(&format_, words.data(), 2);
    std::memcpy(&trackCount_, words.data() + 2, 2);
    std::memcpy(&division_, words.data() + 4, 2);
    if (length > 6) {
        const auto extra = in.Take(length - 6);
        extraHeader_.assign(extra.begin(), extra.end());
    }
}

void TMidiData::ReadTracks(TByteReader& in)
{
    const int count = NumberOf(trackCount_);
    for (int i = 0; i < count; ++i) {
        auto track = std::make_unique<TMidiTrackStream>(TMidiTrackStream::FileTrackCapacity);
        track->LoadFromStream(in);
        tracks_.push_back(std::move(track));
    }
}

void TMidiData::Open()
{
    Clear();
    const std::string ext = UpperExtension(fileName_);
    const bool riff = ext == ".RMI" || ext == ".RIFF";
    // The song is read from memory; an RMID file's song runs from its "data" chunk on.
    std::vector<std::uint8_t> bytes;
    if (riff) {
        TRiffStream r(fileName_, ERiffOpenMode::Read);
        r.Descend("RMID", ERiffSearch::FindRiff);
        r.Descend("data", ERiffSearch::FindChunk);
        bytes = r.ReadToEnd();
    } else {
        bytes = ReadSongFile(fileName_);
    }
    ReadSong(bytes);
    if (riff) {
        fromRiff_ = true;
        // Only the extension goes: a dot in a directory name must not cut the path short.
        fileName_ = fileName_.substr(0, fileName_.size() - ext.size()) + ".MID";
    }
    ClearModified();
}

void TMidiData::OpenBytes(std::span<const std::uint8_t> bytes, const std::string& fileName)
{
    Clear();
    fileName_ = fileName;
    ReadSong(bytes);
    ClearModified();
}

void TMidiData::OpenTracks(std::vector<std::unique_ptr<TMidiTrackStream>> tracks, int ppqn,
                           const std::string& fileName)
{
    Clear();
    fileName_ = fileName;
    trackCount_ = FileWord(static_cast<std::uint16_t>(tracks.size()));
    division_ = FileWord(static_cast<std::uint16_t>(ppqn));
    tracks_ = std::move(tracks);
    ClearModified();
    active_ = true;
}

void TMidiData::ReadSong(std::span<const std::uint8_t> bytes)
{
    try {
        TByteReader in(bytes);
        ReadHeader(in);
        ReadTracks(in);
    } catch (...) {
        Clear();
        throw;
    }
    active_ = true;
}
