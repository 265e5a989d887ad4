#include "game/BallKind.h"

#include <array>

namespace {

constexpr std::array<const char*, 5> kNames = {"blue", "yellow", "red", "chain", "stool"};

} // namespace

std::optional<int> BallKindNamed(const std::string& name)
{
    for (std::size_t i = 0; i < kNames.size(); ++i)
        if (name == kNames[i])
            return static_cast<int>(i);
    return std::nullopt;
}

const char* BallKindName(int kind)
{
    return kind >= 0 && kind < static_cast<int>(kNames.size()) ? kNames[static_cast<std::size_t>(kind)] : kNames[0];
}
