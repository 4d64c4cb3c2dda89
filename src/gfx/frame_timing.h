// Process-wide frame timers on the 1-ms clock: the start and length of a frame's work, a
// counter firing every n-th call, frames per second, the DirectDraw frame limiter and the
// Direct3D frame pacing. One thread drives frames at a time; nothing here locks.
//
// Times are compared by their difference, so the clock's wrap after 49.7 days holds no frame
// back.
#pragma once

#include <cstdint>

// Frame start = now; returns now.
std::uint32_t MarkFrameStart();
// bMeasure: the last frame time = now - frame start, returned; otherwise the last one.
std::uint32_t GetFrameElapsed(bool bMeasure);
// Mode 0: restart (0). Mode 2: 1 when the counter is 0. Other modes: 1 on every n-th call.
int FrameSkipCounter(int nMode, int n);
// bCount: counts a frame and publishes the count once a second has passed (that call is not
// counted). Returns the published frames per second.
int CountFps(bool bCount);
// DirectDraw: false until 1000 / nFps ms (whole milliseconds) have passed since the last
// frame let through; true for every frame at 0.
bool CheckFrameTime(int nFps);
// Direct3D: false until frame k of the current second is due at base + (1000.0 / nFps) * k;
// the schedule restarts every nFps frames. With the overlay flag and a colour, the pacing
// statistics are drawn on the back buffer in that colour. True without a Direct3D context.
bool PaceFrame(int nFps, int bOverlay, std::uint32_t dwColor);

// The figures the pacing overlay prints: the averages of the last full rings of 16 frame
// rates and frame times (they change once every 16 samples), the schedule's base time and
// the frames let through since it.
struct PaceStatistics {
    std::uint32_t fpsAverage;
    std::uint32_t timeAverage;
    std::uint32_t base;
    int frames;
};
PaceStatistics GetPaceStatistics();

// Back to the state at program start (tests).
void ResetFrameTiming();
