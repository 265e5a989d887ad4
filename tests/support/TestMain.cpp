#include "platform/UserFoldersOverride.h"

#include <QApplication>
#include <QTemporaryDir>
#include <gtest/gtest.h>

#include <cstdio>

// Every test program gets a QApplication so widgets, timers and images work; without a
// display Qt draws offscreen.
int main(int argc, char** argv)
{
    if (qEnvironmentVariableIsEmpty("DISPLAY") && qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM"))
        qputenv("QT_QPA_PLATFORM", "offscreen");
    QApplication app(argc, argv);
    ::testing::InitGoogleTest(&argc, argv);
    // Whatever a test writes for the user (the training record, calibrations) lands in a folder
    // of the test program's own; tests that look at it get one of their own besides.
    const QTemporaryDir user;
    if (!user.isValid()) {
        std::fprintf(stderr, "no temporary folder for the user's files\n");
        return 1;
    }
    const TOverride userFolders = OverrideUserFolders(user.path());
    return RUN_ALL_TESTS();
}
