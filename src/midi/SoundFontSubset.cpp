#include "midi/SoundFontSubset.h"

#include <QFile>
#include <QIODevice>

#include <algorithm>
#include <array>
#include <cstring>
#include <map>
#include <set>

namespace {
constexpr int PresetSize = 38, BagSize = 4, ModSize = 10, GenSize = 4, InstrumentSize = 22, SampleSize = 46;
constexpr int PresetBagAt = 24, InstrumentBagAt = 20;
constexpr std::uint16_t GenInstrument = 41, GenSampleId = 53;
// Each sample is followed by this many points, which the synthesizer's interpolation reads a
// little into. They are the ones that follow it in the source (silence, in a file made as it
// should be): some files pack their samples tight, and there the synthesizer reads the next
// sample's first points, which the copy must keep to sound the same.
constexpr int GuardPoints = 46;
constexpr std::uint16_t RomSample = 0x8000, PairedSample = 2 | 4 | 8;

std::uint16_t U16(const char* p) { return std::uint16_t(std::uint8_t(p[0]) | std::uint8_t(p[1]) << 8); }
std::uint32_t U32(const char* p) { return std::uint32_t(U16(p)) | std::uint32_t(U16(p + 2)) << 16; }
void PutU16(char* p, std::uint32_t v)
{
    p[0] = char(v & 0xFF);
    p[1] = char((v >> 8) & 0xFF);
}
void PutU32(char* p, std::uint32_t v)
{
    PutU16(p, v & 0xFFFF);
    PutU16(p + 2, v >> 16);
}

// One kind of record of the preset data; the last is the terminal one.
struct TRecords {
    QByteArray Bytes;
    int Size = 1;
    int Count() const { return int(Bytes.size() / Size); }
    const char* At(int i) const { return Bytes.constData() + qsizetype(i) * Size; }
};

struct TChunk {
    qint64 Offset = -1;  // of its data
    std::uint32_t Size = 0;
};

class TSoundFontFile {
public:
    std::string Error;

    bool Open(const std::string& path);
    // Which presets, instruments and samples the wanted presets need, each checked on the way.
    bool Select(const std::vector<TMidiInstrument>& wanted, bool everyPreset);
    bool Write(QIODevice& out);

private:
    QFile file_;
    TChunk smpl_, sm24_;
    QByteArray ifil_, isng_, inam_;
    std::map<QByteArray, TRecords*> named_;
    TRecords phdr_{{}, PresetSize}, pbag_{{}, BagSize}, pmod_{{}, ModSize}, pgen_{{}, GenSize};
    TRecords inst_{{}, InstrumentSize}, ibag_{{}, BagSize}, imod_{{}, ModSize}, igen_{{}, GenSize};
    TRecords shdr_{{}, SampleSize};
    std::vector<int> presets_;
    std::map<int, int> instruments_, samples_;  // old index to new

