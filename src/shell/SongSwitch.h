#pragma once

#include <string>

class TDatas;

// Puts a song of the player's choosing in place of the one loaded: the song read into the
// game's form, its beat map (the file beside it with the same base name and ".txt", else one
// made from its melody), then the song player, the piano roll, the memo (emptied, then told
// what the import left out of the song) and the game. All that can fail is done before
// anything changes: a file that is no playable song, a beat map beside it that does not load,
// or an output that does not open raises its message, and the song loaded before stays loaded
// and playable. Nothing is ever written beside the player's files.
class TSongSwitch {
public:
    explicit TSongSwitch(TDatas& form) : form_(form) {}

    void Open(const std::string& path);

    // The beat map that goes with a song: the same folder and base name, ending in ".txt".
    static std::string BeatMapBeside(const std::string& songPath);

    // The song last opened here; empty while the game plays the one it started with.
    const std::string& Path() const { return path_; }

private:
    TDatas& form_;
    std::string path_;
};
