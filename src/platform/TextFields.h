#pragma once

#include <string>
#include <string_view>
#include <vector>

// Which characters part the fields of a line besides the comma: in comma text the blanks and
// control characters (codes 1 to 32) do as well, and are dropped around fields; in a CSV line
// they are text.
enum class TFieldBlanks { Separate, Keep };

struct TSplitFields {
    std::vector<std::string> Fields;
    // A quoted field ran to the end of the text without its closing quote.
    bool Unclosed = false;
};

// Splits a line into fields at commas. A field that starts with a double quote runs to the next
// quote that is not doubled ("" inside stands for one quote), commas and blanks in it being
// text, and whatever follows its closing quote before a separator starts another field; a
// missing closing quote takes the rest of the text. A comma that ends the line leaves an empty
// field after it; a line without text has no field.
TSplitFields SplitFields(std::string_view text, TFieldBlanks blanks);

// Comma text: blanks separate fields as commas do, and a NUL ends the text.
std::vector<std::string> SplitCommaText(const std::string& text);

// Splits text into lines at CR, LF or CR LF; a NUL ends the text. A final line break does not
// start another line.
std::vector<std::string> SplitTextLines(const std::string& text);
