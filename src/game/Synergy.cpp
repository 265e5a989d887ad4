#include "game/Synergy.h"

#include "platform/DataPath.h"

#include <filesystem>
#include <fstream>
#include <iterator>
#include <limits>
#include <utility>

namespace {

constexpr const char* kBitsIndexError = "Bits index out of range";
constexpr std::int64_t kMaxBitIndex = std::numeric_limits<std::int32_t>::max() - 1;

bool IsBlank(char c)
{
    const auto code = static_cast<unsigned char>(c);
    return code >= 1 && code <= 32;
}

// A field starting at a double quote ends at the next quote that is not doubled; a missing
// closing quote takes the rest of the text.
std::string ExtractQuoted(const std::string& text, std::size_t& pos)
{
    std::string field;
    ++pos;
    while (pos < text.size()) {
        if (text[pos] == '"') {
            if (pos + 1 < text.size() && text[pos + 1] == '"') {
                field += '"';
                pos += 2;
                continue;
            }
            ++pos;
            return field;
        }
        field += text[pos++];
    }
    return field;
}

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
    const std::int64_t quantised = line.tick / 25 * 25;
    return (static_cast<std::int64_t>(line.bar) * 4 + line.beat) * 100 + quantised;
}

} // namespace

void TBits::SetSize(std::int32_t size)
{
    if (size < 0)
        throw EBeatMapError(kBitsIndexError);
    set_.erase(set_.lower_bound(size), set_.end());
    size_ = size;
}

bool TBits::Bit(std::int32_t index) const
{
    if (index < 0 || index >= size_)
        throw EBeatMapError(kBitsIndexError);
    return set_.count(index) != 0;
}

void TBits::SetBit(std::int32_t index, bool value)
{
    if (index < 0 || index > kMaxBitIndex)
        throw EBeatMapError(kBitsIndexError);
    if (index >= size_)
        size_ = index + 1;
    if (value)
        set_.insert(index);
    else
        set_.erase(index);
}

std::vector<std::string> SplitCommaText(const std::string& rawText)
{
    // Text ends at a NUL, as it does in the file.
    const std::string text = rawText.substr(0, rawText.find('\0'));
    std::vector<std::string> fields;
    std::size_t pos = 0;
    const std::size_t size = text.size();
    while (pos < size && IsBlank(text[pos]))
        ++pos;
    while (pos < size) {
        if (text[pos] == '"') {
            fields.push_back(ExtractQuoted(text, pos));
        } else {
            const std::size_t start = pos;
            while (pos < size && !IsBlank(text[pos]) && text[pos] != ',')
                ++pos;
            fields.push_back(text.substr(start, pos - start));
        }
        while (pos < size && IsBlank(text[pos]))
            ++pos;
        if (pos < size && text[pos] == ',') {
            if (pos + 1 == size)
                fields.emplace_back();
            ++pos;
            while (pos < size && IsBlank(text[pos]))
                ++pos;
        }
    }
    return fields;
}

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
    return result;
}

std::vector<std::string> SplitTextLines(const std::string& text)
{
    std::vector<std::string> lines;
    const std::size_t end = text.find('\0');
    const std::size_t size = end == std::string::npos ? text.size() : end;
    std::size_t pos = 0;
    while (pos < size) {
        const std::size_t start = pos;
        while (pos < size && text[pos] != '\r' && text[pos] != '\n')
            ++pos;
        lines.push_back(text.substr(start, pos - start));
        if (pos < size && text[pos] == '\r')
            ++pos;
        if (pos < size && text[pos] == '\n')
            ++pos;
    }
    return lines;
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

    if (lines_.empty())
        throw EBeatMapError(Format("List index out of bounds (%d)", -1));
    const std::int64_t size = (static_cast<std::int64_t>(ParseBeatLine(lines_.back()).bar) + 1) * 400;
    if (size < 0 || size > kMaxBitIndex)
        throw EBeatMapError(kBitsIndexError);
    marks_.SetSize(static_cast<std::int32_t>(size));

    for (const std::string& line : lines_) {
        const std::int64_t index = MarkIndex(ParseBeatLine(line));
        if (index < 0 || index > kMaxBitIndex)
            throw EBeatMapError(kBitsIndexError);
        marks_.SetBit(static_cast<std::int32_t>(index), true);
        if (index > size)
            throw EBeatMapError("Range check error");
    }
}
