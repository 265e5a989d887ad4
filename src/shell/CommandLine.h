#pragma once

#include <QString>
#include <QStringList>

#include <optional>

// What the game was started with: `griprhythm [--scale N] [--player NAME] [SONG]`.
struct TCommandLine {
    QString Song;
    std::optional<int> Scale;
    // Player one by name, added when new.
    std::optional<QString> Player;
    // Why the command line cannot be followed; empty when it can.
    QString Error;
};

// The arguments as the program gets them, its own name first.
TCommandLine ParseCommandLine(const QStringList& arguments);
