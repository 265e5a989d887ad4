#include "WaveFile.h"

#include <gtest/gtest.h>

namespace {

TEST(HitSoundTest, IsAShortSixteenBitPcmWave)
{
    const TWaveFile wave = ReadWaveFile(std::string(GRIP_BIN_DIR) + "good.wav");
    EXPECT_EQ(wave.format, 1) << "PCM";
    EXPECT_EQ(wave.bitsPerSample, 16);
    EXPECT_GE(wave.channels, 1);
    EXPECT_LE(wave.channels, 2);
    EXPECT_GE(wave.sampleRate, 22050);
    EXPECT_LE(wave.sampleRate, 48000);
    EXPECT_EQ(wave.riffSize + 8, wave.fileSize) << "RIFF size disagrees with the file";
    EXPECT_GT(wave.Seconds(), 0.05);
    EXPECT_LT(wave.Seconds(), 0.2);
}

TEST(HitSoundTest, StartsLoudAndEndsInSilence)
{
    const TWaveFile wave = ReadWaveFile(std::string(GRIP_BIN_DIR) + "good.wav");
    int peak = 0;
    for (std::int16_t s : wave.samples)
        peak = std::max(peak, std::abs(static_cast<int>(s)));
    EXPECT_GT(peak, 32767 / 4) << "too quiet to hear over the song";
    EXPECT_LT(peak, 32767) << "clipped";
    EXPECT_GT(wave.LevelDb(0.0, 0.02), -20.0) << "the hit must be heard at once";
    // No click: the first and last samples are near zero.
    EXPECT_LT(std::abs(wave.samples.front()), 200);
    EXPECT_LT(std::abs(wave.samples.back()), 200);
    EXPECT_LT(wave.LevelDb(wave.Seconds() - 0.005, 0.005), -40.0);
}

} // namespace
