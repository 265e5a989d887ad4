#pragma once

#include <cstdint>

class TStressValue;

// The keys that stand in for the grip ball while player one has none.
enum class TGripKey { Light, Medium, Hard };

// Player one's grip from the keyboard: each held key is a force, reported like a ball's byte 1
// at a steady rate and fed through the stress value's gate, so Easy Mode and the need to let go
// between balls apply to it as to the ball. J is a light grip (level 1, then 2), K a medium
// one (1, then 4), L a hard one (1, then 6): a key first touches lightly, as a hand does, so a
// grip after a long rest still counts. Until the first key is pressed it reports nothing.
class TKeyGrip {
public:
    void Press(TGripKey key);
    void Release(TGripKey key);
    // The window lost the keyboard: no key can be held any more.
    void ReleaseAll();

    // The readings due since the last feed go through the gate, one per ReportIntervalMs of
    // the game clock.
    void Feed(TStressValue& stress);
    // The force the strongest held key asks for (0 with none held).
    std::uint8_t HeldForce() const;
    bool Live() const { return live_; }

    static constexpr int ReportIntervalMs = 10;
    // A feed after a long pause takes no more than this many readings; the rest are dropped.
    static constexpr int MaxCatchUp = 8;
    static constexpr std::uint8_t TouchForce = 5;
    static constexpr std::uint8_t LightForce = 12, MediumForce = 22, HardForce = 32;

private:
    std::uint8_t NextForce();

    unsigned held_ = 0;
    bool live_ = false;
    std::int64_t last_ = 0;
    std::uint8_t force_ = 0;
};
