#pragma once

#include <cstdint>
#include <map>
#include <optional>
#include <string>

// The kinds a beat map may ask for, numbered as the lanes make balls.
enum EBallKind { kBlueKind = 0, kYellowKind = 1, kRedKind = 2, kChainKind = 3, kStoolKind = 4 };

// A ball's kind by a beat map's word for it; nothing for any other word.
std::optional<int> BallKindNamed(const std::string& name);
// The word for a kind; the roll's two other blue kinds (5, 6) are "blue" too.
const char* BallKindName(int kind);

// Kinds a beat map gives, by the quarter-beat position of their line.
using TBallKinds = std::map<std::int32_t, int>;
