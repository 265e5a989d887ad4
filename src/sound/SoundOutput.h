#pragma once

#include <cstdint>
#include <string>

// Something that sounds through a sound output, which pulls it on a thread of its own.
class TSoundSource {
public:
    virtual ~TSoundSource() = default;
    // Adds `frames` interleaved stereo frames (a whole number of blocks) into `mix`, the first
    // of them heard at heardUs on the game's clock, the others one sample apart.
    // Returns false when it added nothing audible and has nothing left to play.
    virtual bool Mix(float* mix, int frames, std::int64_t heardUs) = 0;
    // Something was handed over that the next Mix will play.
    virtual bool Pending() const = 0;
    // The output is gone (nothing is pulled until Restored), or there again.
    virtual void Lost() {}
    virtual void Restored() {}
};

// Where the game's sound goes: one stream mixed from every attached source.
class TSoundOutput {
public:
    static constexpr int SampleRate = 44100;
    // Frames are pulled in whole blocks of the synthesizer's own rendering size, so that an
    // event placed on a block boundary takes effect exactly there.
    static constexpr int BlockFrames = 64;

    virtual ~TSoundOutput() = default;
    // Begins looking for the output and waits up to timeoutMs for the first answer. Returns
    // whether it is there.
    virtual bool Start(int timeoutMs) = 0;
    virtual bool Connected() const = 0;
    // From a frame being pulled to its being heard, at most.
    virtual std::int64_t NominalLatencyUs() const = 0;
    // Attaching tells the source at once whether the output is there (Restored) or not
    // (Lost). Detach returns once none of the source's calls is running any more.
    virtual void Attach(TSoundSource* source) = 0;
    virtual void Detach(TSoundSource* source) = 0;
    // A source has something to play: an output resting while all was silent goes on.
    virtual void Wake() = 0;
    // What it sounds through ("pulseaudio", "alsa"; "" for none).
    virtual std::string Name() const { return {}; }
    // The device the sound comes out of, as the server names it ("" when it names none).
    virtual std::string DeviceName() const { return {}; }
    // Why the last Start failed, in the system's words ("" when it did not).
    virtual std::string Failure() const { return {}; }
    // Whether, having failed to start, it goes on trying, and sounds once it succeeds.
    virtual bool KeepsLooking() const { return false; }
};

// The process's output, made on first use: the first of the sound server, ALSA and silence
// that works.
TSoundOutput& SharedSoundOutput();
