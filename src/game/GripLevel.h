#pragma once

// The grip level is the force a ball reports in byte 1 taken a step for every ForcePerLevel,
// up to level 6.
constexpr int ForcePerLevel = 5;
constexpr int TopGripLevel = 6;
