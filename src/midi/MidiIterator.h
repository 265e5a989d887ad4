#pragma once

#include <cstdint>
#include <optional>
#include <vector>

class TMidiData;
class TTrackOutputs;

// A position in a song as tick, song time in milliseconds, and bar, beat and tick within
// the beat, following the tempo map and time signatures of track 0.
class TMidiPosition {
public:
    TMidiPosition();
    virtual ~TMidiPosition() = default;

    TMidiData* MidiData() const { return midiData_; }
    void SetMidiData(TMidiData* data);
    void SeekTick(std::int32_t tick);
    void SeekTime(std::int32_t ms);
    void SetBarBeatTick(std::int32_t bar, std::int32_t beat, std::int32_t tick);
    void SeekToEnd();
    void Assign(const TMidiPosition& other);

    virtual void PositionChanged() {}
    virtual void Reset();

    std::int32_t Tick = 0;
    std::int32_t Time = 0;
    std::int32_t PPQN = 180;
    std::int32_t Tempo = 600;
    std::int32_t TempoTick = 0;
    std::int32_t TempoTime = 0;
    std::int32_t DenominatorPower = 2;
    std::int32_t BeatsPerBar = 4;
    std::int32_t SignatureTick = 0;
    std::int32_t SignatureBar = 0;
    std::int32_t TicksPerBeat = 180;
    std::int32_t TicksPerBar = 720;
    std::int32_t Bar = 0;
    std::int32_t Beat = 0;
    std::int32_t BeatTick = 0;
    std::int32_t MapIndex = 0;

    // A stretch of the tempo map: from Tick on, Tempo milliseconds a quarter note, starting
    // at Time.
    struct TTempoSegment {
        std::int32_t Tick, Time, Tempo;
    };

protected:
    // The seeks without the PositionChanged call, for callers that dispatch themselves.
    void DoSeekTick(std::int32_t tick);
    void DoSeekTime(std::int32_t ms);
    // While set, every tempo change a seek applies is appended here.
    std::vector<TTempoSegment>* tempoLog_ = nullptr;

private:
    TMidiData* midiData_ = nullptr;

    void SetRelativeTick(std::int32_t r);
    void RecomputeBeats();
    std::int32_t TimeAtTick() const;
    // Applies the next tempo-map record of track 0 when it lies at or before target;
    // returns 0 when none does, 1 after a tempo change, 2 after a time signature, 3 otherwise.
    int ApplyNextMapRecord(std::int64_t target);
};

// A position that sends the events it passes to the track outputs.
class TMidiIterator : public TMidiPosition {
public:
    ~TMidiIterator() override;

    TTrackOutputs* TrackOutputs() const { return trackOutputs_; }
    void SetTrackOutputs(TTrackOutputs* outputs);
    void Advance(std::int32_t ms);
    // Seeks and then sends what the seek passed over.
    void SeekTickAndDispatch(std::int32_t tick);

    void PositionChanged() override;
    void Reset() override;

    // How an advance stamps the events it sends with their due times: song time s (in
    // microseconds) is due at TickUs + (s - SongUs) * UsPerSongUs on the game clock.
    struct TDueTimes {
        std::int64_t TickUs;
        double SongUs;
        double UsPerSongUs;
    };
    // Set by the player around each advance; seeks send untimed, as they always did.
    std::optional<TDueTimes> DueTimes;

    bool SendingNotes = false;
    bool Finished = true;

private:
    // The exact song time of a tick passed over by the advance under way, in microseconds.
    double SongUsAtTick(std::int32_t tick) const;

    TTrackOutputs* trackOutputs_ = nullptr;
    bool destroying_ = false;
    // The tempo in force before the advance under way, and every change it applied.
    std::vector<TTempoSegment> segments_;
};
