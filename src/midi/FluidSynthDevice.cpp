#include "midi/FluidSynthDevice.h"

#include <alsa/asoundlib.h>
#include <fluidsynth.h>

#include <cstdio>
#include <filesystem>
#include <mutex>

namespace {
// Probing audio outputs that are not there makes the libraries complain on stderr; while we
// probe, their complaints are dropped and one line of our own says what happened.
void QuietFluidLog(int, const char*, void*) {}
void QuietAlsaError(const char*, int, const char*, int, const char*, ...) {}

std::mutex probeMutex;

class TQuietLibraries {
public:
    TQuietLibraries()
    {
        for (int level = 0; level < LAST_LOG_LEVEL; ++level)
            previous_[level] = fluid_set_log_function(level, QuietFluidLog, nullptr);
        snd_lib_error_set_handler(QuietAlsaError);
    }
    ~TQuietLibraries()
    {
        for (int level = 0; level < LAST_LOG_LEVEL; ++level)
            fluid_set_log_function(level, previous_[level], nullptr);
        snd_lib_error_set_handler(nullptr);
    }

private:
    fluid_log_function_t previous_[LAST_LOG_LEVEL] = {};
};
}

std::string FindGeneralMidiSoundFont()
{
    namespace fs = std::filesystem;
    std::error_code ec;
    for (const char* candidate : {"/usr/share/sounds/sf2/default-GM.sf2", "/usr/share/sounds/sf2/FluidR3_GM.sf2",
                                  "/usr/share/sounds/sf2/TimGM6mb.sf2", "/usr/share/soundfonts/default.sf2"})
        if (fs::is_regular_file(candidate, ec))
            return candidate;
    for (const char* dir : {"/usr/share/sounds/sf2", "/usr/share/soundfonts"})
        for (const auto& entry : fs::directory_iterator(dir, ec))
            if (entry.path().extension() == ".sf2" && entry.is_regular_file(ec))
                return entry.path().string();
    return {};
}

TFluidSynthDevice::TFluidSynthDevice(EFluidSynthAudio audio) : audio_(audio) {}

TFluidSynthDevice::~TFluidSynthDevice() { Close(); }

bool TFluidSynthDevice::Open(TMidiDeviceCallback callback)
{
    if (synth_)
        return false;
    {
        std::lock_guard lock(probeMutex);
        TQuietLibraries quiet;
        settings_ = new_fluid_settings();
        if (!settings_)
            return false;
        fluid_settings_setnum(settings_, "synth.sample-rate", SampleRate);
        fluid_settings_setint(settings_, "synth.threadsafe-api", 1);
        synth_ = new_fluid_synth(settings_);
    }
    if (!synth_) {
        delete_fluid_settings(settings_);
        settings_ = nullptr;
        return false;
    }
    soundFont_ = FindGeneralMidiSoundFont();
    if (soundFont_.empty() || fluid_synth_sfload(synth_, soundFont_.c_str(), 1) == FLUID_FAILED) {
        std::fprintf(stderr, "Warning: no General MIDI SoundFont could be loaded; the synthesizer stays silent\n");
        soundFont_.clear();
    }
    if (audio_ == EFluidSynthAudio::Live)
        StartAudio();
    callback_ = std::move(callback);
    if (callback_)
        callback_(EMidiDeviceNotice::Opened, 0, 0);
    return true;
}

void TFluidSynthDevice::StartAudio()
{
    std::lock_guard lock(probeMutex);
    TQuietLibraries quiet;
    // The library's own default tries a single output; desktops differ in which one is there.
    for (const char* name : {"pulseaudio", "pipewire", "alsa"}) {
        if (fluid_settings_setstr(settings_, "audio.driver", name) != FLUID_OK)
            continue;
        driver_ = new_fluid_audio_driver(settings_, synth_);
        if (driver_) {
            driverName_ = name;
            return;
        }
    }
    silent_ = true;
    std::fprintf(stderr, "Warning: no audio output could be opened (tried pulseaudio, pipewire, alsa); "
                         "the synthesizer runs silent\n");
}

void TFluidSynthDevice::ShortMessage(std::uint32_t message)
{
    if (!synth_ || silent_)
        return;
    const int status = message & 0xFF;
    const int channel = status & 0x0F;
    const int d1 = (message >> 8) & 0x7F;
    const int d2 = (message >> 16) & 0x7F;
    switch (status & 0xF0) {
    case 0x80: fluid_synth_noteoff(synth_, channel, d1); break;
    case 0x90:
        if (d2 == 0)
            fluid_synth_noteoff(synth_, channel, d1);
        else
            fluid_synth_noteon(synth_, channel, d1, d2);
        break;
    case 0xA0: fluid_synth_key_pressure(synth_, channel, d1, d2); break;
    case 0xB0: fluid_synth_cc(synth_, channel, d1, d2); break;
    case 0xC0: fluid_synth_program_change(synth_, channel, d1); break;
    case 0xD0: fluid_synth_channel_pressure(synth_, channel, d1); break;
    case 0xE0: fluid_synth_pitch_bend(synth_, channel, d1 | (d2 << 7)); break;
    default: break;  // only channel messages reach this device
    }
}

void TFluidSynthDevice::Reset()
{
    if (synth_)
        fluid_synth_all_notes_off(synth_, -1);
}

void TFluidSynthDevice::Close()
{
    if (!synth_)
        return;
    if (driver_)
        delete_fluid_audio_driver(driver_);
    driver_ = nullptr;
    delete_fluid_synth(synth_);
    synth_ = nullptr;
    delete_fluid_settings(settings_);
    settings_ = nullptr;
    driverName_.clear();
    silent_ = false;
    if (callback_)
        callback_(EMidiDeviceNotice::Closed, 0, 0);
    callback_ = nullptr;
}

void TFluidSynthDevice::Render(std::vector<float>& left, std::vector<float>& right, int frames)
{
    left.assign(std::size_t(frames > 0 ? frames : 0), 0.0f);
    right.assign(left.size(), 0.0f);
    if (synth_ && frames > 0)
        fluid_synth_write_float(synth_, frames, left.data(), 0, 1, right.data(), 0, 1);
}
