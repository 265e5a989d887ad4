#pragma once

#include <QStringList>

#include <ostream>

// The song library from the command line.
namespace TLibraryCommands {
// One tab-separated line a song, after a header: name, seconds, balls, the last and best hit
// rate in whole per cents (empty when never played) of the named players (every player when
// none is named), path. Files that are no songs are named on report with the reason.
void Songs(const QStringList& players, std::ostream& out, std::ostream& report);
} // namespace TLibraryCommands
