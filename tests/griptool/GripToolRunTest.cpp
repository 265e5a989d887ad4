#include "GripToolRun.h"

#include <gtest/gtest.h>

// A command that hangs must fail its test, not pass as a clean exit.
TEST(GripToolRun, ARunThatOutlastsItsTimeIsKilledAndCountsAsFailed)
{
    const griptool::TRun hung = griptool::Exec("sleep", {"30"}, 200);
    EXPECT_EQ(hung.ExitCode, -1);
    EXPECT_NE(hung.Err.find("killed after 200 ms"), std::string::npos) << hung.Err;
    EXPECT_EQ(griptool::Exec("sh", {"-c", "exit 3"}).ExitCode, 3);
}
