#include "midi/SongImport.h"

#include "midi/MidiFileWriter.h"
#include "midi/SongFile.h"
#include "platform/ByteReader.h"

#include <QFileInfo>
#include <QRegularExpression>
#include <QString>

#include <algorithm>
#include <array>
#include <cstring>
#include <deque>
#include <filesystem>

namespace {

using Int128 = __int128;

// Far beyond any song, and still far inside the game's 32-bit positions and beat maps.
constexpr std::int64_t kLongestSong = 100'000'000;
// A song track holds its records in one array of this many.
constexpr std::size_t kMostEvents = 100'000;
constexpr std::uint32_t kDefaultTempo = 500'000;

// A file of LargestSongFile bytes can hold millions of events, so the fields are ordered to
// leave no gaps.
struct TEvent {
    std::int64_t Tick = 0;
    std::int64_t NewTick = 0;
    std::span<const std::uint8_t> Data;
    std::uint8_t Status = 0;
    // Channel messages: the data bytes. Meta events: the type in First.
    std::uint8_t First = 0, Second = 0;
    // A system-exclusive packet left open before the next event gets its closing f7.
    bool CloseSysex = false;
};
static_assert(sizeof(TEvent) <= 40);

struct TTrack {
    std::vector<TEvent> Events;
    std::int64_t EndTick = 0;
    bool HasChannelEvents = false;
};

struct TTempo {
    std::int64_t Tick;
    std::uint32_t Value;
    // The track it came from, which gives it up to the song's first track.
    std::size_t Track;
    TEvent Event;
};

bool IsMeta(const TEvent& e, std::uint8_t type) { return e.Status == 0xFF && e.First == type; }

std::string TooLargeText() { return "far too large for a MIDI song (more than " + std::to_string(LargestSongFile >> 20) + " MB)"; }

std::string TooManyEventsText(const std::string& what)
{
    return what + " holds more events than the game can play (" + std::to_string(kMostEvents - 1) + ")";
}

class TReader {
public:
    TReader(std::span<const std::uint8_t> bytes, const std::string& name) : bytes_(bytes), name_(name) {}

    [[noreturn]] void Fail(const std::string& why) const
    {
        throw ESongImport(name_ + ": " + why);
    }

    std::span<const std::uint8_t> MidiPart()
    {
        if (bytes_.size() >= 12 && std::memcmp(bytes_.data(), "RIFF", 4) == 0) {
            if (std::memcmp(bytes_.data() + 8, "RMID", 4) != 0)
                Fail("a RIFF file, but not a MIDI song (RMID)");
            TByteReader in(bytes_);
            in.Skip(4);
            const std::uint64_t size = in.U32();
            in.Skip(4);
            const std::uint64_t end = std::min<std::uint64_t>(bytes_.size(), 8 + size);
            while (in.Position() + 8 <= end) {
                const auto id = in.Take(4);
                const std::uint32_t length = in.U32();
                if (std::memcmp(id.data(), "data", 4) == 0)
                    return in.TakeUpTo(length);
                in.TakeUpTo(std::uint64_t(length) + (length & 1));
            }
            Fail("an RMID file without its song (no \"data\" chunk)");
        }
        return bytes_;
    }

    void Read(std::vector<TTrack>& tracks, int& format, int& division)
    {
        if (bytes_.size() > LargestSongFile)
            Fail(TooLargeText());
        const auto midi = MidiPart();
        if (midi.size() < 14 || std::memcmp(midi.data(), "MThd", 4) != 0)
            Fail("not a MIDI file");
        TByteReader in(midi);
        in.Skip(4);
        const std::uint32_t headerLength = in.U32BigEndian();
        if (headerLength < 6)
            Fail("the MIDI header is damaged");
        const auto header = in.TakeUpTo(headerLength);
        if (header.size() < 6)
            Fail("the MIDI header is damaged");
        format = header[0] << 8 | header[1];
        const int count = header[2] << 8 | header[3];
        division = header[4] << 8 | header[5];
        if (format == 2)
            Fail("a MIDI file of format 2 (independent patterns) cannot be played as one song");
        if (format > 2)
            Fail("a MIDI file of unknown format " + std::to_string(format));
        if (division & 0x8000)
            Fail("timed in SMPTE frames, not in beats; the game plays songs timed in beats");
        if (division == 0)
            Fail("the MIDI header gives no ticks per beat");
        if (count > MostSongTracks)
            Fail("a MIDI file of " + std::to_string(count) + " tracks; the game plays songs of up to " +
                 std::to_string(MostSongTracks));
        // Chunks of other kinds are skipped, as the standard asks; a file cut short keeps the
        // tracks that are there.
        while (int(tracks.size()) < count && in.Left() >= 8) {
            const auto id = in.Take(4);
            const std::uint32_t length = in.U32BigEndian();
            const auto body = in.TakeUpTo(length);
            if (std::memcmp(id.data(), "MTrk", 4) == 0)
                tracks.push_back(ReadTrack(body, int(tracks.size())));
        }
        if (tracks.empty())
            Fail("a MIDI file without tracks");
    }

