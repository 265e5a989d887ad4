#include "platform/TextFields.h"

#include <gtest/gtest.h>

using Strings = std::vector<std::string>;

TEST(TextFields, ACsvLineKeepsItsBlanksAndSaysWhenAQuoteIsLeftOpen)
{
    const TSplitFields line = SplitFields(" a ,\"b, \"\"c\"\"\",,d\"e,", TFieldBlanks::Keep);
    EXPECT_EQ(line.Fields, (Strings{" a ", "b, \"c\"", "", "d\"e", ""}));
    EXPECT_FALSE(line.Unclosed);
    const TSplitFields open = SplitFields("1,\"cut", TFieldBlanks::Keep);
    EXPECT_EQ(open.Fields, (Strings{"1", "cut"}));
    EXPECT_TRUE(open.Unclosed);
}
