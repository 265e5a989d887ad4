#pragma once

#include "midi/MidiTrackStream.h"

#include <cstdint>
#include <memory>
#include <span>
#include <string>
#include <vector>

class EMidiData : public Exception {
public:
    using Exception::Exception;
};

// One song in memory: the header words of a Standard MIDI File and its tracks.
class TMidiData {
public:
    TMidiData() { Clear(); }
    ~TMidiData() { Clear(); }
    TMidiData(const TMidiData&) = delete;
    TMidiData& operator=(const TMidiData&) = delete;

    int PPQN() const;
    void SetPPQN(int value);
    const std::string& FileName() const { return fileName_; }
    void SetFileName(const std::string& name) { fileName_ = name; }
    bool Active() const { return active_; }
    void SetActive(bool active);

    void Clear();
    void Open();
    // Reads a whole Standard MIDI File held in memory, as Open reads one from FileName, which
    // becomes fileName; a failure leaves the song cleared.
    void OpenBytes(std::span<const std::uint8_t> bytes, const std::string& fileName);
    void CreateEmpty();
    // A song made in memory rather than read: format 1 with these tracks in this order, as if
    // read from fileName.
    void OpenTracks(std::vector<std::unique_ptr<TMidiTrackStream>> tracks, int ppqn, const std::string& fileName);
    void ClearModified();

    int TrackCount() const { return static_cast<int>(tracks_.size()); }
    TMidiTrackStream* Tracks(int i) const;

    // The header words exactly as read, most significant byte first.
    std::uint16_t FormatWord() const { return format_; }
    std::uint16_t TrackCountWord() const { return trackCount_; }
    std::uint16_t DivisionWord() const { return division_; }
    const std::vector<std::uint8_t>& ExtraHeader() const { return extraHeader_; }
    bool Modified() const { return modified_; }
    bool LoadedFromRiff() const { return fromRiff_; }

private:
    std::string fileName_;
    bool active_ = false;
    bool modified_ = false;
    bool fromRiff_ = false;
    std::uint16_t format_ = 0;
    std::uint16_t trackCount_ = 0;
    std::uint16_t division_ = 0;
    std::vector<std::uint8_t> extraHeader_;
    std::vector<std::unique_ptr<TMidiTrackStream>> tracks_;

    // Header and tracks from a whole file in memory; the song is active after, or cleared
    // and the failure raised.
    void ReadSong(std::span<const std::uint8_t> bytes);
    void ReadHeader(TByteReader& in);
    void ReadTracks(TByteReader& in);
};
