#pragma once

#include "game/Displays.h"
#include "game/Extrinsic.h"
#include "platform/Listeners.h"

#include <array>
#include <cstdint>
#include <functional>

class TJvHidDevice;

// A player's grip level, 0..6, from the force byte of the ball's input reports. Unless the
// easy flag is set, a grip counts only while the force rises from a released ball: easing it,
// or holding it steady for long, drops the level to 0 until the ball is released again.
class TStressValue : public TBaseObject {
public:
    virtual void SetLevel(std::int32_t value) = 0;

    // Takes every input report the device has queued since the last call, oldest first, each
    // one reading through the gate. It never waits: with nothing queued nothing changes. A
    // failed read raises EHidClientError.
    void ReadDevice();
    // The same reports' forces, as reported, handed to take instead: nothing goes through the
    // gate, and the level stays as it was.
    void ReadForces(const std::function<void(std::uint8_t force)>& take);
    // One reading of the force (byte 1 of a report, divided by 5) through the gate.
    void TakeReading(std::int32_t reading);
    // A force as a ball reports it in byte 1, whoever reports it.
    void TakeForce(std::uint8_t force) { Take(force, force); }

    std::int32_t RepeatCount = 0;
    bool Easy = false;
    // Not owned; none means nothing is read.
    TJvHidDevice* Device = nullptr;
    std::int32_t LastReading = 0;
    bool Armed = false;
    std::int32_t Level = 0;

    // A ball fitted to its player's hand: the force its reports give, as the level's scale is to
    // take it. None is the game's own scale; the keys never go through it.
    std::function<std::uint8_t(std::uint8_t force)> FitForce;
    // Told of every force taken, as reported, with the reading the gate took from it.
    TListeners<void(std::uint8_t force, std::int32_t reading)> OnForce;
    // Told of every reading once the level is set from it.
    TListeners<void(std::int32_t level)> OnLevel;

    // A device that keeps its queue full cannot hold a tick longer than this many reports.
    static constexpr int MaxReportsPerRead = 64;

private:
    void Take(std::uint8_t force, std::uint8_t scaled);
};

// Player one's: lights marks 0 .. level - 1 of its six step marks.
class TStressValueOne : public TStressValue {
public:
    TStressValueOne();
    ~TStressValueOne() override;
    void SetLevel(std::int32_t value) override;

    std::array<TStepMark*, 6> Marks{};
};

// Player two's. Without a ball of its own it is never read, so its level stays 0 and its
// marks stay as created (all shown); with one it lights its marks as player one's do.
class TStressValueTwo : public TStressValue {
public:
    TStressValueTwo();
    ~TStressValueTwo() override;
    void SetLevel(std::int32_t value) override;
    // Back to how it was made: level 0 with every mark shown.
    void ShowAsCreated();

    std::array<TStepMark*, 6> Marks{};
};
