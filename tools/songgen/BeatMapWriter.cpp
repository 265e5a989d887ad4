#include "BeatMapWriter.h"

#include <algorithm>
#include <stdexcept>

std::string WriteBeatMap(std::vector<std::uint32_t> noteStarts)
{
    std::vector<std::uint32_t> marks;
    for (std::uint32_t start : noteStarts)
        marks.push_back((start + BallLead) / MarkGrid * MarkGrid);
    std::sort(marks.begin(), marks.end());
    marks.erase(std::unique(marks.begin(), marks.end()), marks.end());

    for (std::size_t i = 1; i < marks.size(); ++i)
        if (marks[i] - marks[i - 1] < kMinimumMarkSpacing)
            throw std::runtime_error("melody notes at " + std::to_string(marks[i - 1] - BallLead) + " and "
                                     + std::to_string(marks[i] - BallLead) + " are closer than half a beat");
    const std::size_t balls = marks.empty() ? 0 : marks.size() - 1;
    if (balls < kFewestBalls || balls > kMostBalls)
        throw std::runtime_error("the melody gives " + std::to_string(balls) + " balls");

    // Ascending order puts the highest bar on the last line, which sizes the map.
    std::string text;
    for (std::uint32_t mark : marks)
        text += std::to_string(mark / SongTicksPerBar) + ":" + std::to_string(mark % SongTicksPerBar / SongDivision)
                + ":" + std::to_string(mark % SongDivision) + "\n";
    return text;
}
