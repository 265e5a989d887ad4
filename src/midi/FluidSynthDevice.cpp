#include "midi/FluidSynthDevice.h"

#include "midi/SoundFontSubset.h"
#include "midi/SoundFontSubsetCache.h"
#include "platform/Clock.h"
#include "sound/TapOffsetStore.h"

#include <fluidsynth.h>

#include <algorithm>
#include <cmath>
#include <cstdio>
#include <filesystem>
#include <mutex>
#include <utility>

namespace {
// Making a synthesizer makes the library complain on stderr about audio it will not use;
// while it is made, its complaints are dropped and one line of our own says what matters.
void QuietFluidLog(int, const char*, void*) {}

std::mutex probeMutex;

std::int64_t NowUs() { return GameClock().NowMicroseconds(); }

class TQuietLibraries {
public:
    TQuietLibraries()
    {
        for (int level = 0; level < LAST_LOG_LEVEL; ++level)
            previous_[level] = fluid_set_log_function(level, QuietFluidLog, nullptr);
    }
    ~TQuietLibraries()
    {
        for (int level = 0; level < LAST_LOG_LEVEL; ++level)
            fluid_set_log_function(level, previous_[level], nullptr);
    }

private:
    fluid_log_function_t previous_[LAST_LOG_LEVEL] = {};
};
}

TFluidSynthDevice::TFluidSynthDevice(EFluidSynthAudio audio, TSoundOutput* output)
    : audio_(audio), output_(output ? output : &SharedSoundOutput()), chosenOutput_(output != nullptr)
{
}

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
        // A large SoundFont would otherwise sit whole in memory for the few instruments a
        // song plays.
        fluid_settings_setint(settings_, "synth.dynamic-sample-loading", 1);
        synth_ = new_fluid_synth(settings_);
    }
    if (!synth_) {
        delete_fluid_settings(settings_);
        settings_ = nullptr;
        return false;
    }
    LoadSoundFont();
    if (audio_ == EFluidSynthAudio::Live)
        StartAudio();
    callback_ = std::move(callback);
    if (callback_)
        callback_(EMidiDeviceNotice::Opened, 0, 0);
    return true;
}

void TFluidSynthDevice::LoadSoundFont()
{
    TSoundFontChoice choice = ChooseSoundFont();
    soundFont_ = choice.Path;
    std::error_code ec;
    if (!soundFont_.empty() && std::int64_t(std::filesystem::file_size(soundFont_, ec)) > subsetAbove_ && !ec) {
        // Nothing sounds before a song's presets are known, so a large one waits for them.
        const std::string problem = CheckSoundFontForSubset(soundFont_);
        if (problem.empty()) {
            if (!choice.Warning.empty())
                std::fprintf(stderr, "Warning: %s\n", choice.Warning.c_str());
            subsetting_ = true;
            return;
        }
        std::fprintf(stderr, "Warning: %s; %s is loaded whole\n", problem.c_str(), soundFont_.c_str());
    }
    soundFontId_ = soundFont_.empty() ? FLUID_FAILED : fluid_synth_sfload(synth_, soundFont_.c_str(), 1);
    const std::string fallback = FindGeneralMidiSoundFont();
    if (soundFontId_ == FLUID_FAILED && choice.Warning.empty() && !soundFont_.empty() && fallback != soundFont_) {
        // The player's looked like a SoundFont but does not load.
        choice.Warning = SoundFontPassedOver(soundFont_, "does not load", fallback);
        soundFont_ = fallback;
        soundFontId_ = soundFont_.empty() ? FLUID_FAILED : fluid_synth_sfload(synth_, soundFont_.c_str(), 1);
    }
    if (!choice.Warning.empty())
        std::fprintf(stderr, "Warning: %s\n", choice.Warning.c_str());
    if (soundFontId_ == FLUID_FAILED) {
        std::fprintf(stderr, "Warning: no General MIDI SoundFont could be loaded; the synthesizer stays silent\n");
        soundFont_.clear();
    }
}

