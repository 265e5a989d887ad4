#pragma once

#include "sound/SoundOutput.h"

#include <atomic>
#include <functional>
#include <string>
#include <vector>

// A short sound played without waiting for it: a new play cuts the one still sounding. It
// sounds through the game's one sound output, so a play opens nothing and starts on the next
// block the output writes. The file is read once, on the first play, and kept. Without a
// sound server, or with a file that cannot be read, nothing is heard and nothing fails.
class TSoundEffect final : private TSoundSource {
public:
    explicit TSoundEffect(std::string fileName, TSoundOutput* output = nullptr);
    ~TSoundEffect() override;
    TSoundEffect(const TSoundEffect&) = delete;
    TSoundEffect& operator=(const TSoundEffect&) = delete;

    // Reads the file, so that the first play does not wait for it.
    void Load();
    void Play();
    // The file was read and holds sound.
    bool Loaded() const { return !frames_.empty(); }
    const std::string& FileName() const { return fileName_; }
    // Plays asked for so far.
    int Plays() const { return plays_.load(); }

private:
    std::string fileName_;
    TSoundOutput* output_;
    bool loadTried_ = false;
    std::vector<float> frames_;  // interleaved stereo at the output's rate; fixed once loaded
    std::atomic<bool> restart_{false};
    std::atomic<int> plays_{0};
    std::size_t position_ = 0;  // the output's thread only
    bool sounding_ = false;     // the output's thread only

    bool Mix(float* mix, int frames, std::int64_t heardUs) override;
    bool Pending() const override { return restart_.load(); }
    void Lost() override;
};

// The sound file's samples as interleaved stereo at rate, or empty when it holds none.
std::vector<float> ReadWaveFile(const std::string& fileName, int rate);

// What a hit plays: by default "good.wav" of the data directory through a TSoundEffect.
// Tests replace it to count hits without an audio device.
using THitSound = std::function<void()>;
void PlayHitSound();
// Reads the hit sound ahead of the first hit (nothing when a replacement is set).
void PrepareHitSound();
void SetHitSound(THitSound sound);
