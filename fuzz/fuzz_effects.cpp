// Every graphic effect with hostile parameters (as damaged effect records give them) on small
// surfaces in every display configuration: no crash, no write outside the destination (the
// source and an uninvolved surface keep their pixels; the sanitizers catch the rest), and
// bounded time (libFuzzer's -timeout).
#include <climits>
#include <cstddef>
#include <cstdint>
#include <cstdlib>
#include <vector>

#include "gfx/display.h"
#include "gfx/effect_blur.h"
#include "gfx/effect_circle.h"
#include "gfx/effect_colour.h"
#include "gfx/effect_lens.h"
#include "gfx/effect_rotate.h"
#include "gfx/effect_strips.h"
#include "gfx/hbt_table.h"
#include "gfx/palette.h"
#include "gfx/surface_tables.h"
#include "platform/d3d9.h"
#include "platform/ddraw.h"
#include "platform/display_window.h"
#include "platform/messages.h"
#include "platform/platform_state.h"
#include "platform/seams.h"

namespace {

struct Config {
    int direct3D, bpp, windowMode;
};
constexpr Config kConfigs[] = {{1, 16, 1}, {1, 16, 0}, {1, 32, 1},
                               {0, 8, 0},  {0, 16, 0}, {0, 32, 1}};

plat::LRESULT Quiet(plat::HWND, std::uint32_t, plat::WPARAM, plat::LPARAM) {
    return 0;
}

class Input {
public:
    Input(const std::uint8_t* d, std::size_t n) : d_(d), n_(n) {}
    std::uint8_t Byte() { return i_ < n_ ? d_[i_++] : 0; }
    // Mostly the values that break arithmetic, small values, or any 32-bit value.
    int Int() {
        static constexpr int kSpecial[] = {
            INT_MIN, INT_MIN + 1, INT_MAX, INT_MAX - 1, -1,  0,   1,     2,
            1 << 16, -(1 << 16),  1 << 30, -(1 << 30),  640, 480, 16384, -16384};
        const std::uint8_t k = Byte();
        if (k < 16) return kSpecial[k];
        if (k < 160) return static_cast<int>(k) - 88;
        std::uint32_t v = 0;
        for (int b = 0; b < 4; ++b) v = v << 8 | Byte();
        return static_cast<int>(v);
    }

private:
    const std::uint8_t* d_;
    std::size_t n_, i_ = 0;
};

int openConfig = -1;
plat::HWND window = nullptr;
DDSURFACEDATA dst, src, bystander;

std::vector<std::uint8_t> Bytes(DDSURFACEDATA* sd) {
    plat::SoftSurface* s = nullptr;
    if (sd->lpDT && sd->lpDT->lpTexture) s = &sd->lpDT->lpTexture->Pixels();
    if (sd->lpDS && sd->lpDS->lpDDSurface) s = &sd->lpDS->lpDDSurface->Pixels();
    if (!s) return {};
    const std::uint8_t* p = s->Bits();
    return std::vector<std::uint8_t>(p, p + static_cast<std::size_t>(s->Pitch()) * s->Height());
}

void Fill(DDSURFACEDATA* sd, std::uint32_t seed) {
    plat::SoftSurface* s = nullptr;
    if (sd->lpDT && sd->lpDT->lpTexture) s = &sd->lpDT->lpTexture->Pixels();
    if (sd->lpDS && sd->lpDS->lpDDSurface) s = &sd->lpDS->lpDDSurface->Pixels();
    if (!s) return;
    for (int y = 0; y < s->Height(); ++y)
        for (int x = 0; x < s->Width(); ++x) {
            seed = seed * 1103515245u + 12345u;
            s->SetPixel(x, y, seed >> 7);
        }
}

bool Open(int c) {
    if (openConfig == c) return true;
    if (openConfig >= 0) {
        DDReleaseSurface(&dst);
        DDReleaseSurface(&src);
        DDReleaseSurface(&bystander);
        DDUnInit();
        openConfig = -1;
    }
    if (!window) {
        plat::Seams seams;
        seams.headless = true;
        plat::SetSeams(seams);
        plat::ResetPlatformState();
        window = plat::CreateWindow(Quiet);
        plat::SetMainWindow(window);
        plat::OpenDisplayWindow(window, "fuzz", 640, 480);
    }
    const Config& k = kConfigs[c];
    if (!DDInit(k.direct3D, window, 640, 480, k.bpp, 0, k.windowMode, 1, 60, 0, StdSD, SurfaceDef,
                kStdSurfaceCount))
        return false;
    openConfig = c;
    return true;
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    Input in(data, size);
    if (!Open(in.Byte() % 6)) return 0;
    // Surfaces of a few shapes and kinds: a render target or a system-memory texture in
    // Direct3D; the source may be the destination itself, the destination the back buffer.
    const std::uint8_t shape = in.Byte();
    const int memory = (shape & 1) ? DTMEMORYTYPE_SYSTEM : DTMEMORYTYPE_VIDEO_RT;
    DDReleaseSurface(&dst);
    DDReleaseSurface(&src);
    DDReleaseSurface(&bystander);
    if (!DDCreateSurface(&dst, 1 + (shape >> 1 & 7), 1 + (shape >> 4 & 7), 1, shape & 1, memory,
                         nullptr, 0) ||
        !DDCreateSurface(&src, 7, 5, 1, 0, DTMEMORYTYPE_VIDEO_RT, nullptr, 0) ||
        !DDCreateSurface(&bystander, 4, 4, 0, 0, DTMEMORYTYPE_VIDEO_RT, nullptr, 0))
        return 0;
    Fill(&dst, shape);
    Fill(&src, 7);
    Fill(&bystander, 9);
    for (int i = 0; i < 65536; ++i) HbtTable[i] = static_cast<std::uint8_t>(i * 31 >> 3);
    const std::uint8_t pick = in.Byte();
    DDSURFACEDATA* d = (pick & 0x40) ? &BackBuffer : &dst;
    DDSURFACEDATA* s = (pick & 0x80) ? d : &src;
    const std::vector<std::uint8_t> srcBefore = Bytes(&src), bystanderBefore = Bytes(&bystander);
    int v[16];
    for (int& x : v) x = in.Int();
    const double amplitude = static_cast<double>(in.Int()) * (in.Byte() & 1 ? 1e300 : 0.25);
    switch (pick % 16) {
        case 0:
            DDBltWave(d, v[0], v[1], v[2], v[3], v[4], amplitude, v[5], v[6], s, v[7], v[8],
                      v[9] & 1, v[10]);
            break;
        case 1:
            DDBltInterlace(d, v[0], v[1], v[2], v[3], v[4], v[5], s, v[6], v[7], v[8] & 1, v[9]);
            break;
        case 2:
            DDBltTurn(d, v[0], v[1], v[2], v[3], s, v[4], v[5], &src, v[6], v[7], v[8], v[9],
                      v[10] & 1, v[11], v[12] & 3);
            break;
        case 3:
            DDBltSplit4(d, v[0], v[1], v[2], v[3], s, v[4], v[5], v[6], v[7] & 1);
            break;
        case 4:
            DDBlur(d, v[0], v[1], v[2], v[3], v[4], v[5], s, v[6], v[7], v[8] & 1);
            break;
        case 5:
            DDMosaic(d, v[0], v[1], v[2], v[3], v[4], s, v[5], v[6], v[7] & 1);
            break;
        case 6:
            DDBltFlash(d, v[0], v[1], v[2], v[3], s, v[4], v[5], v[6] & 1, Palette, HbtTable, v[7],
                       v[8]);
            break;
        case 7:
            DDBltTrans(d, v[0], v[1], v[2], v[3], s, v[4], v[5], v[6] & 1, HbtTable, v[7]);
            break;
        case 8:
            DDBltHalfTrans(d, v[0], v[1], v[2], v[3], s, v[4], v[5], v[6] & 1, HbtTable);
            break;
        case 9:
            DDChangeColor(d, v[0], v[1], v[2], v[3], v[4], static_cast<std::uint8_t>(v[5]),
                          static_cast<std::uint8_t>(v[6]), static_cast<std::uint8_t>(v[7]));
            break;
        case 10:
            DDChangeColorEx(d, v[0], v[1], v[2], v[3], s, v[4], 1, 2, 3);
            break;
        case 11:
            DDBltCircle(d, v[0], v[1], v[2], v[3], v[4], v[5], s, v[6], v[7], v[8] & 1);
            break;
        case 12:
            DDBltLens(d, v[0], v[1], v[2], v[3], s, v[4], v[5], v[6] & 1, v[7] & 1);
            break;
        default:
            DDBltRotate(d, v[0], v[1], v[2], v[3], v[4], v[5], v[6], s, v[7], v[8], v[9] & 1);
            break;
    }
    // Only the destination may change.
    if (Bytes(&bystander) != bystanderBefore) std::abort();
    if (s != d && Bytes(&src) != srcBefore) std::abort();
    return 0;
}
