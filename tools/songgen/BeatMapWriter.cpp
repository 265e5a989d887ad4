#include "BeatMapWriter.h"

#include <algorithm>
#include <stdexcept>

std::string WriteBeatMap(std::vector<std::uint32_t> noteStarts)
{
    std::vector<std::uint32_t> marks;
    for (std::uint32_t start : noteStarts)
        marks.push_back((start + kBallLead) / kMarkGrid * kMarkGrid);
    std::sort(marks.begin(), marks.end());
    marks.erase(std::unique(marks.begin(), marks.end()), marks.end());

    for (std::size_t i = 1; i < marks.size(); ++i)
        if (marks[i] - marks[i - 1] < kMinimumMarkSpacing)
            throw std::runtime_error("melody notes at " + std::to_string(marks[i - 1] - kBallLead) + " and "
                                     + std::to_string(marks[i] - kBallLead) + " are closer than half a beat");
    const std::size_t balls = marks.empty() ? 0 : marks.size() - 1;
    if (balls < kFewestBalls || balls > kMostBalls)
        throw std::runtime_error("the melody gives " + std::to_string(balls) + " balls");

    // Ascending order puts the highest bar on the last line, which sizes the map.
    std::string text;
    for (std::uint32_t mark : marks)
        text += std::to_string(mark / 400) + ":" + std::to_string(mark % 400 / 100) + ":"
                + std::to_string(mark % 100) + "\n";
    return text;
}