bool TFluidSynthDevice::LoadSubset(const std::vector<TMidiInstrument>& instruments)
{
    std::vector<TMidiInstrument> wanted = instruments;
    std::sort(wanted.begin(), wanted.end());
    wanted.erase(std::unique(wanted.begin(), wanted.end()), wanted.end());
    if (soundFontId_ != FLUID_FAILED && wanted == subsetFor_)
        return true;
    std::string error;
    const std::string path = CachedSoundFontSubset(soundFont_, wanted, error);
    std::unique_lock lock(probeMutex);
    // The copy lacks presets idle channels point at, and the library would say so for each.
    TQuietLibraries quiet;
    const int id = path.empty() ? FLUID_FAILED : fluid_synth_sfload(synth_, path.c_str(), 0);
    if (id == FLUID_FAILED) {
        lock.unlock();
        std::fprintf(stderr, "Warning: %s; %s is loaded whole\n",
                     error.empty() ? ("the cut-down copy " + path + " does not load").c_str() : error.c_str(),
                     soundFont_.c_str());
        if (soundFontId_ != FLUID_FAILED)
            fluid_synth_sfunload(synth_, soundFontId_, 0);
        soundFontId_ = FLUID_FAILED;
        return false;
    }
    // The channels take up the new copy's presets at once, so the song's first note is on time.
    if (soundFontId_ != FLUID_FAILED)
        fluid_synth_sfunload(synth_, soundFontId_, 1);
    else
        fluid_synth_program_reset(synth_);
    soundFontId_ = id;
    subsetFor_ = std::move(wanted);
    pinned_.clear();  // went with the previous copy
    return true;
}

void TFluidSynthDevice::Preload(const std::vector<TMidiInstrument>& instruments)
{
    if (!synth_)
        return;
    if (pinning_.joinable())
        pinning_.join();
    if (subsetting_ && !LoadSubset(instruments)) {
        subsetting_ = false;
        pinned_.clear();
        soundFontId_ = fluid_synth_sfload(synth_, soundFont_.c_str(), 1);
        if (soundFontId_ == FLUID_FAILED)
            std::fprintf(stderr, "Warning: %s does not load either; the synthesizer stays silent\n", soundFont_.c_str());
    }
    if (soundFontId_ == FLUID_FAILED)
        return;
    if (LoadedSubset()) {
        // Reading a large SoundFont's samples for the song takes a while, which the window
        // need not wait for: Start comes long after, and a preset chosen before it is read
        // then.
        pinning_ = std::thread([this, instruments] { Pin(instruments); });
        return;
    }
    Pin(instruments);
}

void TFluidSynthDevice::Pin(const std::vector<TMidiInstrument>& instruments)
{
    std::vector<TMidiInstrument> pinned;
    for (TMidiInstrument wanted : instruments) {
        // A preset the SoundFont lacks plays as the synthesizer's stand-in for it: the same
        // program of the first bank, or the first drum kit.
        const TMidiInstrument standIn = wanted.Bank == TMidiInstrument::DrumBank
                                            ? TMidiInstrument{TMidiInstrument::DrumBank, 0}
                                            : TMidiInstrument{0, wanted.Program};
        for (const TMidiInstrument& preset : {wanted, standIn})
            if (fluid_synth_pin_preset(synth_, soundFontId_, preset.Bank, preset.Program) == FLUID_OK) {
                pinned.push_back(preset);
                break;
            }
    }
    for (const TMidiInstrument& old : pinned_)
        if (std::ranges::find(pinned, old) == pinned.end())
            fluid_synth_unpin_preset(synth_, soundFontId_, old.Bank, old.Program);
    pinned_ = std::move(pinned);
}

void TFluidSynthDevice::StartAudio()
{
    // Placing messages on block boundaries needs the synthesizer to render in the blocks the
    // output writes.
    const bool blocksFit = fluid_synth_get_internal_bufsize(synth_) == TSoundOutput::BlockFrames;
    if (!blocksFit)
        output_ = &silent_;
    // A chosen output is the caller's to start; the process's keeps looking for a server when
    // none answers, and the song sounds once one is there.
    if (!output_->Start(1500) && !chosenOutput_)
        std::fprintf(stderr, "Warning: no audio output could be opened (tried pulseaudio, pipewire, alsa); "
                             "the synthesizer runs silent\n");
    output_->Attach(this);
    attached_ = true;
}

std::string TFluidSynthDevice::AudioDriverName() const
{
    return attached_ && output_->Connected() ? output_->Name() : std::string();
}

std::int64_t TFluidSynthDevice::OutputLatencyMicroseconds() const
{
    return attached_ ? LeadUs + output_->NominalLatencyUs() : 0;
}

std::int64_t TFluidSynthDevice::TappedOffsetMicroseconds() const
{
    return attached_ ? TapOffsetUs(*output_) : 0;
}

