#include "midi/MidiIterator.h"

#include "midi/MidiData.h"
#include "midi/TrackOutputs.h"
#include "platform/IntegerMath.h"

#include <algorithm>
#include <cmath>
#include <limits>

namespace {
// Songs can carry values that would divide by zero or shift out of range; positions are
// computed with these floors so that such a song plays oddly instead of crashing.
std::int32_t AtLeastOne(std::int32_t v) { return v < 1 ? 1 : v; }

// The position arithmetic divides towards zero, also for the negative differences a seek
// backwards can produce.
std::int64_t TruncatingDiv(std::int64_t a, std::int64_t b) { return a / b; }
}

TMidiPosition::TMidiPosition() { TMidiPosition::Reset(); }

void TMidiPosition::RecomputeBeats()
{
    const int shift = DenominatorPower - 2;
    std::int64_t perBeat = PPQN;
    if (shift > 0)
        perBeat = shift >= 31 ? 0 : perBeat >> shift;
    else if (shift < 0)
        perBeat = -shift >= 31 ? 0 : perBeat << -shift;
    TicksPerBeat = Clamp32(perBeat);
    TicksPerBar = Clamp32(std::int64_t(TicksPerBeat) * BeatsPerBar);
}

void TMidiPosition::Reset()
{
    PPQN = midiData_ ? midiData_->PPQN() : 180;
    Tick = Time = TempoTick = TempoTime = SignatureTick = SignatureBar = Bar = Beat = BeatTick = MapIndex = 0;
    Tempo = 600;
    DenominatorPower = 2;
    BeatsPerBar = 4;
    RecomputeBeats();
}

void TMidiPosition::Assign(const TMidiPosition& o)
{
    midiData_ = o.midiData_;
    Tick = o.Tick;
    Time = o.Time;
    PPQN = o.PPQN;
    Tempo = o.Tempo;
    TempoTick = o.TempoTick;
    TempoTime = o.TempoTime;
    DenominatorPower = o.DenominatorPower;
    BeatsPerBar = o.BeatsPerBar;
    SignatureTick = o.SignatureTick;
    SignatureBar = o.SignatureBar;
    TicksPerBeat = o.TicksPerBeat;
    TicksPerBar = o.TicksPerBar;
    Bar = o.Bar;
    Beat = o.Beat;
    BeatTick = o.BeatTick;
    MapIndex = o.MapIndex;
}

void TMidiPosition::SetMidiData(TMidiData* data)
{
    if (data == midiData_)
        return;
    const std::int32_t remembered = Tick;
    midiData_ = data;
    Reset();
    DoSeekTick(remembered);
    PositionChanged();
}

void TMidiPosition::SetRelativeTick(std::int32_t r)
{
    Tick = Clamp32(std::int64_t(SignatureTick) + r);
    const std::int32_t perBeat = AtLeastOne(TicksPerBeat);
    const std::int32_t b = r / perBeat;
    BeatTick = r % perBeat;
    const std::int32_t beats = AtLeastOne(BeatsPerBar);
    Bar = Clamp32(std::int64_t(b / beats) + SignatureBar);
    Beat = b % beats;
}

std::int32_t TMidiPosition::TimeAtTick() const
{
    return Clamp32(TempoTime + TruncatingDiv(std::int64_t(Tick - TempoTick) * Tempo, AtLeastOne(PPQN)));
}

int TMidiPosition::ApplyNextMapRecord(std::int64_t target)
{
    const TMidiTrackStream* track = midiData_ ? midiData_->Tracks(0) : nullptr;
    if (!track)
        return 0;
    const TMidiEvent* e = track->Events(MapIndex);
    if (!e || e->Tick > target)
        return 0;
    ++MapIndex;
    if (e->Status != 0xFF || e->DataLength < 1)
        return 3;
    const std::uint8_t* block = track->EventData(*e);
    if (!block)
        return 3;
    if (block[0] == 0x51 && e->DataLength >= 4) {
        TempoTime = Clamp32(TempoTime + TruncatingDiv(std::int64_t(e->Tick - TempoTick) * Tempo, AtLeastOne(PPQN)));
        TempoTick = e->Tick;
        const std::int32_t micro = (block[1] << 16) | (block[2] << 8) | block[3];
        Tempo = micro / 1000;
        if (tempoLog_)
            tempoLog_->push_back({TempoTick, TempoTime, Tempo});
        return 1;
    }
    if (block[0] == 0x58 && e->DataLength >= 3) {
        const std::int32_t perBar = AtLeastOne(TicksPerBar);
        const std::int64_t since = std::int64_t(e->Tick) - SignatureTick;
        std::int64_t n = since / perBar;
        if (since % perBar != 0)
            n += 1;
        SignatureTick = e->Tick;
        SignatureBar = Clamp32(SignatureBar + n);
        BeatsPerBar = block[1];
        DenominatorPower = block[2];
        RecomputeBeats();
        return 2;
    }
    return 3;
}

void TMidiPosition::DoSeekTick(std::int32_t t)
{
    if (t < Tick)
        Reset();
    std::int64_t r = std::int64_t(t) - SignatureTick;
    if (r < 0)
        return;
    for (;;) {
        const std::int32_t before = SignatureTick;
        const int applied = ApplyNextMapRecord(std::int64_t(SignatureTick) + r);
        if (applied == 0)
            break;
        if (applied == 2)
            r -= std::int64_t(SignatureTick) - before;
    }
    SetRelativeTick(Clamp32(r));
    Time = TimeAtTick();
}