    bool Fail(const std::string& why)
    {
        Error = "damaged SoundFont: " + why;
        return false;
    }
    bool ReadAt(qint64 offset, char* to, qint64 count)
    {
        return file_.seek(offset) && file_.read(to, count) == count;
    }
    template <typename TVisit> bool Walk(qint64 begin, qint64 end, TVisit visit);
    bool ReadPresetData(qint64 begin, qint64 end);
    bool Zones(const TRecords& headers, int bagAt, int i, const TRecords& bags, int& first, int& last);
    bool ZoneContents(const TRecords& bags, int bag, const TRecords& gens, const TRecords& mods, int& gen, int& genEnd);
    bool Uses(const TRecords& headers, int bagAt, int i, const TRecords& bags, const TRecords& gens,
              const TRecords& mods, std::uint16_t linkOper, int linkCount, std::set<int>& used);
    bool CheckSample(int i);
};

template <typename TVisit> bool TSoundFontFile::Walk(qint64 begin, qint64 end, TVisit visit)
{
    for (qint64 at = begin; at + 8 <= end;) {
        char head[8];
        if (!ReadAt(at, head, 8))
            return Fail("cannot read a chunk header");
        const QByteArray id(head, 4);
        const std::uint32_t size = U32(head + 4);
        if (at + 8 + qint64(size) > end)
            return Fail("the " + id.toStdString() + " chunk runs past the end of what holds it");
        if (!visit(id, TChunk{at + 8, size}))
            return false;
        at += 8 + qint64(size) + (size & 1);
    }
    return true;
}

bool TSoundFontFile::Open(const std::string& path)
{
    file_.setFileName(QString::fromStdString(path));
    if (!file_.open(QIODevice::ReadOnly)) {
        Error = "cannot open " + path + ": " + file_.errorString().toStdString();
        return false;
    }
    char head[12];
    if (!ReadAt(0, head, 12) || std::memcmp(head, "RIFF", 4) != 0 || std::memcmp(head + 8, "sfbk", 4) != 0) {
        Error = path + " is not a SoundFont";
        return false;
    }
    const qint64 end = 8 + qint64(U32(head + 4));
    if (end > file_.size())
        return Fail("the file is shorter than it says (cut off?)");
    bool presetData = false;
    const bool walked = Walk(12, end, [&](const QByteArray& id, TChunk chunk) {
        char type[4];
        if (id != "LIST" || chunk.Size < 4)
            return true;  // not ours to understand
        if (!ReadAt(chunk.Offset, type, 4))
            return Fail("cannot read a list's type");
        const QByteArray list(type, 4);
        const qint64 from = chunk.Offset + 4, to = chunk.Offset + chunk.Size;
        if (list == "pdta") {
            presetData = true;
            return ReadPresetData(from, to);
        }
        if (list == "sdta")
            return Walk(from, to, [&](const QByteArray& sub, TChunk c) {
                if (sub == "smpl")
                    smpl_ = c;
                else if (sub == "sm24")
                    sm24_ = c;
                return true;
            });
        if (list == "INFO")
            return Walk(from, to, [&](const QByteArray& sub, TChunk c) {
                QByteArray* keep = sub == "ifil" ? &ifil_ : sub == "isng" ? &isng_ : sub == "INAM" ? &inam_ : nullptr;
                if (keep && c.Size <= 256) {
                    keep->resize(c.Size);
                    return ReadAt(c.Offset, keep->data(), c.Size) || Fail("cannot read its information");
                }
                return true;
            });
        return true;
    });
    if (!walked)
        return false;
    if (!presetData || smpl_.Offset < 0)
        return Fail("it has no " + std::string(presetData ? "sample" : "preset") + " data");
    if (ifil_.size() != 4)
        return Fail("it has no version");
    // Low bytes of 24-bit samples that do not match the samples are left out, as a player would.
    if (sm24_.Offset >= 0 && sm24_.Size != smpl_.Size / 2 && sm24_.Size != smpl_.Size / 2 + (smpl_.Size / 2 & 1))
        sm24_ = TChunk{};
    return true;
}

bool TSoundFontFile::ReadPresetData(qint64 begin, qint64 end)
{
    named_ = {{"phdr", &phdr_}, {"pbag", &pbag_}, {"pmod", &pmod_}, {"pgen", &pgen_}, {"inst", &inst_},
              {"ibag", &ibag_}, {"imod", &imod_}, {"igen", &igen_}, {"shdr", &shdr_}};
    std::set<QByteArray> seen;
    const bool walked = Walk(begin, end, [&](const QByteArray& id, TChunk chunk) {
        auto found = named_.find(id);
        if (found == named_.end())
            return true;
        TRecords& records = *found->second;
        if (chunk.Size % std::uint32_t(records.Size) != 0 || chunk.Size == 0)
            return Fail("the " + id.toStdString() + " records do not fill their chunk");
        records.Bytes.resize(chunk.Size);
        seen.insert(id);
        return ReadAt(chunk.Offset, records.Bytes.data(), chunk.Size) || Fail("cannot read its preset data");
    });
    if (!walked)
        return false;
    for (const auto& [id, records] : named_)
        if (!seen.contains(id))
            return Fail("its preset data lacks the " + id.toStdString() + " records");
    return true;
}

// The bags of header i: from its own index to the next header's, all within the bags but the
// terminal one.
bool TSoundFontFile::Zones(const TRecords& headers, int bagAt, int i, const TRecords& bags, int& first, int& last)
{
    first = U16(headers.At(i) + bagAt);
    last = U16(headers.At(i + 1) + bagAt);
    return (first <= last && last < bags.Count()) || Fail("a zone list is out of range");
}

bool TSoundFontFile::ZoneContents(const TRecords& bags, int bag, const TRecords& gens, const TRecords& mods,
                                  int& gen, int& genEnd)
{
    gen = U16(bags.At(bag));
    genEnd = U16(bags.At(bag + 1));
    const int mod = U16(bags.At(bag) + 2), modEnd = U16(bags.At(bag + 1) + 2);
    return (gen <= genEnd && genEnd <= gens.Count() && mod <= modEnd && modEnd <= mods.Count()) ||
           Fail("a zone's generators or modulators are out of range");
}

// Collects what the zones of header i link to (instruments of a preset, samples of an instrument).
bool TSoundFontFile::Uses(const TRecords& headers, int bagAt, int i, const TRecords& bags, const TRecords& gens,
                          const TRecords& mods, std::uint16_t linkOper, int linkCount, std::set<int>& used)
{
    int first = 0, last = 0;
    if (!Zones(headers, bagAt, i, bags, first, last))
        return false;
    for (int bag = first; bag < last; ++bag) {
        int gen = 0, genEnd = 0;
        if (!ZoneContents(bags, bag, gens, mods, gen, genEnd))
            return false;
        for (; gen < genEnd; ++gen)
            if (U16(gens.At(gen)) == linkOper) {
                const int target = U16(gens.At(gen) + 2);
                if (target >= linkCount)
                    return Fail("a zone links to something that is not there");
                used.insert(target);
            }
    }
    return true;
}

bool TSoundFontFile::CheckSample(int i)
{
    const char* s = shdr_.At(i);
    const std::uint32_t start = U32(s + 20), end = U32(s + 24);
    const std::uint16_t type = U16(s + 44);
    if (type & RomSample)
        return Fail("a sample lies in a sound card's memory");
    if (start > end || end > smpl_.Size / 2)
        return Fail("a sample lies outside the sample data");
    if ((type & PairedSample) && U16(s + 42) >= shdr_.Count() - 1)
        return Fail("a sample's partner is not there");
    return true;
}

bool TSoundFontFile::Select(const std::vector<TMidiInstrument>& wanted, bool everyPreset)
{
    const int presetCount = phdr_.Count() - 1;
    if (presetCount < 0 || inst_.Count() < 1 || shdr_.Count() < 1)
        return Fail("its preset data has no terminal records");
    auto matching = [&](TMidiInstrument preset) {
        std::vector<int> found;
        for (int i = 0; i < presetCount; ++i)
            if (U16(phdr_.At(i) + 22) == preset.Bank && U16(phdr_.At(i) + 20) == preset.Program)
                found.push_back(i);
        return found;
    };
    std::set<int> chosen;
    std::vector<TMidiInstrument> asked = wanted;
    asked.push_back({TMidiInstrument::DrumBank, 0});
    for (TMidiInstrument preset : asked) {
        std::vector<int> found = matching(preset);
        if (found.empty())
            found = matching(preset.Bank == TMidiInstrument::DrumBank ? TMidiInstrument{TMidiInstrument::DrumBank, 0}
                                                                      : TMidiInstrument{0, preset.Program});
        chosen.insert(found.begin(), found.end());
    }
    for (int i = 0; everyPreset && i < presetCount; ++i)
        chosen.insert(i);
    if (chosen.empty()) {
        Error = "the SoundFont has none of the presets wanted";
        return false;
    }
    presets_.assign(chosen.begin(), chosen.end());

    std::set<int> instruments, samples;
    for (int p : presets_)
        if (!Uses(phdr_, PresetBagAt, p, pbag_, pgen_, pmod_, GenInstrument, inst_.Count() - 1, instruments))
            return false;
    for (int i : instruments)
        if (!Uses(inst_, InstrumentBagAt, i, ibag_, igen_, imod_, GenSampleId, shdr_.Count() - 1, samples))
            return false;
    // A stereo sample's partner comes along, and its partner's, however long the chain.
    for (std::vector<int> open(samples.begin(), samples.end()); !open.empty();) {
        const int s = open.back();
        open.pop_back();
        if (!CheckSample(s))
            return false;
        if (const char* h = shdr_.At(s); (U16(h + 44) & PairedSample) && samples.insert(U16(h + 42)).second)
            open.push_back(U16(h + 42));
    }
    instruments_.clear();
    samples_.clear();
    for (int i : instruments)
        instruments_.emplace(i, int(instruments_.size()));
    for (int s : samples)
        samples_.emplace(s, int(samples_.size()));
    return true;
}

// Appends the zones of header i, their links renumbered, with a copy of the header pointing at them.
void CopyZones(const TRecords& headers, int bagAt, int i, const TRecords& bags, const TRecords& gens,
               const TRecords& mods, std::uint16_t linkOper, const std::map<int, int>& renumber, TRecords& outHeaders,
               TRecords& outBags, TRecords& outGens, TRecords& outMods)
{
    QByteArray header(headers.At(i), headers.Size);
    PutU16(header.data() + bagAt, std::uint32_t(outBags.Count()));
    outHeaders.Bytes += header;
    for (int bag = U16(headers.At(i) + bagAt); bag < U16(headers.At(i + 1) + bagAt); ++bag) {
        char record[BagSize];
        PutU16(record, std::uint32_t(outGens.Count()));
        PutU16(record + 2, std::uint32_t(outMods.Count()));
        outBags.Bytes.append(record, BagSize);
        for (int gen = U16(bags.At(bag)); gen < U16(bags.At(bag + 1)); ++gen) {
            QByteArray g(gens.At(gen), GenSize);
            if (U16(g.constData()) == linkOper)
                PutU16(g.data() + 2, std::uint32_t(renumber.at(U16(g.constData() + 2))));
            outGens.Bytes += g;
        }
        const int mod = U16(bags.At(bag) + 2), modEnd = U16(bags.At(bag + 1) + 2);
        outMods.Bytes.append(mods.At(mod), qsizetype(modEnd - mod) * ModSize);
    }
}

// The terminal records close each list, their indices at the lists' ends.
void Terminate(TRecords& headers, int bagAt, const char* name, TRecords& bags, TRecords& gens, TRecords& mods)
{
    QByteArray header(headers.Size, '\0');
    std::memcpy(header.data(), name, std::strlen(name));
    PutU16(header.data() + bagAt, std::uint32_t(bags.Count()));
    char bag[BagSize];
    PutU16(bag, std::uint32_t(gens.Count()));
    PutU16(bag + 2, std::uint32_t(mods.Count()));
    headers.Bytes += header;
    bags.Bytes.append(bag, BagSize);
    gens.Bytes += QByteArray(GenSize, '\0');
    mods.Bytes += QByteArray(ModSize, '\0');
}

QByteArray Chunk(const char* id, const QByteArray& data)
{
    QByteArray chunk(id, 4);
    chunk.resize(8);
    PutU32(chunk.data() + 4, std::uint32_t(data.size()));
    chunk += data;
    if (data.size() & 1)
        chunk += '\0';
    return chunk;
}

QByteArray Text(const QByteArray& kept, const char* otherwise)
{
    QByteArray text = kept.isEmpty() ? QByteArray(otherwise) : kept;
    text.truncate(text.indexOf('\0') < 0 ? text.size() : text.indexOf('\0'));
    return text + QByteArray(2 - text.size() % 2, '\0');
}

bool TSoundFontFile::Write(QIODevice& out)
{
    TRecords phdr{{}, PresetSize}, pbag{{}, BagSize}, pmod{{}, ModSize}, pgen{{}, GenSize};
    TRecords inst{{}, InstrumentSize}, ibag{{}, BagSize}, imod{{}, ModSize}, igen{{}, GenSize};
    TRecords shdr{{}, SampleSize};
    for (int p : presets_)
        CopyZones(phdr_, PresetBagAt, p, pbag_, pgen_, pmod_, GenInstrument, instruments_, phdr, pbag, pgen, pmod);
    Terminate(phdr, PresetBagAt, "EOP", pbag, pgen, pmod);
    for (const auto& [i, renumbered] : instruments_)
        CopyZones(inst_, InstrumentBagAt, i, ibag_, igen_, imod_, GenSampleId, samples_, inst, ibag, igen, imod);
    Terminate(inst, InstrumentBagAt, "EOI", ibag, igen, imod);

    qint64 points = 0;
    for (const auto& [s, renumbered] : samples_)
        points += qint64(U32(shdr_.At(s) + 24)) - U32(shdr_.At(s) + 20) + GuardPoints;
    qint64 at = 0;
    for (const auto& [s, renumbered] : samples_) {
        QByteArray h(shdr_.At(s), SampleSize);
        const qint64 start = U32(h.constData() + 20), end = U32(h.constData() + 24);
        // Loops keep their place within their sample, wherever the sample now lies.
        auto moved = [&](qint64 point) { return std::uint32_t(std::clamp(at + point - start, qint64(0), points)); };
        PutU32(h.data() + 28, moved(U32(h.constData() + 28)));
        PutU32(h.data() + 32, moved(U32(h.constData() + 32)));
        PutU32(h.data() + 20, std::uint32_t(at));
        PutU32(h.data() + 24, std::uint32_t(at + end - start));
        if (U16(h.constData() + 44) & PairedSample)
            PutU16(h.data() + 42, std::uint32_t(samples_.at(U16(h.constData() + 42))));
        shdr.Bytes += h;
        at += end - start + GuardPoints;
    }
    shdr.Bytes += QByteArray(SampleSize, '\0').replace(0, 3, "EOS");

    QByteArray pdta("pdta");
    for (const auto& [id, records] : std::array<std::pair<const char*, TRecords*>, 9>{
             {{"phdr", &phdr}, {"pbag", &pbag}, {"pmod", &pmod}, {"pgen", &pgen}, {"inst", &inst},
              {"ibag", &ibag}, {"imod", &imod}, {"igen", &igen}, {"shdr", &shdr}}})
        pdta += Chunk(id, records->Bytes);
    const QByteArray info = Chunk("LIST", "INFO" + Chunk("ifil", ifil_) + Chunk("isng", Text(isng_, "EMU8000")) +
                                              Chunk("INAM", Text(inam_, "General MIDI")));
    const bool lowBytes = sm24_.Offset >= 0;
    const qint64 lowSize = points + (points & 1);
    const qint64 sdtaSize = 4 + 8 + points * 2 + (lowBytes ? 8 + lowSize : 0);
    const qint64 riffSize = 4 + info.size() + 8 + sdtaSize + 8 + pdta.size();
    if (riffSize > 0xFFFFFFFFLL)
        return Fail("the presets wanted make too large a SoundFont");

    auto put = [&](const QByteArray& bytes) {
        if (out.write(bytes) == bytes.size())
            return true;
        Error = "cannot write the cut-down SoundFont: " + out.errorString().toStdString();
        return false;
    };
    auto header = [](const char* id, qint64 size) {
        QByteArray h(id, 4);
        h.resize(8);
        PutU32(h.data() + 4, std::uint32_t(size));
        return h;
    };
    // Samples are copied a piece at a time, so a large SoundFont's never sit whole in memory.
    QByteArray piece;
    auto copy = [&](TChunk from, int width) {
        const qint64 sourcePoints = smpl_.Size / 2;
        for (const auto& [s, renumbered] : samples_) {
            const qint64 start = U32(shdr_.At(s) + 20), end = U32(shdr_.At(s) + 24);
            const qint64 after = std::min<qint64>(end + GuardPoints, sourcePoints);
            if (!file_.seek(from.Offset + start * width))
                return Fail("cannot reach the sample data");
            for (qint64 left = (after - start) * width; left > 0;) {
                piece.resize(qsizetype(std::min<qint64>(left, 1 << 18)));
                if (file_.read(piece.data(), piece.size()) != piece.size())
                    return Fail("cannot read the sample data");
                if (!put(piece))
                    return false;
                left -= piece.size();
            }
            if (!put(QByteArray((end + GuardPoints - after) * width, '\0')))
                return false;
        }
        return true;
    };
    if (!put(header("RIFF", riffSize) + "sfbk" + info + header("LIST", sdtaSize) + "sdta" +
             header("smpl", points * 2)) ||
        !copy(smpl_, 2))
        return false;
    if (lowBytes && !(put(header("sm24", points)) && copy(sm24_, 1) && put(QByteArray(lowSize - points, '\0'))))
        return false;
    return put(header("LIST", pdta.size()) + pdta);
}
}

std::string CheckSoundFontForSubset(const std::string& path)
{
    TSoundFontFile file;
    return file.Open(path) && file.Select({}, true) ? std::string() : file.Error;
}

std::string WriteSoundFontSubset(const std::string& source, const std::vector<TMidiInstrument>& presets,
                                 QIODevice& out)
{
    TSoundFontFile file;
    return file.Open(source) && file.Select(presets, false) && file.Write(out) ? std::string() : file.Error;
}