void TFluidSynthDevice::Apply(std::uint32_t message)
{
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

void TFluidSynthDevice::ApplyUnheard(const TTimed& timed)
{
    if (timed.AllNotesOff) {
        fluid_synth_all_notes_off(synth_, -1);
        return;
    }
    // Nothing renders, so a started note would never finish sounding: notes would pile up
    // until the synthesizer ran out of voices, and all sound at once when the server is back.
    const bool noteOn = (timed.Message & 0xF0) == 0x90 && ((timed.Message >> 16) & 0x7F) != 0;
    if (!noteOn)
        Apply(timed.Message);
}

void TFluidSynthDevice::Enqueue(const TTimed& timed)
{
    if (!synth_)
        return;
    if (!attached_) {
        if (timed.AllNotesOff)
            fluid_synth_all_notes_off(synth_, -1);
        else
            Apply(timed.Message);
        return;
    }
    {
        std::lock_guard lock(queueMutex_);
        if (!rendering_) {
            ApplyUnheard(timed);
            return;
        }
        // Messages keep their order: a note-off sent after its note-on never sounds first.
        TTimed placed = timed;
        placed.HeardUs = std::max(placed.HeardUs, lastHeardUs_);
        lastHeardUs_ = placed.HeardUs;
        queue_.push_back(placed);
    }
    output_->Wake();
}

void TFluidSynthDevice::ShortMessage(std::uint32_t message) { TimedShortMessage(message, NowUs()); }

void TFluidSynthDevice::TimedShortMessage(std::uint32_t message, std::int64_t dueMicroseconds)
{
    Enqueue(TTimed{dueMicroseconds + LeadUs + output_->NominalLatencyUs(), message, false});
}

void TFluidSynthDevice::Reset()
{
    Enqueue(TTimed{NowUs() + LeadUs + output_->NominalLatencyUs(), 0, true});
}

bool TFluidSynthDevice::Pending() const
{
    std::lock_guard lock(queueMutex_);
    return !queue_.empty();
}

void TFluidSynthDevice::Lost()
{
    std::deque<TTimed> queued;
    {
        std::lock_guard lock(queueMutex_);
        rendering_ = false;
        queued.swap(queue_);
        for (const TTimed& timed : queued)
            ApplyUnheard(timed);
    }
    // What was sounding would hang on when the server is back.
    fluid_synth_all_sounds_off(synth_, -1);
}

void TFluidSynthDevice::Restored()
{
    std::lock_guard lock(queueMutex_);
    rendering_ = true;
    lastHeardUs_ = 0;
}

bool TFluidSynthDevice::Mix(float* mix, int frames, std::int64_t heardUs)
{
    const int block = TSoundOutput::BlockFrames;
    const std::int64_t halfBlockUs = std::int64_t(block) * 500000 / SampleRate;
    auto heardAt = [&](int frame) { return heardUs + std::int64_t(frame) * 1000000 / SampleRate; };
    bool more;
    {
        // Everything that takes effect on one of these blocks: a message belongs to the block
        // whose start is nearest its time.
        std::lock_guard lock(queueMutex_);
        const std::int64_t end = heardAt(frames) - halfBlockUs;
        while (!queue_.empty() && queue_.front().HeardUs < end) {
            due_.push_back(queue_.front());
            queue_.pop_front();
        }
        more = !queue_.empty();
    }
    left_.resize(std::size_t(frames));
    right_.resize(std::size_t(frames));
    std::size_t next = 0;
    for (int done = 0; done < frames;) {
        const std::int64_t start = heardAt(done);
        for (; next < due_.size() && due_[next].HeardUs < start + halfBlockUs; ++next) {
            if (start - due_[next].HeardUs > halfBlockUs)
                late_.fetch_add(1, std::memory_order_relaxed);
            if (due_[next].AllNotesOff)
                fluid_synth_all_notes_off(synth_, -1);
            else
                Apply(due_[next].Message);
        }
        // One call for every block up to the next message's.
        int span = block;
        while (done + span < frames && (next == due_.size() || due_[next].HeardUs >= heardAt(done + span) + halfBlockUs))
            span += block;
        fluid_synth_write_float(synth_, span, left_.data() + done, 0, 1, right_.data() + done, 0, 1);
        done += span;
    }
    due_.clear();
    float peak = 0;
    for (int i = 0; i < frames; ++i) {
        mix[2 * i] += left_[std::size_t(i)];
        mix[2 * i + 1] += right_[std::size_t(i)];
        peak = std::max({peak, std::fabs(left_[std::size_t(i)]), std::fabs(right_[std::size_t(i)])});
    }
    // Far below hearing: the reverberation's last tail is over.
    return more || peak > 1e-4f || fluid_synth_get_active_voice_count(synth_) > 0;
}

void TFluidSynthDevice::Close()
{
    if (!synth_)
        return;
    if (pinning_.joinable())
        pinning_.join();
    if (attached_)
        output_->Detach(this);
    attached_ = false;
    {
        std::lock_guard lock(queueMutex_);
        queue_.clear();
        rendering_ = false;
    }
    delete_fluid_synth(synth_);
    synth_ = nullptr;
    soundFontId_ = -1;
    pinned_.clear();
    subsetting_ = false;
    subsetFor_.clear();
    delete_fluid_settings(settings_);
    settings_ = nullptr;
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
