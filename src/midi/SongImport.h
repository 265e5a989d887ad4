#pragma once

#include "midi/SongPosition.h"
#include "platform/Exception.h"

#include <cstdint>
#include <span>
#include <string>
#include <vector>

// A file that is no song the game can play, with the reason in words a player understands.
class ESongImport : public Exception {
public:
    using Exception::Exception;
};

// A song in the form the game plays: a format-1 file of division 100 whose bars are all 4/4,
// so that the song position is simply the tick. Every event keeps its time in seconds to within
// half a tick: the tempo changes all move to the first track (where the player reads them),
// every metre change is rewritten to 4/4, and a note left sounding is ended where its track ends.
// A song so fast that balls would pass the rule mark between two frames has each of its beats
// stand for 2, 4 or 8 of the file's quarter notes, its tempi stated per beat alike.
struct TImportedSong {
    std::vector<std::uint8_t> File;
    // The first track's name when it names the song, else the file's base name.
    std::string Title;
    // For each track of the file read, the track of the song that holds its events. The first
    // track of the song is the file's own first track when that one held only tempo, metre and
    // other meta events; otherwise it is a track put before the others.
    std::vector<int> SongTrackOf;
    // How many of the file's quarter notes a beat of the song stands for.
    int QuartersPerBeat = 1;
};

// Reads a Standard MIDI File (format 0 or 1, any division in ticks per quarter note) or a RIFF
// RMID file holding one. fileName only names the song and the messages.
TImportedSong ImportSong(std::span<const std::uint8_t> bytes, const std::string& fileName);

// The same for a file on disk; "Cannot open file %s" when it cannot be read.
TImportedSong ImportSongFile(const std::string& path);

// A track name that says nothing about the song ("Track 1", "untitled", blanks).
bool IsPlaceholderName(const std::string& name);
