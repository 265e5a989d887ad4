#pragma once

#include "midi/MidiDevice.h"

#include <string>
#include <vector>

struct _fluid_hashtable_t;
struct _fluid_synth_t;
struct _fluid_audio_driver_t;

enum class EFluidSynthAudio {
    Live,     // sound through the first audio output that opens, silent when none does
    Offline,  // no audio output; the owner pulls samples with Render
};

// The built-in General MIDI synthesizer.
class TFluidSynthDevice final : public TMidiDevice {
public:
    static constexpr int SampleRate = 44100;

    explicit TFluidSynthDevice(EFluidSynthAudio audio);
    ~TFluidSynthDevice() override;

    bool Open(TMidiDeviceCallback callback) override;
    void ShortMessage(std::uint32_t message) override;
    void Reset() override;
    void Close() override;

    // Synthesizes frames of stereo sound into left and right (offline use).
    void Render(std::vector<float>& left, std::vector<float>& right, int frames);
    // The audio output in use ("" when silent), and the SoundFont loaded ("" when none).
    const std::string& AudioDriverName() const { return driverName_; }
    const std::string& SoundFontPath() const { return soundFont_; }

private:
    EFluidSynthAudio audio_;
    _fluid_hashtable_t* settings_ = nullptr;
    _fluid_synth_t* synth_ = nullptr;
    _fluid_audio_driver_t* driver_ = nullptr;
    std::string driverName_;
    // Live, but no audio output opened: nothing ever renders, so notes would never finish
    // sounding and would pile up until the synthesizer ran out of voices.
    bool silent_ = false;
    std::string soundFont_;
    TMidiDeviceCallback callback_;

    void StartAudio();
};

// The system's General MIDI SoundFont, or "" when none is installed.
std::string FindGeneralMidiSoundFont();
