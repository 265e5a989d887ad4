#include "platform/TextFields.h"

namespace {

bool IsBlank(char c)
{
    const auto code = static_cast<unsigned char>(c);
    return code >= 1 && code <= 32;
}

// A field starting at a double quote ends at the next quote that is not doubled.
std::string ExtractQuoted(std::string_view text, std::size_t& pos, bool& unclosed)
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
    unclosed = true;
    return field;
}

} // namespace

TSplitFields SplitFields(std::string_view text, TFieldBlanks blanks)
{
    const bool blanksSeparate = blanks == TFieldBlanks::Separate;
    auto skipBlanks = [&](std::size_t& pos) {
        while (blanksSeparate && pos < text.size() && IsBlank(text[pos]))
            ++pos;
    };
    TSplitFields split;
    std::size_t pos = 0;
    const std::size_t size = text.size();
    skipBlanks(pos);
    while (pos < size) {
        if (text[pos] == '"') {
            split.Fields.push_back(ExtractQuoted(text, pos, split.Unclosed));
        } else {
            const std::size_t start = pos;
            while (pos < size && !(blanksSeparate && IsBlank(text[pos])) && text[pos] != ',')
                ++pos;
            split.Fields.emplace_back(text.substr(start, pos - start));
        }
        skipBlanks(pos);
        if (pos < size && text[pos] == ',') {
            if (pos + 1 == size)
                split.Fields.emplace_back();
            ++pos;
            skipBlanks(pos);
        }
    }
    return split;
}

std::vector<std::string> SplitCommaText(const std::string& text)
{
    return SplitFields(std::string_view(text).substr(0, text.find('\0')), TFieldBlanks::Separate).Fields;
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
