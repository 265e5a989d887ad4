#pragma once

#include "game/Extrinsic.h"

#include <cstdint>
#include <string>

class TBackScenery : public TActive {
public:
    explicit TBackScenery(TSprite* parent);
};

// Player one's scenery: alternates its two patterns every 400 ms from creation on.
class TBackSceneryOne : public TBackScenery {
public:
    explicit TBackSceneryOne(TSprite* parent);
    void TimerTick() override;
};

class TBackSceneryTwo : public TBackScenery {
public:
    explicit TBackSceneryTwo(TSprite* parent);
};

// The jumping figure; its ticks advance a looping six-frame animation.
class TPrincipal : public TActive {
public:
    TPrincipal(TSprite* parent, const std::string& imageName);
    void Setup(double x, double y);
};

// A toy whose ticks step through its patterns, wrapping at the end.
class TWebbitToy : public TActive {
public:
    TWebbitToy(TSprite* parent, const std::string& imageName);
    void TimerTick() override;
};

// Shows one of three gestures by grip level: levels 0-2, 3-4, 5-6.
class TGesture : public TInactive {
public:
    explicit TGesture(TSprite* parent);
    void ShowLevel(int level);
};

// The lining beside the gestures: grey at level 0, else the column of the level.
class TLiningGesture : public TInactive {
public:
    explicit TLiningGesture(TSprite* parent);
    void ShowLevel(int level);
    void SetColumn(std::int8_t c);

    std::int8_t Column = 0;
};

class TSunshadeLeft : public TInactive {
public:
    explicit TSunshadeLeft(TSprite* parent);
};

class TSunshadeRight : public TInactive {
public:
    explicit TSunshadeRight(TSprite* parent);
};

// The title plate. It shows the picture the game ships until a song of the player's choosing
// gives it a title; that plate is drawn then and kept in the context store beside the others.
class TSongName : public TInactive {
public:
    explicit TSongName(TSprite* parent);
    void ShowTitle(const std::string& title);
};