    // Tempo changes of 0, which would squeeze the song into nothing, are left out: said once.
    std::vector<std::string> Warnings() const
    {
        if (zeroTempos_ == 0)
            return {};
        const std::string where = "track " + std::to_string(zeroTempoTrack_) + " at tick " + std::to_string(zeroTempoTick_);
        if (zeroTempos_ == 1)
            return {name_ + ": a tempo of 0 in " + where + " is ignored; the tempo before it stays"};
        return {name_ + ": " + std::to_string(zeroTempos_) + " tempos of 0 (the first in " + where +
                ") are ignored; the tempo before each stays"};
    }

private:
    [[noreturn]] void Damaged(const std::string& what) const
    {
        Fail("track " + std::to_string(track_) + " is damaged (" + what + ")");
    }

    // At most four bytes; a fourth that asks for more is damage, not a cut.
    std::uint32_t VariableLength(TByteReader& in, const char* what) const
    {
        const std::size_t at = in.Position();
        std::uint32_t value = 0;
        for (int i = 0; i < 4; ++i) {
            const std::uint8_t b = in.U8();
            value = value << 7 | (b & 0x7F);
            if (!(b & 0x80))
                return value;
        }
        Damaged(std::string(what) + " of more than four bytes at byte " + std::to_string(chunkStart_ + at));
    }

    TTrack ReadTrack(std::span<const std::uint8_t> body, int number)
    {
        TTrack track;
        TByteReader in(body);
        track_ = number;
        chunkStart_ = std::size_t(body.data() - bytes_.data());
        std::int64_t tick = 0;
        std::uint8_t running = 0;
        try {
            while (!in.AtEnd()) {
                tick += VariableLength(in, "a delta time");
                if (tick > kLongestSong * 1000)
                    Fail("track " + std::to_string(number) + " runs far too long");
                TEvent e;
                e.Tick = tick;
                const std::uint8_t b = in.U8();
                bool haveFirst = false;
                if (b & 0x80) {
                    e.Status = b;
                } else {
                    if (running == 0)
                        Damaged("data without a status");
                    e.Status = running;
                    e.First = b;
                    haveFirst = true;
                }
                if (e.Status < 0xF0) {
                    if (!haveFirst)
                        e.First = in.U8() & 0x7F;
                    running = e.Status;
                    const std::uint8_t kind = e.Status & 0xF0;
                    if (kind != 0xC0 && kind != 0xD0)
                        e.Second = in.U8() & 0x7F;
                    track.HasChannelEvents = true;
                } else if (e.Status == 0xF0 || e.Status == 0xF7) {
                    e.Data = in.Take(VariableLength(in, "a length"));
                } else if (e.Status == 0xFF) {
                    e.First = in.U8();
                    e.Data = in.Take(VariableLength(in, "a length"));
                    // Some writers pad the chunk after its end; what follows is no part of it.
                    if (e.First == 0x2F) {
                        track.EndTick = tick;
                        break;
                    }
                    if (e.First == 0x51 && e.Data.size() < 3)
                        Damaged("a tempo change without its tempo");
                    if (e.First == 0x51 && (e.Data[0] | e.Data[1] | e.Data[2]) == 0) {
                        if (zeroTempos_++ == 0) {
                            zeroTempoTrack_ = number;
                            zeroTempoTick_ = tick;
                        }
                        continue;
                    }
                }
                // Counted before it is kept, so that a file of millions of events is refused
                // without holding them all.
                if (track.Events.size() >= kMostEvents - 1)
                    Fail(TooManyEventsText("track " + std::to_string(number)));
                track.Events.push_back(e);
            }
        } catch (const EStreamReadError&) {
            // The chunk ends inside its last event: what came before it stands.
        }
        track.Events.shrink_to_fit();
        if (!track.Events.empty())
            track.EndTick = std::max(track.EndTick, track.Events.back().Tick);
        return track;
    }

