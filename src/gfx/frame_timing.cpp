#include "gfx/frame_timing.h"

#include "gfx/blit.h"
#include "gfx/debug_text.h"
#include "gfx/display.h"
#include "platform/clock.h"

namespace {

struct Timers {
    std::uint32_t frameStart = 0;
    std::uint32_t frameTime = 0;
    int skipCounter = 0;
    bool fpsStarted = false;
    std::uint32_t fpsWindowStart = 0;
    int fpsCounted = 0;
    int fpsPublished = 0;
    bool limiterStarted = false;
    std::uint32_t nextFrame = 0;
    bool paceStarted = false;
    std::uint32_t paceBase = 0;
    int paceFrames = 0;
    bool overlayReady = true;
    std::uint32_t timeRing[16] = {};
    int timeIndex = 0;
    std::uint32_t timeAverage = 0;
    std::uint32_t fpsRing[16] = {};
    int fpsIndex = 0;
    std::uint32_t fpsAverage = 0;
};

Timers g;

// Adds a sample to a ring of 16; the average changes once the ring is full again.
void Sample(std::uint32_t (&ring)[16], int& index, std::uint32_t& average, std::uint32_t value) {
    ring[index++] = value;
    if (index >= 16) {
        index = 0;
        std::uint32_t sum = 0;
        for (std::uint32_t v : ring) sum += v;
        average = sum >> 4;
    }
}

}  // namespace

std::uint32_t MarkFrameStart() {
    g.frameStart = plat::timeGetTime();
    return g.frameStart;
}

std::uint32_t GetFrameElapsed(bool bMeasure) {
    if (bMeasure) g.frameTime = plat::timeGetTime() - g.frameStart;
    return g.frameTime;
}

int FrameSkipCounter(int nMode, int n) {
    if (nMode == 0) {
        g.skipCounter = 0;
        return 0;
    }
    if (nMode == 2) return g.skipCounter == 0 ? 1 : 0;
    ++g.skipCounter;
    if (g.skipCounter >= n) {
        g.skipCounter = 0;
        return 1;
    }
    return 0;
}

int CountFps(bool bCount) {
    if (!g.fpsStarted) {
        g.fpsStarted = true;
        g.fpsWindowStart = plat::timeGetTime();
    }
    if (!bCount) return g.fpsPublished;
    const std::uint32_t now = plat::timeGetTime();
    if (now - g.fpsWindowStart >= 1000) {
        g.fpsPublished = g.fpsCounted;
        g.fpsWindowStart = now;
        g.fpsCounted = 0;
        return g.fpsPublished;
    }
    ++g.fpsCounted;
    return g.fpsPublished;
}

bool CheckFrameTime(int nFps) {
    if (!g.limiterStarted) {
        g.limiterStarted = true;
        g.nextFrame = plat::timeGetTime();
    }
    const std::uint32_t now = plat::timeGetTime();
    if (nFps == 0) return true;
    if (!plat::TimeReached(now, g.nextFrame)) return false;
    // The interval counts from the moment the frame was let through.
    g.nextFrame = now + static_cast<std::uint32_t>(1000 / nFps);
    return true;
}

bool PaceFrame(int nFps, int bOverlay, std::uint32_t dwColor) {
    if (!lpDTCon || nFps == 0) return true;
    if (!g.paceStarted) {
        g.paceStarted = true;
        g.paceBase = plat::timeGetTime();
    }
    const bool overlay = bOverlay != 0 && dwColor != 0;
    if (overlay && g.overlayReady) {
        g.overlayReady = false;
        Sample(g.timeRing, g.timeIndex, g.timeAverage, GetFrameElapsed(false));
        Sample(g.fpsRing, g.fpsIndex, g.fpsAverage, static_cast<std::uint32_t>(CountFps(false)));
    }
    const std::uint32_t now = plat::timeGetTime();
    const double due = (1000.0 / nFps) * g.paceFrames;
    if (due > static_cast<double>(now - g.paceBase)) return false;
    if (++g.paceFrames >= nFps) {
        // A new schedule every nFps frames: sub-millisecond errors never add up past a second.
        g.paceFrames = 0;
        g.paceBase = now;
    }
    if (overlay) {
        D3DSetDiffuse(dwColor);
        DDDrawDebugTextF(&BackBuffer, 0, 16, 8, 16,
                         lpStdSD && nSurfaceDef > 1 ? &lpStdSD[1] : nullptr,
                         "FPS-Ave %u(%u)\ndwTime_OneSec %u\nnFrameCt_OneSec %u", g.fpsAverage,
                         g.timeAverage, g.paceBase, static_cast<unsigned>(g.paceFrames));
        D3DResetDiffuse();
        g.overlayReady = true;
    }
    return true;
}

PaceStatistics GetPaceStatistics() {
    return PaceStatistics{g.fpsAverage, g.timeAverage, g.paceBase, g.paceFrames};
}

void ResetFrameTiming() {
    g = Timers{};
}
