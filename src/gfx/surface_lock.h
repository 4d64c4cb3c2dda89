// Pixel access in software: a guard that locks a surface of either back end for the CPU
// and releases it on every exit path. Render-target textures are edited through their
// system-memory twin and copied back on release; the back buffer is locked in place.
//
// Pixel (x, y) of a locked surface is at m_lpBits + (y * m_nPitch + x) * m_nBytePerPixel.
#pragma once

#include <cstdint>

#include "gfx/surface.h"

class cSurfaceLock {
public:
    cSurfaceLock() = default;
    cSurfaceLock(const cSurfaceLock&) = delete;
    cSurfaceLock& operator=(const cSurfaceLock&) = delete;
    ~cSurfaceLock() { Release(); }

    bool Lock(DDSURFACEDATA* lpSD);
    // Also after a failed lock; a second release does nothing.
    void Release();

    DDSURFACEDATA* m_lpSD = nullptr;
    std::uint8_t* m_lpBits = nullptr;
    int m_nPitch = 0;
    int m_nBpp = 32;
    int m_nBytePerPixel = 4;
};

// 1 when lpSD is the back buffer of a full-screen display.
int IsFullScreenBackBuffer(DDSURFACEDATA* lpSD);
