#pragma once

#include "game/Registries.h"
#include "sprites/DXSprite.h"

#include <QTimer>

#include <memory>
#include <string>

// Root of the holders: objects that own sprites and give them behaviour.
class TBaseObject {
public:
    TBaseObject() = default;
    virtual ~TBaseObject() = default;
    TBaseObject(const TBaseObject&) = delete;
    TBaseObject& operator=(const TBaseObject&) = delete;
};

// Root of every game sprite: one named image of one registered image store.
class TExtrinsic : public TImageSprite {
public:
    explicit TExtrinsic(TSprite* parent) : TImageSprite(parent) {}

    void SetPosition(double x, double y)
    {
        X = x;
        Y = y;
    }

    // Image := the named image of the store; Width and Height := its pattern size. A name the
    // store lacks raises the store's not-found error.
    void SetImage(TImageStoreSlot store, const std::string& name);
};

// A sprite that changes only when its owner changes it.
class TInactive : public TExtrinsic {
public:
    using TExtrinsic::TExtrinsic;
};

// A sprite with its own timer on the user-interface thread. The timer starts disabled at
// 100 ms, so nothing happens until StartTimer or SetPace.
class TActive : public TExtrinsic {
public:
    explicit TActive(TSprite* parent);
    ~TActive() override;

    void StartTimer();
    void StopTimer();
    // Interval := pace x 100 ms, and the timer runs.
    void SetPace(int pace);
    // The timer's handler; by default it advances the sprite's own animation.
    virtual void TimerTick();

    const QTimer& Timer() const { return *timer_; }

private:
    std::unique_ptr<QTimer> timer_;
};
