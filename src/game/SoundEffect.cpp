#include "game/SoundEffect.h"

#include "platform/DataPath.h"

#include <QAudioFormat>
#include <QFile>
#include <QWaveDecoder>

#include <algorithm>

std::vector<float> ReadWaveFile(const std::string& fileName, int rate)
{
    QFile file(QString::fromStdString(fileName));
    if (!file.open(QIODevice::ReadOnly))
        return {};
    QWaveDecoder decoder(&file);
    if (!decoder.open(QIODevice::ReadOnly))
        return {};
    const QAudioFormat format = decoder.audioFormat();
    const int channels = format.channelCount();
    const int bytes = format.bytesPerSample();
    if (!format.isValid() || channels < 1 || bytes < 1 || format.sampleRate() < 1)
        return {};
    const QByteArray data = decoder.readAll();
    const qsizetype count = data.size() / (qsizetype(bytes) * channels);
    // Each frame to stereo: the first channel left, the second (or the first again) right.
    std::vector<float> source(std::size_t(count) * 2);
    for (qsizetype i = 0; i < count; ++i)
        for (int c = 0; c < 2; ++c) {
            const char* sample = data.constData() + (i * channels + std::min(c, channels - 1)) * bytes;
            source[std::size_t(i) * 2 + std::size_t(c)] = format.normalizedSampleValue(sample);
        }
    if (format.sampleRate() == rate)
        return source;
    // Another rate: linear interpolation is plenty for a click of a tenth of a second.
    const double step = double(format.sampleRate()) / rate;
    const auto frames = std::size_t(double(count) / step);
    std::vector<float> resampled(frames * 2);
    for (std::size_t i = 0; i < frames; ++i) {
        const double at = double(i) * step;
        const auto j = std::size_t(at);
        const double f = at - double(j);
        const std::size_t k = std::min<std::size_t>(j + 1, std::size_t(count) - 1);
        for (int c = 0; c < 2; ++c)
            resampled[i * 2 + std::size_t(c)] = float((1 - f) * source[j * 2 + std::size_t(c)] + f * source[k * 2 + std::size_t(c)]);
    }
    return resampled;
}

TSoundEffect::TSoundEffect(std::string fileName, TSoundOutput* output)
    : fileName_(std::move(fileName)), output_(output ? output : &SharedSoundOutput())
{
}

TSoundEffect::~TSoundEffect()
{
    if (Loaded())
        output_->Detach(this);
}

void TSoundEffect::Load()
{
    if (loadTried_)
        return;
    loadTried_ = true;
    frames_ = ReadWaveFile(fileName_, TSoundOutput::SampleRate);
    if (Loaded())
        output_->Attach(this);
}

void TSoundEffect::Play()
{
    Load();
    plays_.fetch_add(1);
    if (!Loaded())
        return;
    restart_ = true;
    output_->Wake();
}

bool TSoundEffect::Mix(float* mix, int frames, std::int64_t)
{
    if (restart_.exchange(false)) {
        position_ = 0;
        sounding_ = true;
    }
    if (!sounding_)
        return false;
    const std::size_t n = std::min(std::size_t(frames), frames_.size() / 2 - position_);
    for (std::size_t i = 0; i < n * 2; ++i)
        mix[i] += frames_[position_ * 2 + i];
    position_ += n;
    sounding_ = position_ * 2 < frames_.size();
    return n > 0;
}

void TSoundEffect::Lost() { sounding_ = false; }

namespace {

THitSound& HitSound()
{
    static THitSound sound;
    return sound;
}

// Kept until the process ends, as the output it plays through is.
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
