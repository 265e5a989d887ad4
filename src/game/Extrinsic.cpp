#include "game/Extrinsic.h"

#include "platform/Guard.h"
#include "sprites/DXImageList.h"

void TExtrinsic::SetImage(TImageStoreSlot store, const std::string& name)
{
    TPictureCollectionItem* item = ImageStore(store).Items().ImageByName(name);
    Image = item;
    Width = item->EffectiveWidth();
    Height = item->EffectiveHeight();
}

TActive::TActive(TSprite* parent) : TExtrinsic(parent), timer_(std::make_unique<QTimer>())
{
    QObject::connect(timer_.get(), &QTimer::timeout, [this] { Guarded([this] { TimerTick(); }); });
    timer_->stop();
    timer_->setInterval(100);
}

TActive::~TActive()
{
    // The derived parts are gone already; no tick may reach them.
    timer_->stop();
}

// Enabling a running timer keeps its phase, as the effects rely on when shown again.
void TActive::StartTimer()
{
    if (!timer_->isActive())
        timer_->start();
}

void TActive::StopTimer() { timer_->stop(); }

void TActive::SetPace(int pace)
{
    if (timer_->interval() != pace * 100)
        timer_->setInterval(pace * 100);
    StartTimer();
}

void TActive::TimerTick() { Move(1); }
