#pragma once

#include "midi/MidiData.h"
#include "midi/SongPosition.h"
#include "platform/Exception.h"

#include <cstddef>
#include <cstdint>
#include <memory>
#include <span>
#include <string>
#include <vector>

// A file that is no song the game can play, with the reason in words a player understands.
class ESongImport : public Exception {
public:
    using Exception::Exception;
};

// Real songs are well under 1 MB; a file of this size still imports in a fraction of a second,
// so opening one never holds the game's window up for long.
constexpr std::size_t LargestSongFile = 8u << 20;
// Each track of a song the game plays takes memory mappings of its own, which the system
// counts (vm.max_map_count, 65530 by default); real songs have a few dozen tracks.
constexpr int MostSongTracks = 1024;

// A song in the form the game plays: a format-1 file of division 100 whose bars are all 4/4,
// so that the song position is simply the tick. Every event keeps its time in seconds to within
// half a tick: the tempo changes all move to the first track (where the player reads them),
// every metre change is rewritten to 4/4, and a note left sounding is ended where its track ends.
// A song so fast that balls would pass the rule mark between two frames has each of its beats
// stand for 2, 4 or 8 of the file's quarter notes, its tempi stated per beat alike.
struct TImportedSong {
    // The song in memory, as the player plays it.
    std::unique_ptr<TMidiData> Song;
    // The same song as a Standard MIDI File, when the import was asked to write one.
    std::vector<std::uint8_t> File;
    // The first track's name when it names the song, else the file's base name.
    std::string Title;
    // For each track of the file read, the track of the song that holds its events. The first
    // track of the song is the file's own first track when that one held only tempo, metre and
    // other meta events; otherwise it is a track put before the others.
    std::vector<int> SongTrackOf;
    // How many of the file's quarter notes a beat of the song stands for.
    int QuartersPerBeat = 1;
    // What the import left out of the file and the player should hear of, each said once.
    std::vector<std::string> Warnings;
};

// Whether the import also writes the song out as a file (TImportedSong::File): a song that is
// only played needs none.
enum class ESongBytes { Written, None };

// Reads a Standard MIDI File (format 0 or 1, any division in ticks per quarter note, at most
// MostSongTracks tracks) or a RIFF RMID file holding one, of at most LargestSongFile bytes.
// fileName names the song and the messages, and is the in-memory song's FileName.
TImportedSong ImportSong(std::span<const std::uint8_t> bytes, const std::string& fileName,
                         ESongBytes file = ESongBytes::Written);

// The same for a file on disk, refused by its size before it is read; "Cannot open file %s"
// when it cannot be read.
TImportedSong ImportSongFile(const std::string& path, ESongBytes file = ESongBytes::Written);

// A track name that says nothing about the song ("Track 1", "untitled", blanks).
bool IsPlaceholderName(const std::string& name);
