#include "sound/SoundOutputChoice.h"

#include "sound/AlsaSoundOutput.h"
#include "sound/PulseSoundOutput.h"
#include "sound/SoundLog.h"

#include <algorithm>

TSoundOutput& SharedSoundOutput()
{
    static TSoundOutputChoice output([] {
        std::vector<std::unique_ptr<TSoundOutput>> outputs;
        outputs.push_back(std::make_unique<TPulseSoundOutput>());
        outputs.push_back(std::make_unique<TAlsaSoundOutput>());
        return outputs;
    }());
    return output;
}

TSoundOutputChoice::TSoundOutputChoice(std::vector<std::unique_ptr<TSoundOutput>> outputs)
    : outputs_(std::move(outputs)), current_(outputs_.empty() ? static_cast<TSoundOutput*>(&silent_) : outputs_.front().get())
{
}

TSoundOutput* TSoundOutputChoice::Choose(int timeoutMs)
{
    for (const auto& output : outputs_) {
        if (output->Start(timeoutMs))
            return output.get();
        qCInfo(SoundLog).noquote() << "No sound through" << QString::fromStdString(output->Name()) << "-"
                                   << QString::fromStdString(output->Failure());
    }
    for (const auto& output : outputs_)
        if (output->KeepsLooking()) {
            qCInfo(SoundLog).noquote() << "Silent until" << QString::fromStdString(output->Name()) << "answers";
            return output.get();
        }
    qCInfo(SoundLog) << "Silent: no output can be tried again";
    return &silent_;
}

bool TSoundOutputChoice::Start(int timeoutMs)
{
    std::lock_guard lock(mutex_);
    if (chosen_)
        return Current().Start(timeoutMs);
    chosen_ = true;
    TSoundOutput* chosen = Choose(timeoutMs);
    TSoundOutput* before = current_.load();
    if (chosen != before) {
        for (TSoundSource* source : sources_)
            before->Detach(source);
        current_ = chosen;
        for (TSoundSource* source : sources_)
            chosen->Attach(source);
    }
    return chosen->Connected();
}

void TSoundOutputChoice::Attach(TSoundSource* source)
{
    std::lock_guard lock(mutex_);
    if (std::find(sources_.begin(), sources_.end(), source) == sources_.end())
        sources_.push_back(source);
    Current().Attach(source);
}

void TSoundOutputChoice::Detach(TSoundSource* source)
{
    std::lock_guard lock(mutex_);
    sources_.erase(std::remove(sources_.begin(), sources_.end(), source), sources_.end());
    Current().Detach(source);
}
