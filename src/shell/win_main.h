// The process entry's work: the report log and the machine's description, one running copy,
// the main window, the editor's hand-shake, start-up, the game thread and the window
// thread's message loop, then shut-down.
#pragma once

#include <string>

struct PlayerStart {
    std::string commandLine;  // the stage file to play directly, or ""
    int showCmd = 1;          // 5: launched by the editor
    bool errorLog = false;    // "EC_Game.txt" on (the tests' harness)
};

// The process exit code: 0 after a run, a No to the restart question or a cancelled start
// dialog; 1 when the program could not start.
int RunPlayer(const PlayerStart& start);
