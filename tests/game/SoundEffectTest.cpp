#include "game/SoundEffect.h"
#include "sound/ManualSoundOutput.h"

#include <QFile>
#include <QTemporaryDir>

#include <gtest/gtest.h>

#include <cmath>
#include <cstring>
#include <string>

namespace {
// A 16-bit mono wave of `count` samples at `rate`, a ramp from 0 up.
std::string WriteRamp(const QTemporaryDir& dir, int rate, int count)
{
    auto le = [](QByteArray& b, std::uint32_t v, int bytes) {
        for (int i = 0; i < bytes; ++i)
            b.append(char((v >> (8 * i)) & 0xFF));
    };
    QByteArray pcm;
    for (int i = 0; i < count; ++i)
        le(pcm, std::uint32_t(std::int16_t(i * 100)) & 0xFFFF, 2);
    QByteArray file("RIFF");
    le(file, std::uint32_t(36 + pcm.size()), 4);
    file.append("WAVEfmt ");
    le(file, 16, 4);
    le(file, 1, 2);
    le(file, 1, 2);
    le(file, std::uint32_t(rate), 4);
    le(file, std::uint32_t(rate * 2), 4);
    le(file, 2, 2);
    le(file, 16, 2);
    file.append("data");
    le(file, std::uint32_t(pcm.size()), 4);
    file.append(pcm);
    const std::string path = dir.filePath("ramp.wav").toStdString();
    QFile out(QString::fromStdString(path));
    out.open(QIODevice::WriteOnly);
    out.write(file);
    return path;
}
}

TEST(SoundEffect, ReadsMonoAsStereoAtTheOutputRateAndNothingFromABadFile)
{
    QTemporaryDir dir;
    const std::string path = WriteRamp(dir, 44100, 300);
    const std::vector<float> same = ReadWaveFile(path, 44100);
    ASSERT_EQ(same.size(), 600u);
    EXPECT_FLOAT_EQ(same[2 * 10], same[2 * 10 + 1]);
    EXPECT_NEAR(same[2 * 10], 1000.0 / 32768.0, 1e-4);
    // Half the rate plays as many seconds: twice the frames, the ramp twice as gentle.
    const std::vector<float> doubled = ReadWaveFile(WriteRamp(dir, 22050, 300), 44100);
    EXPECT_NEAR(double(doubled.size()), 1200.0, 4.0);
    EXPECT_NEAR(doubled[2 * 21], 1050.0 / 32768.0, 1e-4);
    EXPECT_TRUE(ReadWaveFile("/nonexistent/good.wav", 44100).empty());
    QFile garbage(dir.filePath("garbage.wav"));
    garbage.open(QIODevice::WriteOnly);
    garbage.write(QByteArray(100, 'x'));
    garbage.close();
    EXPECT_TRUE(ReadWaveFile(garbage.fileName().toStdString(), 44100).empty());
}

// The game's hit sound: each play starts the clip from its beginning on the next block pulled,
// cutting the one still sounding, without opening anything; while the output is away the
// clip stops, and a missing file plays nothing and fails nothing.
TEST(SoundEffect, PlaysFromTheStartOnTheNextBlockAndCutsTheOneSounding)
{
    if (ReadWaveFile(std::string(GRIP_BIN_DIR) + "good.wav", 44100).empty())
        GTEST_SKIP() << "the build has no good.wav";
    TManualSoundOutput output;
    TSoundEffect good(std::string(GRIP_BIN_DIR) + "good.wav", &output);
    good.Load();
    ASSERT_TRUE(good.Loaded());
    const std::vector<float> clip = ReadWaveFile(good.FileName(), 44100);
    bool audible = true;
    output.Pull(256, 0, &audible);
    EXPECT_FALSE(audible) << "nothing plays before a play";

    good.Play();
    EXPECT_EQ(output.Wakes(), 1) << "a resting output is woken";
    std::vector<float> first = output.Pull(256, 0, &audible);
    EXPECT_TRUE(audible);
    EXPECT_EQ(std::memcmp(first.data(), clip.data(), first.size() * sizeof(float)), 0);
    output.Pull(256, 0);
    good.Play();
    std::vector<float> again = output.Pull(256, 0);
    EXPECT_EQ(std::memcmp(again.data(), clip.data(), again.size() * sizeof(float)), 0) << "a new play starts over";
    // Played out, the clip is silent and says so.
    for (std::size_t pulled = 256; pulled < clip.size() / 2 + 256; pulled += 256)
        output.Pull(256, 0, &audible);
    EXPECT_FALSE(audible);

    good.Play();
    output.Pull(256, 0);
    output.SetConnected(false);
    output.SetConnected(true);
    output.Pull(256, 0, &audible);
    EXPECT_FALSE(audible) << "a clip cut by the server's going does not resume mid-way";

    TSoundEffect missing("/nonexistent/good.wav", &output);
    EXPECT_NO_THROW(missing.Play());
    EXPECT_FALSE(missing.Loaded());
    EXPECT_EQ(missing.Plays(), 1);
}
