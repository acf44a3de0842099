// The window tests: each test runs the window in a child process of this same program
// (see WindowScenario.h) and checks what it reported.
#include <QByteArray>
#include <cstring>
#include <gtest/gtest.h>

#include "WindowScenario.h"
#include "vocabulary/StopSignals.h"

int main(int argc, char** argv)
{
    // No display needed, here or in the child processes.
    qputenv("QT_QPA_PLATFORM", "offscreen");
    if (argc > 1 && std::strcmp(argv[1], "--window-scenario") == 0)
    {
        StopLoadersOnSignals();  // as main does
        return RunWindowScenario(argc, argv);
    }
    testing::InitGoogleTest(&argc, argv);
    return RUN_ALL_TESTS();
}