    std::span<const std::uint8_t> bytes_;
    std::string name_;
    // The track being read, and where its chunk's data starts in the file.
    int track_ = 0;
    std::size_t chunkStart_ = 0;
    int zeroTempos_ = 0, zeroTempoTrack_ = 0;
    std::int64_t zeroTempoTick_ = 0;
};

// A ball moves one pixel per song position and is judged on the frames that find it strictly
// within 10 pixels of the rule mark: on 19 whole positions. Frames come every 100 ms, so a song
// that moves more than 19 positions from one frame to the next (190 a second) lets balls pass
// the mark unjudged. Keeping to 15 a frame, 150 a second, leaves 4 for a frame that comes up to
// 26 ms late and for a position read a timer step stale. At 100 positions to the beat that is a
// beat of at least 666 2/3 ms; a file at 90 beats a minute states 666666 or 666667.
constexpr std::uint32_t kShortestGameBeat = 666'666;
// A faster song has each beat of the game stand for 2, 4 or 8 of its quarter notes.
constexpr int kMostQuartersPerBeat = 8;
constexpr std::uint32_t kLongestTempo = 0xFFFFFF;

// Song time against ticks, before and after: the old ticks at the file's division, the new at
// the game's. Times are kept exact, as microseconds times the division of their side. Each
// tempo change goes to the new tick nearest its own time under the new map so far; every other
// event to the new tick nearest its time under the whole new map, kept between the new ticks of
// the tempo changes around it, so that no event changes places with a tempo change.
class TTimeMap {
public:
    // firstNote, lastNote: the old ticks of the first note-on and of the last note event. Only
    // the tempi in force between them choose the beat: balls are met while notes sound, and a
    // tempo before or after does not move one. Scaled, those may not fit three bytes; they are
    // stated as the slowest that does.
    TTimeMap(const std::vector<TTempo>& tempos, int division, std::int64_t firstNote, std::int64_t lastNote)
        : division_(division)
    {
        old_.push_back({0, 0, kDefaultTempo, 0});
        for (const TTempo& t : tempos) {
            TSegment& last = old_.back();
            const std::uint32_t tempo = std::max<std::uint32_t>(t.Value, 1);
            if (t.Tick == last.Tick)
                last.Tempo = tempo;
            else
                old_.push_back({t.Tick, last.Time + Int128(t.Tick - last.Tick) * last.Tempo, tempo, 0});
        }
        std::uint32_t fastest = kLongestTempo, slowest = 0;
        const std::int64_t until = std::max(lastNote, firstNote + 1);
        for (std::size_t i = 0; i < old_.size(); ++i) {
            const bool endsAfterFirst = i + 1 == old_.size() || old_[i + 1].Tick > firstNote;
            if (old_[i].Tick < until && endsAfterFirst) {
                fastest = std::min(fastest, old_[i].Tempo);
                slowest = std::max(slowest, old_[i].Tempo);
            }
        }
        while (quarters_ < kMostQuartersPerBeat && std::uint64_t(fastest) * quarters_ < kShortestGameBeat &&
               std::uint64_t(slowest) * quarters_ * 2 <= kLongestTempo)
            quarters_ *= 2;

        new_.push_back({0, 0, Tempo(old_.front().Tempo), 0});
        for (std::size_t i = 1; i < old_.size(); ++i) {
            const std::int64_t at = Nearest(old_[i].Time);
            const TSegment& last = new_.back();
            const TSegment next{at, last.Time + Int128(at - last.Tick) * last.Tempo, Tempo(old_[i].Tempo), 0};
            if (next.Tick == last.Tick)
                new_.back() = next;
            else
                new_.push_back(next);
            old_[i].NewTick = at;
        }
    }

    std::int64_t NewTick(std::int64_t oldTick) const
    {
        auto it = std::upper_bound(old_.begin(), old_.end(), oldTick,
                                   [](std::int64_t t, const TSegment& s) { return t < s.Tick; });
        const TSegment& s = *(it - 1);
        if (s.Tick == oldTick)
            return s.NewTick;
        const std::int64_t tick = Nearest(s.Time + Int128(oldTick - s.Tick) * s.Tempo);
        return std::clamp(tick, s.NewTick, it == old_.end() ? tick : it->NewTick);
    }