void TMidiPosition::SeekTick(std::int32_t tick)
{
    DoSeekTick(tick);
    PositionChanged();
}

void TMidiPosition::DoSeekTime(std::int32_t ms)
{
    if (ms < Time)
        Reset();
    Time = ms;
    std::int64_t d = TruncatingDiv((std::int64_t(ms) - TempoTime) * AtLeastOne(PPQN), AtLeastOne(Tempo));
    if (!midiData_)
        return;
    for (;;) {
        const int applied = ApplyNextMapRecord(std::int64_t(TempoTick) + d);
        if (applied == 0)
            break;
        if (applied == 1)
            d = TruncatingDiv((std::int64_t(Time) - TempoTime) * AtLeastOne(PPQN), AtLeastOne(Tempo));
    }
    SetRelativeTick(Clamp32(d + TempoTick - SignatureTick));
}

void TMidiPosition::SeekTime(std::int32_t ms)
{
    DoSeekTime(ms);
    PositionChanged();
}

void TMidiPosition::SetBarBeatTick(std::int32_t bar, std::int32_t beat, std::int32_t tick)
{
    if (bar < Bar || (bar == Bar && (beat < Beat || (beat == Beat && tick < BeatTick))))
        Reset();
    auto relative = [&] {
        return (std::int64_t(bar) - SignatureBar) * TicksPerBar + std::int64_t(beat) * TicksPerBeat + tick;
    };
    std::int64_t r = relative();
    if (r < 0)
        return;
    for (;;) {
        const int applied = ApplyNextMapRecord(std::int64_t(SignatureTick) + r);
        if (applied == 0)
            break;
        if (applied == 2)
            r = relative();
    }
    SetRelativeTick(Clamp32(r));
    Time = TimeAtTick();
    PositionChanged();
}

void TMidiPosition::SeekToEnd()
{
    std::int32_t end = 0;
    if (midiData_)
        for (int i = 0; i < midiData_->TrackCount(); ++i) {
            const TMidiTrackStream* t = midiData_->Tracks(i);
            if (t->EventCount() > 0)
                end = std::max<std::int32_t>(end, +t->Events(t->EventCount() - 1)->Tick);
        }
    DoSeekTick(end);
    PositionChanged();
}

TMidiIterator::~TMidiIterator() { destroying_ = true; }

void TMidiIterator::SetTrackOutputs(TTrackOutputs* outputs)
{
    trackOutputs_ = outputs;
    if (trackOutputs_) {
        trackOutputs_->ResetIndices();
        trackOutputs_->SendPrograms();
    }
}

void TMidiIterator::Reset()
{
    TMidiPosition::Reset();
    Finished = true;
    if (!trackOutputs_)
        return;
    trackOutputs_->ResetIndices();
    trackOutputs_->SendPrograms();
    for (int i = 0; i < trackOutputs_->OutputCount(); ++i)
        if (trackOutputs_->Outputs(i)->Track->EventCount() > 0)
            Finished = false;
}

void TMidiIterator::PositionChanged()
{
    Finished = true;
    if (!trackOutputs_)
        return;
    for (int i = 0; i < trackOutputs_->OutputCount(); ++i) {
        TTrackOutput* out = trackOutputs_->Outputs(i);
        const TMidiTrackStream* track = out->Track;
        const std::int32_t count = track->EventCount();
        std::int32_t index = out->NextIndex;
        for (; index < count; ++index) {
            const TMidiEvent* e = track->Events(index);
            if (e->Tick >= Tick)
                break;
            if (e->Status >= 0xF0)
                continue;
            const std::uint8_t kind = e->Status & 0xF0;
            if ((kind == 0x90 || kind == 0x80) && !SendingNotes)
                continue;
            if (SendingNotes && DueTimes) {
                const double due = double(DueTimes->TickUs) + (SongUsAtTick(e->Tick) - DueTimes->SongUs) * DueTimes->UsPerSongUs;
                out->Port()->Send(e->ShortMessage(), std::int64_t(std::llround(due)));
            } else {
                out->Port()->Send(e->ShortMessage());
            }
        }
        out->NextIndex = index;
        if (index < count)
            Finished = false;
    }
}

void TMidiIterator::Advance(std::int32_t ms)
{
    if (destroying_) {
        Finished = true;
        return;
    }
    SendingNotes = true;
    segments_.assign(1, TTempoSegment{TempoTick, TempoTime, Tempo});
    tempoLog_ = &segments_;
    DoSeekTime(Clamp32(std::int64_t(Time) + ms));
    tempoLog_ = nullptr;
    PositionChanged();
    SendingNotes = false;
}

double TMidiIterator::SongUsAtTick(std::int32_t tick) const
{
    // Events passed over by one advance lie after the tempo in force before it; each tempo
    // change the advance applied starts a segment of its own.
    TTempoSegment segment{TempoTick, TempoTime, Tempo};
    if (!segments_.empty()) {
        segment = segments_.front();
        for (const TTempoSegment& s : segments_)
            if (s.Tick <= tick)
                segment = s;
    }
    return double(segment.Time) * 1000.0 + double(tick - segment.Tick) * segment.Tempo * 1000.0 / AtLeastOne(PPQN);
}

void TMidiIterator::SeekTickAndDispatch(std::int32_t tick)
{
    DoSeekTick(tick);
    PositionChanged();
}
