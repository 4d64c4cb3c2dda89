// The player of an own-process run (PlayerRun::ownProcess): the harness's child executes this
// program again with only this test in its filter, and the player runs in that fresh process.
// Disabled, so that it runs only when asked for by name.
#include <gtest/gtest.h>
#include <unistd.h>

#include <cstdio>
#include <cstdlib>

#include "player_harness.h"

TEST(DISABLED_PlayerProcess, Run) {
    const char* commandLine = std::getenv(kOwnProcessCommandLine);
    if (!commandLine) GTEST_SKIP() << "only the child of an own-process run plays";
    PlayerStart start;
    start.commandLine = commandLine;
    start.showCmd = plat::GetSeams().showCmd;
    start.errorLog = true;
    const int exitCode = RunPlayer(start);
    std::fflush(nullptr);
    // The process ends as the player's would, with its exit code and without the test
    // framework's report.
    _exit(exitCode);
}
