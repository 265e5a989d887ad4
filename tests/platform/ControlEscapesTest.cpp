// Names from files on a terminal: control characters escaped, all else as it was.
#include "platform/ControlEscapes.h"

#include <gtest/gtest.h>

TEST(ControlEscapes, EveryControlCharacterIsEscapedAndOtherTextStays)
{
    EXPECT_EQ(EscapeControls("Caf\xc3\xa9 \xe6\x97\xa5 \\n"), "Caf\xc3\xa9 \xe6\x97\xa5 \\n");
    EXPECT_EQ(EscapeControls("a\nb\rc\td"), "a\\nb\\rc\\td");
    EXPECT_EQ(EscapeControls(std::string("\x1b[2J\x7f\0z", 7)), "\\x1b[2J\\x7f\\x00z");
    // C1 controls in UTF-8 (U+009B starts a sequence on some terminals); the byte alone stays.
    EXPECT_EQ(EscapeControls("\xc2\x9b" "31m\xc2\xa0\xc2"), "\\u009b31m\xc2\xa0\xc2");
}
