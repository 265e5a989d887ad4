#include "game/SoundEffect.h"

#include "platform/DataPath.h"

#include <QEventLoop>
#include <QSoundEffect>
#include <QTimer>
#include <QUrl>

TSoundEffect::TSoundEffect(std::string fileName) : fileName_(std::move(fileName)) {}

TSoundEffect::~TSoundEffect() = default;

void TSoundEffect::Load()
{
    if (effect_)
        return;
    effect_ = std::make_unique<QSoundEffect>();
    effect_->setSource(QUrl::fromLocalFile(QString::fromStdString(fileName_)));
}

void TSoundEffect::Play()
{
    Load();
    // Loading goes on in the background; a play asked for before it ends starts when it does.
    effect_->stop();
    effect_->play();
}

bool TSoundEffect::Loading() const { return effect_ && effect_->status() == QSoundEffect::Loading; }

void TSoundEffect::Settle(int timeoutMs)
{
    if (!Loading())
        return;
    // The loader reports to this thread through its event queue, so the queue must run.
    QEventLoop loop;
    QObject::connect(effect_.get(), &QSoundEffect::statusChanged, &loop, [&] {
        if (!Loading())
            loop.quit();
    });
    QTimer::singleShot(timeoutMs, &loop, &QEventLoop::quit);
    loop.exec();
}

namespace {

THitSound& HitSound()
{
    static THitSound sound;
    return sound;
}

// Kept until the process ends: the audio back end must not be torn down after Qt is.
TSoundEffect*& GoodSlot()
{
    static TSoundEffect* good = nullptr;
    return good;
}

TSoundEffect& GoodSound()
{
    // A data directory set anew (as a test harness does) gets its own file.
    TSoundEffect*& good = GoodSlot();
    const std::string file = DataFile("good.wav");
    if (!good || good->FileName() != file) {
        delete good;
        good = new TSoundEffect(file);
    }
    return *good;
}

} // namespace

void PlayHitSound()
{
    THitSound& sound = HitSound();
    if (sound)
        sound();
    else
        GoodSound().Play();
}

void PrepareHitSound()
{
    if (!HitSound())
        GoodSound().Load();
}

void SetHitSound(THitSound sound) { HitSound() = std::move(sound); }

void SettleHitSound()
{
    if (TSoundEffect* good = GoodSlot())
        good->Settle(3000);
}
