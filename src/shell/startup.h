// Start-up and shut-down of the player on the window thread: project folders and data,
// settings, the display, input and options, the world map and the palettes, and a stage
// given on the command line; then the game thread and the window thread's message loop.
//
// Steps whose work is not built yet (the start dialog, fonts, sound and music, the window
// placement, the system information of the report log) are not run; each has its placeholder
// marker where it will run. The configuration's System.ini must choose the drawing mode
// (Direct3D 0 or 1) itself.
#pragma once

#include <cstdint>
#include <string>

// Colour depth the display runs at: 8, 16 or 32.
extern int nDisplayBpp;
// 1 when the display runs in a window.
extern int bWindowed;
// 1 once start-up has succeeded (the game thread may run).
extern int bInitDone;

// True when the program may run; false when it must end (UnInitGame follows either way).
// The command line is the stage file to play directly ("" for none).
bool InitGame(const std::string& commandLine, int showCmd);
// Releases what start-up made, in reverse order; tolerates what was never made.
void UnInitGame();

struct PlayerStart {
    std::string commandLine;  // the stage file to play directly, or ""
    int showCmd = 1;          // 5: launched by the editor
    bool errorLog = false;    // "EC_Game.txt" on (the tests' harness)
};

// PLACEHOLDER(shell): the program entry until the application shell exists: the report log,
// the main window (its procedure as far as it is built), InitGame, the game thread, the
// message loop until the window is destroyed, UnInitGame. The process exit code.
int RunPlayer(const PlayerStart& start);
