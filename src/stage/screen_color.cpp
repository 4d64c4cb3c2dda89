// The screen colour's tint, per back end.
#include "stage/screen_color.h"

#include "data/command_record.h"
#include "flow/flow_instance.h"
#include "gfx/display.h"
#include "gfx/effect_colour.h"
#include "gfx/fade.h"
#include "gfx/fill.h"
#include "gfx/hbt_table.h"
#include "gfx/palette.h"
#include "gfx/surface_tables.h"
#include "platform/ddraw.h"

namespace {

// The work surface the tint is blended from while a screen effect draws into the virtual
// back buffer.
constexpr int kTintWorkSurface = 67;

// Percent to tint strength: the double just above 2.55, so that 100 % reaches the full
// colour (a level of 0 once truncated).
constexpr double kPercentToLevel = 2.5500000000000003;

// The palette shown while the 8-bit screen is tinted; the loaded colours stay untouched.
plat::PALETTEENTRY TintPalette[256];

bool IsDirect3D() {
    return lpDTCon != nullptr;
}

}  // namespace

void ScreenColor::Reset() {
    *this = ScreenColor{};
    nSavedLevel = 255;
}

void ScreenColor::Start(const cCommandInstance& cmd) {
    if (cmd.m_pCmd == nullptr) return;
    const auto& params = cmd.m_pCmd->vecParam;
    std::int32_t values[8] = {};
    const int count = static_cast<int>(params.Size()) < 8 ? static_cast<int>(params.Size()) : 8;
    for (int i = 0; i < count; ++i) values[i] = params[i];
    Start(values, 8);
}

void ScreenColor::Start(const std::int32_t* params, int count) {
    std::int32_t p[8] = {};
    for (int i = 0; i < count && i < 8; ++i) p[i] = params[i];
    const bool toReturn = p[4] != 0;
    if (toReturn) {
        const bool nothing = IsDirect3D() ? bActive == 0 : (nBpp == 8 && bPaletteTouched == 0);
        if (nothing) return;
    }
    nSavedR = nR;
    nSavedG = nG;
    nSavedB = nB;
    nSavedPercent = nPercent;
    nSavedLevel = nLevel;
    nR = static_cast<std::uint8_t>(p[0]);
    nG = static_cast<std::uint8_t>(p[1]);
    nB = static_cast<std::uint8_t>(p[2]);
    nPercent = p[3] < 0 ? 0 : (p[3] > 100 ? 100 : p[3]);
    bReturn = toReturn ? 1 : 0;
    const std::int64_t frames = std::int64_t{p[5]} * 6;
    nDuration = frames < 0 ? 0 : (frames > 0x7FFFFFFF ? 0x7FFFFFFF : static_cast<int>(frames));
    bFlash = p[6];
    nFlashCount = p[7];
    bActive = 1;
    nFrame = 0;
    nFlashesDone = 0;
    if (!toReturn) {
        nLevel = 0;
        bPaletteTouched = 1;
    } else {
        // The tint in force fades out.
        nR = nSavedR;
        nG = nSavedG;
        nB = nSavedB;
        nPercent = nSavedPercent;
        nLevel = nSavedLevel;
    }
}

void ScreenColor::Draw(int frozen) {
    if (!bActive) return;
    if (IsDirect3D())
        DrawDirect3D(frozen);
    else
        DrawDirectDraw(frozen);
}

namespace {

// The share of the duration passed, at most the whole of it: a held tint keeps its final
// strength however long it stays.
double Progress(std::int32_t frame, std::int32_t duration) {
    if (duration <= 0) return 1.0;
    const std::int32_t f = frame < duration ? frame : duration;
    return static_cast<double>(f) / duration;
}

}  // namespace

void ScreenColor::DrawDirect3D(int frozen) {
    const double p = Progress(nFrame, nDuration);
    const double s = nPercent * kPercentToLevel;
    bool wrapped = false;
    double level = 255;
    if (bFlash) {
        if (nFrame >= nDuration)
            wrapped = true;
        else
            level = 255 - p * s;
    } else if (bReturn) {
        level = nDuration <= 0 ? 255 : nSavedLevel + p * (255 - nSavedLevel);
    } else {
        level = 255 - p * s;
    }
    nLevel = static_cast<std::int32_t>(level);
    if (lpDTCon->bVirBackBuffer) {
        DDSURFACEDATA* work = &StdSD[kTintWorkSurface];
        D3DFillSurface(work, 0xFF000000u | std::uint32_t{nR} << 16 | std::uint32_t{nG} << 8 | nB);
        DDBltTrans(&BackBuffer, 0, 0, 640, 480, work, 0, 0, 0, HbtTable, nLevel);
    } else {
        DDChangeColor(&BackBuffer, 0, 0, 640, 480, nLevel, nR, nG, nB);
    }
    if (frozen) return;
    if (wrapped) {
        // The untinted last frame of a flash; the next flash starts from its first frame.
        nFrame = 0;
        if (++nFlashesDone >= nFlashCount) bActive = 0;
        return;
    }
    if (!bFlash && nFrame >= nDuration && (bReturn || nPercent == 0)) bActive = 0;
    if (bActive && nFrame < 0x7FFFFFFF) ++nFrame;
}

void ScreenColor::DrawDirectDraw(int frozen) {
    if (frozen) return;
    if (nBpp != 8) {
        bActive = 0;
        return;
    }
    const double p = Progress(nFrame, nDuration);
    const double s = nPercent * kPercentToLevel;
    auto setPalette = [](const plat::PALETTEENTRY* entries) {
        if (lpDDPalette) lpDDPalette->SetEntries(0, 0, 256, entries);
    };
    if (bFlash && nFrame >= nDuration) {
        setPalette(PaletteOrg);
        nLevel = 255;
        nFrame = 0;
        if (++nFlashesDone >= nFlashCount) bActive = 0;
        return;
    }
    double level = 0;
    if (bReturn)
        level = nDuration <= 0 ? 255 : nSavedLevel + p * (255 - nSavedLevel);
    else
        level = 255 - p * s;
    nLevel = static_cast<std::int32_t>(level);
    PalFadeToRGB(TintPalette, 0, 255, nLevel, nR, nG, nB, PaletteOrg);
    setPalette(TintPalette);
    if (!bFlash && nFrame >= nDuration) {
        bActive = 0;
        return;
    }
    if (nFrame < 0x7FFFFFFF) ++nFrame;
}
