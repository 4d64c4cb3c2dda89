// Start-up and shut-down of the player on the window thread: project folders and data,
// settings, the display, input and options, the world map and the palettes, and a stage
// given on the command line; and their release in reverse order.
#pragma once

#include <cstdint>
#include <string>

#include "shell/win_main.h"

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
