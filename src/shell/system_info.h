// The machine and the display, described in the report log at start: the system and its
// release, the processor, the memory, the free disk space, then the display's mode and the
// back end's own block.
#pragma once

#include <cstdint>
#include <string>

// "Linux" and the kernel release (the buffer, when given, gets the text; its length is the
// result). Major and minor are answered as 6 and 1: the player behaves as on the newest
// system its choices know.
int GetWindowsVersionName(std::string* text, int* major, int* minor);
bool IsWindowsVersionAtLeast(int major, int minor);

struct CpuInfo {
    char szName[256] = {};
    char szVendor[256] = {};
    int bMMX = 0, bSSE = 0, bSSE2 = 0, b3DNow = 0, b3DNowExt = 0;
    double dClock = 0;  // Hz
};
void GetCpuInfo(CpuInfo* info);
// The processor's clock as the system reports it (Hz); no timing loop.
double MeasureCpuClock();
// Free bytes for this user on the drive of `root` (null: the current folder); 0 when the
// query fails. Not capped.
std::uint64_t GetDiskFreeBytes(const char* root);

// The system lines; 0 when the report log cannot be written.
int LogSystemInfo();
// The display lines (mode, depth, the back end's block); the caps-dump flag adds the whole
// capability record. 0 when the report log cannot be written.
int LogDisplayInfo(int capsDump);
