#pragma once

#include <QString>

#include <cstdint>
#include <optional>

class TSoundOutput;

// The offsets found by tapping, one for each device the sound server names, kept in the
// game's settings ("audio/tap_offset_ms/<device>"). An output that names no device keeps its
// offset under "default".
QString TapOffsetDevice(const TSoundOutput& output);
std::optional<std::int64_t> StoredTapOffsetUs(const QString& device);
void StoreTapOffsetUs(const QString& device, std::int64_t offsetUs);
// What the output's device has kept, 0 while it has kept nothing.
std::int64_t TapOffsetUs(const TSoundOutput& output);
