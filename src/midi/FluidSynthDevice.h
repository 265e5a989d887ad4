#pragma once

#include "midi/MidiDevice.h"
#include "midi/SoundFontChoice.h"
#include "sound/SilentSoundOutput.h"
#include "sound/SoundOutput.h"

#include <atomic>
#include <deque>
#include <mutex>
#include <string>
#include <thread>
#include <vector>

struct _fluid_hashtable_t;
struct _fluid_synth_t;

enum class EFluidSynthAudio {
    Live,     // sound through the process's sound output (the server's, ALSA or none)
    Offline,  // no audio output; the owner pulls samples with Render
};

// The built-in General MIDI synthesizer. Live, it is a source of the game's sound output:
// timed messages take effect on the rendered block nearest their due time plus a fixed lead,
// so the song keeps its time whatever the grid it was sent on; while the server is away,
// notes are dropped and everything else is kept, so the song sounds right when it is back.
class TFluidSynthDevice final : public TMidiDevice, private TSoundSource {
public:
    static constexpr int SampleRate = TSoundOutput::SampleRate;
    // How long after its due time a timed message may reach the synthesizer and still take
    // effect in time: the player's 4 ms step, a late wake of its thread, and one request of
    // the output.
    static constexpr std::int64_t LeadUs = 10000;
    // A SoundFont larger than this is never loaded whole: each song loads a copy of it cut down
    // to the song's presets, since the synthesizer would otherwise keep every preset's zones.
    static constexpr std::int64_t DefaultSubsetAboveBytes = std::int64_t(32) << 20;

    // Live sounds through the given output, or through the process's.
    explicit TFluidSynthDevice(EFluidSynthAudio audio, TSoundOutput* output = nullptr);
    ~TFluidSynthDevice() override;

    bool Open(TMidiDeviceCallback callback) override;
    void ShortMessage(std::uint32_t message) override;
    void TimedShortMessage(std::uint32_t message, std::int64_t dueMicroseconds) override;
    void Reset() override;
    void Close() override;
    std::int64_t OutputLatencyMicroseconds() const override;
    // The SoundFont's samples are read as its presets come into use; this reads the song's now
    // and keeps them until the next song's come, so nothing is read from disk while it plays.
    void Preload(const std::vector<TMidiInstrument>& instruments) override;
    // What was tapped for the device the output sounds through.
    std::int64_t TappedOffsetMicroseconds() const override;

    // Synthesizes frames of stereo sound into left and right (offline use).
    void Render(std::vector<float>& left, std::vector<float>& right, int frames);
    // The audio output in use ("" while silent), and the SoundFont loaded ("" when none).
    std::string AudioDriverName() const;
    const std::string& SoundFontPath() const { return soundFont_; }
    // Where the cut down copies start, set before Open (the tests' SoundFont is a small one).
    void SetSubsetAboveBytes(std::int64_t bytes) { subsetAbove_ = bytes; }
    // Whether the SoundFont is loaded cut down to the song's presets rather than whole.
    bool LoadedSubset() const { return subsetting_ && soundFontId_ >= 0; }
    // Timed messages that took effect more than half a block after their time.
    int LateMessages() const { return late_.load(); }

private:
    struct TTimed {
        std::int64_t HeardUs;
        std::uint32_t Message;
        bool AllNotesOff;
    };

    EFluidSynthAudio audio_;
    TSoundOutput* output_;
    bool chosenOutput_;
    _fluid_hashtable_t* settings_ = nullptr;
    _fluid_synth_t* synth_ = nullptr;
    // Where the sound goes when the synthesizer cannot render in the output's blocks.
    TSilentSoundOutput silent_;
    std::string soundFont_;
    int soundFontId_ = -1;
    std::vector<TMidiInstrument> pinned_;  // as the SoundFont has them
    std::int64_t subsetAbove_ = DefaultSubsetAboveBytes;
    bool subsetting_ = false;
    std::vector<TMidiInstrument> subsetFor_;  // sorted, for the copy loaded
    std::thread pinning_;  // reads a cut-down copy's samples; pinned_ is its own till joined
    TMidiDeviceCallback callback_;
    bool attached_ = false;
    std::int64_t lastHeardUs_ = 0;  // under queueMutex_

    mutable std::mutex queueMutex_;
    std::deque<TTimed> queue_;
    // True while the output pulls us: timed messages wait in the queue. Otherwise nothing
    // renders, so notes are dropped as they come and the rest is applied at once.
    bool rendering_ = false;
    std::atomic<int> late_{0};
    std::vector<TTimed> due_;
    std::vector<float> left_, right_;

    void StartAudio();
    void LoadSoundFont();
    bool LoadSubset(const std::vector<TMidiInstrument>& instruments);
    void Pin(const std::vector<TMidiInstrument>& instruments);
    void Apply(std::uint32_t message);
    void ApplyUnheard(const TTimed& timed);
    void Enqueue(const TTimed& timed);

    bool Mix(float* mix, int frames, std::int64_t heardUs) override;
    bool Pending() const override;
    void Lost() override;
    void Restored() override;
};
