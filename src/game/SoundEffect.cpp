#include "game/SoundEffect.h"

#include "shell/DataPath.h"

#include <QSoundEffect>
#include <QUrl>

TSoundEffect::TSoundEffect(std::string fileName) : fileName_(std::move(fileName)) {}

TSoundEffect::~TSoundEffect() = default;

void TSoundEffect::Play()
{
    if (!effect_) {
        effect_ = std::make_unique<QSoundEffect>();
        effect_->setSource(QUrl::fromLocalFile(QString::fromStdString(fileName_)));
    }
    // Loading goes on in the background; a play asked for before it ends starts when it does.
    effect_->stop();
    effect_->play();
}

namespace {

THitSound& HitSound()
{
    static THitSound sound;
    return sound;
}

} // namespace

void PlayHitSound()
{
    THitSound& sound = HitSound();
    if (sound) {
        sound();
        return;
    }
    // Kept until the process ends: the audio back end must not be torn down after Qt is.
    static TSoundEffect* good = new TSoundEffect(DataFile("good.wav"));
    good->Play();
}

void SetHitSound(THitSound sound) { HitSound() = std::move(sound); }