    // How many of the file's quarter notes make a beat of the game.
    int QuartersPerBeat() const { return quarters_; }
    // A tempo of the file (microseconds per quarter note) as the song states it, per beat.
    std::uint32_t Tempo(std::uint32_t fileTempo) const
    {
        return std::uint32_t(std::min<std::uint64_t>(std::uint64_t(fileTempo) * quarters_, kLongestTempo));
    }

private:
    struct TSegment {
        std::int64_t Tick;
        Int128 Time;
        std::uint32_t Tempo;
        // Of an old segment: where its tempo change went.
        std::int64_t NewTick;
    };

    // The new tick nearest an old time (microseconds times the file's division).
    std::int64_t Nearest(Int128 oldTime) const
    {
        const Int128 target = oldTime * SongDivision;
        auto it = std::upper_bound(new_.begin(), new_.end(), target,
                                   [this](Int128 t, const TSegment& s) { return t < s.Time * division_; });
        const TSegment& s = *(it - 1);
        const Int128 p = target - s.Time * division_;
        const Int128 q = Int128(division_) * s.Tempo;
        return s.Tick + std::int64_t((2 * p + q) / (2 * q));
    }

    int division_;
    int quarters_ = 1;
    std::vector<TSegment> old_, new_;
};

// A title shows on the plate and names the song's first track: no control characters in it,
// whitespace run together.
std::string TitleText(QString text)
{
    for (QChar& c : text)
        if (c.category() == QChar::Other_Control)
            c = ' ';
    return text.simplified().toStdString();
}

// The name as UTF-8 when the whole of it is, else as Latin-1; at most `most` bytes of it, cut
// where a character ends.
QString Latin1OrUtf8(std::span<const std::uint8_t> data, std::size_t most)
{
    const QByteArray raw(reinterpret_cast<const char*>(data.data()), qsizetype(data.size()));
    std::size_t cut = std::min(data.size(), most);
    if (QString::fromUtf8(raw).contains(QChar::ReplacementCharacter))
        return QString::fromLatin1(raw.left(qsizetype(cut)));
    while (cut < data.size() && (data[cut] & 0xC0) == 0x80)
        --cut;
    return QString::fromUtf8(raw.left(qsizetype(cut)));
}

std::string TitleOf(const TTrack& first, const std::string& fileName)
{
    for (const TEvent& e : first.Events)
        if (IsMeta(e, 0x03)) {
            const std::string name = TitleText(Latin1OrUtf8(e.Data, 200));
            if (!IsPlaceholderName(name))
                return name;
            break;
        }
    QString base = QFileInfo(QString::fromStdString(fileName)).completeBaseName();
    base.replace('_', ' ');
    return TitleText(base);
}


// One track of the song: its events in order, ended by an end-of-track meta.
std::unique_ptr<TMidiTrackStream> BuildTrack(const std::vector<TEvent>& events, std::int64_t endTick)
{
    auto track = std::make_unique<TMidiTrackStream>(TMidiTrackStream::FileTrackCapacity);
    std::vector<std::uint8_t> data;
    std::int64_t tick = 0;
    for (const TEvent& e : events) {
        data.clear();
        tick = e.NewTick;
        if (e.Status < 0xF0) {
            data.push_back(e.First);
            const std::uint8_t kind = e.Status & 0xF0;
            if (kind != 0xC0 && kind != 0xD0)
                data.push_back(e.Second);
        } else if (e.Status == 0xF0 || e.Status == 0xF7) {
            data.assign(e.Data.begin(), e.Data.end());
            if (e.CloseSysex)
                data.push_back(0xF7);
        } else if (e.Status == 0xFF) {
            data.push_back(e.First);
            data.insert(data.end(), e.Data.begin(), e.Data.end());
        }
        track->AppendEvent(std::int32_t(tick), e.Status, data);
    }
    static const std::array<std::uint8_t, 1> end{0x2F};
    track->AppendEvent(std::int32_t(std::max(endTick, tick)), 0xFF, end);
    track->FinishAppending();
    return track;
}

// The game's reader wants every packet that does not end in f7 to be continued by the next
// event; a packet left open gets its f7.
void CloseOpenSysex(std::vector<TEvent>& events)
{
    TEvent* open = nullptr;
    for (TEvent& e : events) {
        if (open && e.Status != 0xF7)
            open->CloseSysex = true;
        if (e.Status == 0xF0 || e.Status == 0xF7)
            open = e.Data.empty() || e.Data.back() != 0xF7 ? &e : nullptr;
        else
            open = nullptr;
    }
    if (open)
        open->CloseSysex = true;
}

// Notes still sounding where their track ends are ended there, so that every note-on has its
// note-off after it. Returns the note-offs to append.
std::vector<TEvent> EndHangingNotes(const std::vector<TEvent>& events, std::int64_t endTick)
{
    std::array<std::array<int, 128>, 16> sounding{};
    for (const TEvent& e : events) {
        const std::uint8_t kind = e.Status & 0xF0;
        if (kind == 0x90 && e.Second > 0)
            ++sounding[e.Status & 15][e.First];
        else if ((kind == 0x80 || kind == 0x90) && sounding[e.Status & 15][e.First] > 0)
            --sounding[e.Status & 15][e.First];
    }
    std::vector<TEvent> offs;
    for (int channel = 0; channel < 16; ++channel)
        for (int key = 0; key < 128; ++key)
            for (int n = sounding[channel][key]; n > 0; --n) {
                TEvent off;
                off.Status = std::uint8_t(0x80 | channel);
                off.First = std::uint8_t(key);
                off.NewTick = endTick;
                offs.push_back(off);
            }
    return offs;
}

const std::array<std::uint8_t, 4>& CommonTime()
{
    static const std::array<std::uint8_t, 4> bytes{4, 2, 24, 8};
    return bytes;
}

} // namespace

