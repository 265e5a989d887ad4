#include "LibraryCommands.h"

#include "core/SongList.h"
#include "platform/ControlEscapes.h"

#include <cmath>
#include <optional>

namespace {

// A line a song and a field a column: a tab or a line end in a name would break both, and any
// other control is escaped so that it cannot steer the terminal.
std::string Field(const QString& text)
{
    QString flat = text;
    for (QChar& c : flat)
        if (c == '\t' || c == '\n' || c == '\r')
            c = ' ';
    return EscapeControls(flat.toStdString());
}

std::string PerCent(const std::optional<double>& rate)
{
    return rate ? std::to_string(std::lround(*rate * 100)) : std::string();
}

} // namespace

namespace TLibraryCommands {

void Songs(const QStringList& players, std::ostream& out, std::ostream& report)
{
    const auto refused = [&report](const QString& path, const QString& reason) {
        report << Field(path) << ": not listed: " << Field(reason) << '\n';
    };
    out << "name\tseconds\tballs\tlast\tbest\tpath\n";
    for (const TSongListing& song : ListSongs(TSongListPlaces::Default(), players, refused))
        out << Field(song.Name) << '\t' << QString::number(song.Seconds, 'f', 1).toStdString() << '\t' << song.Balls
            << '\t' << PerCent(song.Rates.Last) << '\t' << PerCent(song.Rates.Best) << '\t' << Field(song.Path) << '\n';
}

} // namespace TLibraryCommands
