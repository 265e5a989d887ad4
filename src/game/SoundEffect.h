#pragma once

#include <functional>
#include <memory>
#include <string>

class QSoundEffect;

// A short sound played without waiting for it: a new play cuts the one still sounding. The
// file is loaded once, on the first play, and kept. Without an audio device nothing is heard
// and nothing fails.
class TSoundEffect {
public:
    explicit TSoundEffect(std::string fileName);
    ~TSoundEffect();
    TSoundEffect(const TSoundEffect&) = delete;
    TSoundEffect& operator=(const TSoundEffect&) = delete;

    // Starts loading the file, so that the first play does not wait for it.
    void Load();
    void Play();
    // Waits up to timeoutMs for a load still going on to end. Qt loads on a thread of its own
    // that breaks if the program ends under it, so the program waits before it ends.
    void Settle(int timeoutMs);
    bool Loading() const;
    const std::string& FileName() const { return fileName_; }

private:
    std::string fileName_;
    std::unique_ptr<QSoundEffect> effect_;
};

// What a hit plays: by default "good.wav" of the data directory through a TSoundEffect.
// Tests replace it to count hits without an audio device.
using THitSound = std::function<void()>;
void PlayHitSound();
// Loads the hit sound ahead of the first hit (nothing when a replacement is set).
void PrepareHitSound();
void SetHitSound(THitSound sound);
// Lets a hit sound still loading finish (at most a few seconds) before the program ends.
void SettleHitSound();
