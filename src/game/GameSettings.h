#pragma once

// The player's options on the main window, as the game and its song take them. The window
// hands them over when the game is made and again whenever one of them changes; the game keeps
// its own copy, so a lane or a ball reads a plain value where it needs one.
struct TGameSettings {
    // Player one's grip counts without being released between balls.
    bool EasyMode = false;
    // Red and yellow rolls become blue balls, and no chain balls are laid out.
    bool OnlyBlue = false;
    // Half the spacing between the balls laid out, and half their speed.
    bool SmallShift = false;
    // The song's tempo in per cent of its own (30..100).
    int MelodySpeed = 100;
};