bool IsPlaceholderName(const std::string& name)
{
    static const QRegularExpression placeholder(
        QStringLiteral("^(track|untitled|sequence|song|staff|midi|spår|tr)?[\\s\\-_#.:]*\\d*$"),
        QRegularExpression::CaseInsensitiveOption);
    return placeholder.match(QString::fromStdString(name).simplified()).hasMatch();
}

TImportedSong ImportSong(std::span<const std::uint8_t> bytes, const std::string& fileName, ESongBytes file)
{
    const std::string name = QFileInfo(QString::fromStdString(fileName)).fileName().toStdString();
    TReader reader(bytes, name.empty() ? fileName : name);
    std::vector<TTrack> tracks;
    int format = 0, division = 0;
    reader.Read(tracks, format, division);

    std::int64_t firstNote = -1, lastNote = 0;
    std::vector<TTempo> tempos;
    for (std::size_t t = 0; t < tracks.size(); ++t)
        for (const TEvent& e : tracks[t].Events) {
            const std::uint8_t kind = e.Status & 0xF0;
            if (kind == 0x90 && e.Second > 0)
                firstNote = firstNote < 0 ? e.Tick : std::min(firstNote, e.Tick);
            if (kind == 0x80 || kind == 0x90)
                lastNote = std::max(lastNote, e.Tick);
            if (IsMeta(e, 0x51))
                tempos.push_back({e.Tick, std::uint32_t(e.Data[0] << 16 | e.Data[1] << 8 | e.Data[2]), t, e});
        }
    if (firstNote < 0)
        reader.Fail("a MIDI file without notes, nothing to play");
    std::stable_sort(tempos.begin(), tempos.end(), [](const TTempo& a, const TTempo& b) { return a.Tick < b.Tick; });

    const TTimeMap map(tempos, division, firstNote, lastNote);
    for (TTrack& track : tracks) {
        for (TEvent& e : track.Events)
            e.NewTick = map.NewTick(e.Tick);
        track.EndTick = map.NewTick(track.EndTick);
        if (track.EndTick > kLongestSong)
            reader.Fail("far too long a song");
    }

    // The file's first track can go on leading the song when it holds nothing the game would
    // have to move: no channel messages, and no metre change that would cut a bar short.
    bool keepFirst = !tracks[0].HasChannelEvents;
    for (const TEvent& e : tracks[0].Events)
        keepFirst = keepFirst && (!IsMeta(e, 0x58) || e.NewTick % SongTicksPerBar == 0);

    TImportedSong song;
    song.Warnings = reader.Warnings();
    song.QuartersPerBeat = map.QuartersPerBeat();
    song.Title = TitleOf(tracks[0], fileName);
    const QByteArray titleBytes = QString::fromStdString(song.Title).toUtf8();
    const std::span<const std::uint8_t> titleSpan(reinterpret_cast<const std::uint8_t*>(titleBytes.constData()),
                                                  std::size_t(titleBytes.size()));

    std::vector<std::vector<TEvent>> out;
    std::vector<std::int64_t> ends;
    // The rewritten metre and tempo changes' data; a deque keeps each in place as more are added.
    std::deque<std::vector<std::uint8_t>> rewritten;
    const auto perBeat = [&](TEvent e) {
        if (map.QuartersPerBeat() > 1) {
            std::vector<std::uint8_t>& data = rewritten.emplace_back(e.Data.begin(), e.Data.end());
            const std::uint32_t tempo = map.Tempo(std::uint32_t(data[0] << 16 | data[1] << 8 | data[2]));
            data[0] = std::uint8_t(tempo >> 16);
            data[1] = std::uint8_t(tempo >> 8);
            data[2] = std::uint8_t(tempo);
            e.Data = data;
        }
        return e;
    };
    if (!keepFirst) {
        TEvent title, metre;
        title.Status = metre.Status = 0xFF;
        title.First = 0x03;
        title.Data = titleSpan;
        metre.First = 0x58;
        metre.Data = CommonTime();
        out.push_back({title, metre});
        ends.push_back(0);
    }
    // The tracks' events move into the song, so that the song is never held twice.
    for (std::size_t t = 0; t < tracks.size(); ++t) {
        song.SongTrackOf.push_back(int(out.size()));
        std::vector<TEvent>& events = tracks[t].Events;
        if (!(keepFirst && t == 0))
            std::erase_if(events, [](const TEvent& e) { return IsMeta(e, 0x51); });
        for (TEvent& e : events) {
            if (IsMeta(e, 0x51))
                e = perBeat(e);
            if (IsMeta(e, 0x58)) {
                // Only the metre changes; the clocks of the original stay.
                std::vector<std::uint8_t>& metre = rewritten.emplace_back(CommonTime().begin(), CommonTime().end());
                if (e.Data.size() >= 4)
                    std::copy(e.Data.begin() + 2, e.Data.begin() + 4, metre.begin() + 2);
                e.Data = metre;
            }
        }
        out.push_back(std::move(events));
        ends.push_back(tracks[t].EndTick);
    }

    // Every tempo change now leads from the first track.
    std::vector<TEvent>& lead = out[0];
    for (const TTempo& tempo : tempos) {
        if (keepFirst && tempo.Track == 0)
            continue;
        TEvent e = perBeat(tempo.Event);
        e.NewTick = map.NewTick(tempo.Tick);
        const auto at = std::upper_bound(lead.begin(), lead.end(), e.NewTick,
                                         [](std::int64_t t, const TEvent& x) { return t < x.NewTick; });
        lead.insert(at, e);
        ends[0] = std::max(ends[0], e.NewTick);
    }
    // A file that states no tempo at its start plays at 500000 us a quarter note until its first
    // change; the game's player has a default of its own, so the song states it.
    if (tempos.empty() || tempos.front().Tick > 0) {
        static const std::array<std::uint8_t, 3> standard{kDefaultTempo >> 16, (kDefaultTempo >> 8) & 0xFF,
                                                          kDefaultTempo & 0xFF};
        TEvent e;
        e.Status = 0xFF;
        e.First = 0x51;
        e.Data = standard;
        lead.insert(lead.begin(), perBeat(e));
    }

    std::vector<std::unique_ptr<TMidiTrackStream>> built;
    for (std::size_t t = 0; t < out.size(); ++t) {
        std::vector<TEvent>& events = out[t];
        // A record's data is at most 65535 bytes: a meta event's with its type, a packet's with
        // the f7 it may be given.
        for (const TEvent& e : events)
            if ((e.Status == 0xFF || e.Status == 0xF0 || e.Status == 0xF7) && e.Data.size() >= 0xFFFF)
                reader.Fail("an event too large for the game (64 KB or more)");
        CloseOpenSysex(events);
        const std::int64_t end = std::max(ends[t], events.empty() ? 0 : events.back().NewTick);
        for (const TEvent& off : EndHangingNotes(events, end))
            events.push_back(off);
        // Named as the file counts its tracks; a track put before them holds the tempo map.
        if (events.size() + 1 > kMostEvents)
            reader.Fail(TooManyEventsText(keepFirst || t > 0 ? "track " + std::to_string(keepFirst ? t : t - 1)
                                                             : std::string("the song's tempo map")));
        built.push_back(BuildTrack(events, end));
        std::vector<TEvent>().swap(events);
    }
    song.Song = std::make_unique<TMidiData>();
    song.Song->OpenTracks(std::move(built), SongDivision, fileName);
    if (file == ESongBytes::Written)
        song.File = MidiFileBytes(*song.Song);
    return song;
}

TImportedSong ImportSongFile(const std::string& path, ESongBytes file)
{
    std::error_code error;
    const auto size = std::filesystem::file_size(path, error);
    if (!error && size > LargestSongFile)
        throw ESongImport(path + ": " + TooLargeText());
    const std::vector<std::uint8_t> bytes = ReadSongFile(path);
    return ImportSong(bytes, path, file);
}
