#include "sound/AlsaSoundOutput.h"

#include "platform/Clock.h"

#include <alsa/asoundlib.h>

#include <algorithm>

namespace {
// A device that is not there makes the library complain on stderr; the reason is kept instead.
void QuietAlsaError(const char*, int, const char*, int, const char*, ...) {}
}

TAlsaSoundOutput::TAlsaSoundOutput(std::string device) : device_(std::move(device)) {}

TAlsaSoundOutput::~TAlsaSoundOutput()
{
    {
        std::lock_guard lock(mutex_);
        stop_ = true;
    }
    woken_.notify_all();
    if (thread_.joinable())
        thread_.join();
    if (pcm_)
        snd_pcm_close(pcm_);
}

bool TAlsaSoundOutput::Start(int)
{
    std::lock_guard lock(mutex_);
    if (tried_ || stop_)
        return open_.load();
    tried_ = true;
    snd_lib_error_set_handler(QuietAlsaError);
    int error = snd_pcm_open(&pcm_, device_.c_str(), SND_PCM_STREAM_PLAYBACK, 0);
    if (error == 0)
        error = snd_pcm_set_params(pcm_, SND_PCM_FORMAT_FLOAT_LE, SND_PCM_ACCESS_RW_INTERLEAVED, 2, SampleRate, 1,
                                   unsigned(NominalLatencyUs()));
    snd_lib_error_set_handler(nullptr);
    if (error < 0) {
        failure_ = device_ + ": " + snd_strerror(error);
        if (pcm_)
            snd_pcm_close(pcm_);
        pcm_ = nullptr;
        return false;
    }
    open_ = true;
    for (TSoundSource* source : sources_)
        source->Restored();
    thread_ = std::thread(&TAlsaSoundOutput::Run, this);
    return true;
}

std::string TAlsaSoundOutput::Failure() const
{
    std::lock_guard lock(mutex_);
    return failure_;
}

std::int64_t TAlsaSoundOutput::NominalLatencyUs() const
{
    return std::int64_t(PeriodFrames) * Periods * 1000000 / SampleRate;
}

void TAlsaSoundOutput::Attach(TSoundSource* source)
{
    std::lock_guard lock(mutex_);
    if (std::find(sources_.begin(), sources_.end(), source) != sources_.end())
        return;
    sources_.push_back(source);
    if (open_)
        source->Restored();
    else
        source->Lost();
}

void TAlsaSoundOutput::Detach(TSoundSource* source)
{
    // Sources are pulled under the lock, so none is pulled once this has it.
    std::lock_guard lock(mutex_);
    sources_.erase(std::remove(sources_.begin(), sources_.end(), source), sources_.end());
}

void TAlsaSoundOutput::Wake()
{
    {
        std::lock_guard lock(mutex_);
        wake_ = true;
    }
    woken_.notify_all();
}

void TAlsaSoundOutput::Run()
{
    std::vector<float> mix(std::size_t(PeriodFrames) * 2);
    std::int64_t idleFrames = 0;
    bool resting = false;
    for (;;) {
        {
            std::unique_lock lock(mutex_);
            if (resting) {
                woken_.wait(lock, [this] { return wake_ || stop_; });
                resting = false;
                idleFrames = 0;
                snd_pcm_prepare(pcm_);
            }
            if (stop_)
                break;
            wake_ = false;
            snd_pcm_sframes_t delay = 0;
            if (snd_pcm_delay(pcm_, &delay) < 0)
                delay = 0;
            const std::int64_t heard = GameClock().NowMicroseconds() + std::int64_t(delay) * 1000000 / SampleRate;
            std::fill(mix.begin(), mix.end(), 0.0f);
            bool audible = false;
            for (TSoundSource* source : sources_)
                audible = source->Mix(mix.data(), PeriodFrames, heard) || audible;
            idleFrames = audible ? 0 : idleFrames + PeriodFrames;
            if (idleFrames >= std::int64_t(SampleRate) * IdleMs / 1000) {
                // A source handed something since the pull above has woken us already.
                resting = !wake_ && std::none_of(sources_.begin(), sources_.end(),
                                                 [](const TSoundSource* s) { return s->Pending(); });
                idleFrames = 0;
            }
        }
        const snd_pcm_sframes_t written = snd_pcm_writei(pcm_, mix.data(), PeriodFrames);
        if (written < 0 && snd_pcm_recover(pcm_, int(written), 1) < 0)
            resting = true;
        if (resting)
            // What is still queued is silence; dropping it lets the next sound start at once.
            snd_pcm_drop(pcm_);
    }
}
