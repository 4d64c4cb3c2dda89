#include "base/globals.h"

plat::HWND hWndMain = nullptr;
std::atomic<int> bActiveApp{0};
std::atomic<int> bQuit{0};
int bEditorLaunch = 0;
int bTestPlay = 0;
