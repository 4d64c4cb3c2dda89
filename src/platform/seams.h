// Test seams: environment variables read once, only by the platform layer.
//   K4_HEADLESS=1           no SDL video or audio: in-memory window, null presenter and audio
//   K4_CLOCK=virtual[:START] the virtual clock, starting at START ms (default 0x00010000)
//   K4_SCRIPT=FILE          scripted input and answers (script.h); boxes are logged to FILE.log
//   K4_QUIT_AFTER=N         post WM_CLOSE to the main window after frame N
//   K4_CAPTURE=N,M,...:DIR  write presented frames N, M, ... as PNG into DIR
//   K4_EDITOR_SOCKET=PATH   the Unix socket standing for the editor's window
//   K4_SHOWCMD=N            the show command the program was started with
//   K4_FAIL=STEP,...        named steps fail
//   K4_LOSE_DEVICE=N        the display device is lost at frame N
//   K4_STATE_LOG=FILE       one line of the play state per game-scene frame is appended to FILE
//   K4_AUDIO_OUT=FILE.wav   everything the mixer produced, as a WAV file
#pragma once

#include <cstdint>
#include <set>
#include <string>
#include <vector>

namespace plat {

struct Seams {
    bool headless = false;
    bool virtualClock = false;
    std::uint32_t clockStart = 0x00010000;
    std::string scriptPath;
    int quitAfter = 0;  // 0 = never
    std::vector<int> captureFrames;
    std::string captureDir;
    std::string editorSocket;
    int showCmd = 1;  // SW_SHOWNORMAL
    std::set<std::string> failSteps;
    int loseDeviceFrame = 0;          // 0 = never
    std::string stateLogPath;         // empty = no state log
    std::string audioOutPath;         // empty = no WAV file of the mix
    int desktopBpp = 32;              // the headless desktop's depth: 16 or 32
    std::vector<std::string> errors;  // malformed values, reported at start
};

// Parses the seams from an environment lookup (tests pass their own).
Seams ParseSeams(const char* (*getenv)(const char*));
// The seams in force: read from the process environment on first use.
const Seams& GetSeams();
// Replaces the seams in force (tests; the runtime reads them through GetSeams).
void SetSeams(const Seams& seams);

// True when K4_FAIL names the step.
bool FailStep(const char* step);

}  // namespace plat
