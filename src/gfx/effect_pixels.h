// The pixel access of the software effects (blur, mosaic, flash, translucency, lens,
// rotation): both surfaces locked, destination first, with their sizes as far as both the
// record and the storage reach, and a source that is the destination itself read from a copy
// taken before the first write, so that an effect reads the picture as it was.
#pragma once

#include <cstdint>
#include <vector>

#include "gfx/display.h"
#include "gfx/surface_lock.h"

struct EFFECTPIXELS {
    std::uint8_t* bits = nullptr;
    int pitch = 0;  // in pixels
    int width = 0;
    int height = 0;

    bool Inside(long long x, long long y) const {
        return x >= 0 && y >= 0 && x < width && y < height;
    }
    template <class Pixel>
    Pixel* Row(int y) const {
        return reinterpret_cast<Pixel*>(bits) + static_cast<std::ptrdiff_t>(y) * pitch;
    }
};

class cEffectLocks {
public:
    // Locks the destination, then the source; false (both released) when either fails.
    bool Lock(DDSURFACEDATA* lpDst, DDSURFACEDATA* lpSrc);
    int Bpp() const { return m_dst.m_nBpp; }
    // The destination is the back buffer of a full-screen Direct3D display.
    bool FullScreenBack() const { return lpDTCon && IsFullScreenBackBuffer(m_dst.m_lpSD); }

    EFFECTPIXELS dst, src;

private:
    cSurfaceLock m_dst, m_src;  // released in reverse order: the source first
    std::vector<std::uint8_t> m_copy;
};

// The channels of 16-bit pixels and 8-bit colours, as the effects mix them.
struct EFFECTCHANNELS {
    unsigned r, g, b;
};
inline EFFECTCHANNELS SplitPixel(std::uint32_t p, const DDPIXFMT& f) {
    return {(p >> f.nShiftR) & static_cast<unsigned>(f.nMaxR),
            (p >> f.nShiftG) & static_cast<unsigned>(f.nMaxG),
            (p >> f.nShiftB) & static_cast<unsigned>(f.nMaxB)};
}
// Composed with a format, each channel masked with its maximum.
inline std::uint16_t ComposePixel(unsigned r, unsigned g, unsigned b, const DDPIXFMT& f) {
    return static_cast<std::uint16_t>((r & static_cast<unsigned>(f.nMaxR)) << f.nShiftR |
                                      (g & static_cast<unsigned>(f.nMaxG)) << f.nShiftG |
                                      (b & static_cast<unsigned>(f.nMaxB)) << f.nShiftB);
}
// A Direct3D 16-bit texture pixel with its alpha field set as the effects set it (opaque in
// a format with a 1-bit alpha).
inline std::uint16_t ComposeTexturePixel(unsigned r, unsigned g, unsigned b) {
    return static_cast<std::uint16_t>(ComposePixel(r, g, b, PixFmt) |
                                      (static_cast<unsigned>(PixFmt.nMaxA) & 1u) << PixFmt.nShiftA);
}
// Texture channels into the full-screen back buffer's format: green doubles from 5 to 6
// bits, no masks, no alpha.
inline std::uint16_t ComposeBackPixel(unsigned r, unsigned g, unsigned b) {
    return static_cast<std::uint16_t>(r << PixFmtBack.nShiftR | (g * 2) << PixFmtBack.nShiftG |
                                      b << PixFmtBack.nShiftB);
}
inline std::uint16_t TextureToBack(std::uint16_t p) {
    const EFFECTCHANNELS c = SplitPixel(p, PixFmt);
    return ComposeBackPixel(c.r, c.g, c.b);
}
