#include "MidiChunks.h"
#include "WaveFile.h"

#include <QFileInfo>
#include <QProcess>
#include <QTemporaryDir>
#include <gtest/gtest.h>

namespace {

const char* const kSoundFont = "/usr/share/sounds/sf2/TimGM6mb.sf2";

// The song rendered offline by the synthesizer the game plays it on must sound from its first
// half second to its last: no silent intro, no gap, nothing cut short.
TEST(SongRenderTest, SoundsThroughItsWholeLength)
{
    ASSERT_TRUE(QFileInfo::exists(kSoundFont)) << "the General MIDI sound font is missing";
    QTemporaryDir dir;
    ASSERT_TRUE(dir.isValid());
    const QString wavePath = dir.filePath("song.wav");
    QProcess fluidsynth;
    fluidsynth.start("fluidsynth", {"-ni", "-q", "-F", wavePath, "-T", "wav", "-O", "s16", "-r", "22050", kSoundFont,
                                    QString(GRIP_BIN_DIR) + "invincible.mid"});
    ASSERT_TRUE(fluidsynth.waitForStarted(10000)) << "fluidsynth does not start";
    ASSERT_TRUE(fluidsynth.waitForFinished(60000)) << "rendering took over a minute";
    ASSERT_EQ(fluidsynth.exitCode(), 0) << fluidsynth.readAllStandardError().toStdString();

    const TWaveFile wave = ReadWaveFile(wavePath.toStdString());
    const TMidiChunks song = ReadMidiChunks(std::string(GRIP_BIN_DIR) + "invincible.mid");
    const double seconds = TickToSeconds(song, LastTick(song));
    ASSERT_GE(wave.Seconds(), seconds);

    constexpr double kWindow = 0.5;
    constexpr double kQuietestDb = -45.0;
    double quietest = 0.0;
    double loudest = -200.0;
    for (double t = 0.0; t + kWindow <= seconds; t += kWindow) {
        const double level = wave.LevelDb(t, kWindow);
        EXPECT_GT(level, kQuietestDb) << "too quiet at " << t << " s";
        quietest = std::min(quietest, level);
        loudest = std::max(loudest, level);
    }
    EXPECT_LT(loudest, -3.0) << "rendered near full scale, likely clipping";
    std::printf("rendered %.1f s of %.1f s; levels %.1f to %.1f dBFS\n", wave.Seconds(), seconds, quietest, loudest);
}

} // namespace
