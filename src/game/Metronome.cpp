#include "game/Metronome.h"

#include "midi/SongPosition.h"
#include "platform/DataPath.h"
#include "platform/TextFields.h"

#include <filesystem>
#include <fstream>
#include <iterator>
#include <limits>
#include <utility>

namespace {

std::int32_t ToInteger(const std::string& field)
{
    std::size_t pos = 0;
    bool negative = false;
    if (!field.empty() && (field[0] == '+' || field[0] == '-')) {
        negative = field[0] == '-';
        pos = 1;
    }
    const std::int64_t limit = negative ? -static_cast<std::int64_t>(std::numeric_limits<std::int32_t>::min())
                                        : std::numeric_limits<std::int32_t>::max();
    std::int64_t value = 0;
    bool valid = pos < field.size();
    for (; valid && pos < field.size(); ++pos) {
        const char c = field[pos];
        valid = c >= '0' && c <= '9' && (value = value * 10 + (c - '0')) <= limit;
    }
    if (!valid)
        throw EBeatMapError(Format("'%s' is not a valid integer value", field.c_str()));
    return static_cast<std::int32_t>(negative ? -value : value);
}

const std::string& FieldAt(const std::vector<std::string>& fields, std::size_t index)
{
    if (index >= fields.size())
        throw EBeatMapError(Format("List index out of bounds (%d)", static_cast<int>(index)));
    return fields[index];
}

// The line's song position rounded down to a quarter beat, wide enough not to overflow.
std::int64_t MarkIndex(const TBeatLine& line)
{
    return SongPositionAt(line.bar, line.beat, line.tick / MarkGrid * MarkGrid);
}

} // namespace

TBeatLine ParseBeatLine(const std::string& line)
{
    std::string text = line;
    for (char& c : text)
        if (c == ':')
            c = ',';
    const std::vector<std::string> fields = SplitCommaText(text);
    TBeatLine result;
    result.bar = ToInteger(FieldAt(fields, 0));
    result.beat = ToInteger(FieldAt(fields, 1));
    result.tick = ToInteger(FieldAt(fields, 2));
    if (fields.size() > 3)
        result.kind = BallKindNamed(fields[3]);
    return result;
}

TMetronome::TMetronome(std::string dataDirectory) : dataDirectory_(std::move(dataDirectory)) {}

void TMetronome::LoadBeatMap(const std::string& fileName)
{
    const std::string path = dataDirectory_ ? *dataDirectory_ + fileName : DataFile(fileName);
    lines_.clear();
    std::error_code error;
    std::ifstream file;
    // A directory opens like a file on Linux but reads as nothing; it is no beat map either.
    if (!std::filesystem::is_directory(path, error))
        file.open(path, std::ios::binary);
    if (!file.is_open())
        throw EBeatMapError(Format("Cannot open file %s", path.c_str()));
    const std::string text{std::istreambuf_iterator<char>(file), std::istreambuf_iterator<char>()};
    if (file.bad())
        throw EBeatMapError(Format("Cannot open file %s", path.c_str()));
    LoadBeatMapText(text);
}

void TMetronome::LoadBeatMapText(const std::string& text)
{
    lines_ = SplitTextLines(text);
    kinds_.clear();

    if (lines_.empty())
        throw EBeatMapError(Format("List index out of bounds (%d)", -1));
    const std::int64_t size = (static_cast<std::int64_t>(ParseBeatLine(lines_.back()).bar) + 1) * SongTicksPerBar;
    if (size < 0 || size > TBits::MaxIndex)
        throw EBeatMapError(TBits::IndexError);
    marks_.SetSize(static_cast<std::int32_t>(size));

    for (const std::string& line : lines_) {
        const TBeatLine beat = ParseBeatLine(line);
        const std::int64_t index = MarkIndex(beat);
        if (index < 0 || index > TBits::MaxIndex)
            throw EBeatMapError(TBits::IndexError);
        marks_.SetBit(static_cast<std::int32_t>(index), true);
        if (beat.kind)
            kinds_.emplace(static_cast<std::int32_t>(index), *beat.kind);
        if (index > size)
            throw EBeatMapError("Range check error");
    }
}
