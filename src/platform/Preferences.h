#pragma once

#include <QString>

// What the game remembers for the player between runs ($XDG_CONFIG_HOME/griprhythm/griprhythm.conf,
// ~/.config when unset): the window's scale, the judging mode and such. Calibration keeps a file
// of its own, because a therapist may copy it between machines without the rest.
// Open it as QSettings(PreferencesPath(), QSettings::IniFormat) where needed, never once for the
// whole run: tests point XDG_CONFIG_HOME at folders of their own, one after another. Each feature
// keeps its keys under a section of its own ("window/…", "play/…").
QString PreferencesPath();
