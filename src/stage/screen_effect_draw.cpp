// The screen effects: the whole play picture moved, shaken, split, waved, blinked, rotated,
// cut to a circle, zoomed, bent through a lens or pixelated, once per drawn frame after the
// stage and before the status bar. Palette colour 16 fills what an effect uncovers.
#include "stage/screen_effect_draw.h"

#include <cmath>
#include <cstdint>

#include "data/database.h"
#include "gfx/blit.h"
#include "gfx/display.h"
#include "gfx/effect_blur.h"
#include "gfx/effect_circle.h"
#include "gfx/effect_lens.h"
#include "gfx/effect_rotate.h"
#include "gfx/effect_strips.h"
#include "gfx/fill.h"
#include "gfx/surface_tables.h"
#include "platform/trunc.h"
#include "stage/game_scene.h"
#include "stage/graphic_source.h"
#include "stage/stage_objects.h"

namespace {

constexpr int kScreenW = 640;
constexpr int kScreenH = 480;
constexpr std::uint32_t kUncovered = 16;
// The work surfaces: the first serves the moves, strips, waves and the circle, the second
// the rotation and the pixel filters. In Direct3D the second shares the first one's texture,
// so the filters read the first, which holds the copy.
constexpr int kWorkA = 67;
constexpr int kWorkB = 68;

int FilterWork() {
    return lpDTCon ? kWorkA : kWorkB;
}

const double kSqrt2 = std::sqrt(2.0);

ScreenEffectInstance& Effect(cGameScene& scene) {
    return scene.m_ScreenEffect;
}
const std::int32_t* Params(cGameScene& scene) {
    return scene.m_ScreenEffect.lpRecord->anParam;
}
int Level(cGameScene& scene) {
    return plat::TruncToInt(scene.m_ScreenEffect.dLevel);
}
int AtLeastOne(std::int32_t value) {
    return value < 1 ? 1 : value;
}

// The frame copied to a work surface as it is.
DDSURFACEDATA* CopyFrame(int work) {
    DDSURFACEDATA* sd = &StdSD[work];
    DDBltRect(sd, 0, 0, kScreenW, kScreenH, &BackBuffer, 0, 0, 0);
    return sd;
}
void FillAll() {
    DDFillRect(&BackBuffer, 0, 0, kScreenW, kScreenH, kUncovered);
}

// The hero's sprite centre on screen; the screen's centre without a hero.
void HeroCentre(int& hx, int& hy) {
    hx = kScreenW / 2;
    hy = kScreenH / 2;
    if (Player.Empty()) return;
    const cHeroActor& hero = Player[0];
    hx = hero.m_rcScreen.left + (hero.m_nSpriteW >> 1);
    hy = hero.m_rcScreen.top + (hero.m_nSpriteH >> 1);
}

// The usual advance from parameter 1 to parameter 2; nothing while frozen.
int AdvanceRange(cGameScene& scene, int frozen) {
    if (frozen) return 0;
    ScreenEffectInstance& e = Effect(scene);
    const std::int32_t* p = Params(scene);
    return e.Advance(p[1], p[2], e.dStep);
}
// The advance of the kinds whose level is the elapsed time.
int AdvanceTime(cGameScene& scene, int frozen) {
    if (frozen) return 0;
    ScreenEffectInstance& e = Effect(scene);
    return e.Advance(0, Params(scene)[0], e.dStep);
}

// No effect: drawing goes back to the back buffer; it never ends.
int RunNone(cGameScene&, int) {
    if (lpDTCon && lpDTCon->bVirBackBuffer) D3DSetVirBackBuffer(0);
    return 0;
}

// 移動: the picture drawn where the previous frame put it; the next place follows the time
// before this frame's advance.
int RunMove(cGameScene& scene, int frozen) {
    ScreenEffectInstance& e = Effect(scene);
    DDSURFACEDATA* work = CopyFrame(kWorkA);
    FillAll();
    D3DSetAlphaOp(1);
    DDBltRect(&BackBuffer, e.nWorkA, e.nWorkB, kScreenW, kScreenH, work, 0, 0, 0);
    D3DResetAlphaOp();
    if (frozen) return 0;
    const std::int32_t* p = Params(scene);
    const double time = static_cast<double>(EffectTimeDivisor(p[0]));
    e.nWorkA =
        plat::TruncToInt(static_cast<double>(std::int64_t{p[3]} - p[1]) / time * e.dLevel + p[1]);
    e.nWorkB =
        plat::TruncToInt(static_cast<double>(std::int64_t{p[4]} - p[2]) / time * e.dLevel + p[2]);
    return AdvanceTime(scene, frozen);
}

// The shake of kinds 2 and 3: back and forth between -p1 and p1.
void Shake(cGameScene& scene) {
    ScreenEffectInstance& e = Effect(scene);
    const std::int32_t* p = Params(scene);
    const double speed =
        (static_cast<double>(p[2]) * p[1] * 4) / (static_cast<double>(EffectTimeDivisor(p[0])) * 6);
    if (e.nWorkA) {
        e.dShake -= speed;
        if (e.dShake <= -p[1]) {
            e.dShake = -p[1];
            e.nWorkA = 0;
        }
    } else {
        e.dShake += speed;
        if (e.dShake >= p[1]) {
            e.dShake = p[1];
            e.nWorkA = 1;
        }
    }
}

// 振動（横）: only the strip the shake uncovers is filled.
int RunShakeX(cGameScene& scene, int frozen) {
    const double d = Effect(scene).dShake;
    DDSURFACEDATA* work = CopyFrame(kWorkA);
    if (d > 0)
        DDFillRect(&BackBuffer, 0, 0, plat::TruncToInt(d + 1), kScreenH, kUncovered);
    else if (d < 0)
        DDFillRect(&BackBuffer, plat::TruncToInt(d + kScreenW), 0, plat::TruncToInt(1 - d),
                   kScreenH, kUncovered);
    D3DSetAlphaOp(1);
    DDBltRect(&BackBuffer, plat::TruncToInt(d), 0, kScreenW, kScreenH, work, 0, 0, 0);
    D3DResetAlphaOp();
    if (frozen) return 0;
    Shake(scene);
    return AdvanceTime(scene, frozen);
}

// 振動（縦）
int RunShakeY(cGameScene& scene, int frozen) {
    const double d = Effect(scene).dShake;
    DDSURFACEDATA* work = CopyFrame(kWorkA);
    FillAll();
    D3DSetAlphaOp(1);
    DDBltRect(&BackBuffer, 0, plat::TruncToInt(d), kScreenW, kScreenH, work, 0, 0, 0);
    D3DResetAlphaOp();
    if (frozen) return 0;
    Shake(scene);
    return AdvanceTime(scene, frozen);
}

// 分割: strips of the picture, every other one pushed the other way.
int RunInterlace(cGameScene& scene, int frozen, int columns) {
    const int extent = columns ? kScreenW : kScreenH;
    const int count = AtLeastOne(Params(scene)[3]);
    const int strip = extent / count + (extent % count != 0 ? 1 : 0);
    DDSURFACEDATA* work = CopyFrame(kWorkA);
    FillAll();
    D3DSetAlphaOp(1);
    DDBltInterlace(&BackBuffer, 0, 0, kScreenW, kScreenH, strip, Level(scene), work, 0, 0, 0,
                   columns);
    D3DResetAlphaOp();
    return AdvanceRange(scene, frozen);
}
int RunSplitRows(cGameScene& scene, int frozen) {
    return RunInterlace(scene, frozen, 0);
}
int RunSplitColumns(cGameScene& scene, int frozen) {
    return RunInterlace(scene, frozen, 1);
}

// 波: strips displaced along a sine whose phase moves a degree per frame.
int RunWave(cGameScene& scene, int frozen, int columns) {
    ScreenEffectInstance& e = Effect(scene);
    const std::int32_t* p = Params(scene);
    DDSURFACEDATA* work = CopyFrame(kWorkA);
    FillAll();
    D3DSetAlphaOp(1);
    DDBltWave(&BackBuffer, 0, 0, kScreenW, kScreenH, p[3], e.dLevel, e.nWorkA, AtLeastOne(p[4]),
              work, 0, 0, 0, columns);
    D3DResetAlphaOp();
    if (frozen) return 0;
    if (++e.nWorkA >= 360) e.nWorkA = 0;
    return AdvanceRange(scene, frozen);
}
int RunWaveRows(cGameScene& scene, int frozen) {
    return RunWave(scene, frozen, 0);
}
int RunWaveColumns(cGameScene& scene, int frozen) {
    return RunWave(scene, frozen, 1);
}

// 点滅: in every other stretch of parameter-1 frames the backgrounds cover the stage.
int RunBlink(cGameScene& scene, int frozen) {
    ScreenEffectInstance& e = Effect(scene);
    if (e.nWorkB == 0) {
        scene.DrawBackgrounds(&BackBuffer, 0);
        scene.DrawBackgrounds(&BackBuffer, 1);
    }
    if (e.nWorkA >= Params(scene)[1]) {
        e.nWorkA = 0;
        e.nWorkB = e.nWorkB ? 0 : 1;
    }
    if (frozen) return 0;
    ++e.nWorkA;
    return AdvanceTime(scene, frozen);
}

// 回転: the picture turned about the screen's centre.
int RunRotate(cGameScene& scene, int frozen) {
    DDSURFACEDATA* work = CopyFrame(FilterWork());
    FillAll();
    D3DSetAlphaOp(1);
    DDBltRotate(&BackBuffer, kScreenW / 2, kScreenH / 2, kScreenW, kScreenH, kScreenW / 2,
                kScreenH / 2, Level(scene), work, 0, 0, 0);
    D3DResetAlphaOp();
    return AdvanceRange(scene, frozen);
}

// 円: a disc of the picture around the hero.
int RunCircle(cGameScene& scene, int frozen) {
    int hx = 0, hy = 0;
    HeroCentre(hx, hy);
    DDSURFACEDATA* work = CopyFrame(kWorkA);
    FillAll();
    D3DSetAlphaOp(1);
    DDBltCircle(&BackBuffer, hx, hy, hx >= kScreenW / 2 ? hx : kScreenW - hx,
                hy >= kScreenH / 2 ? hy : kScreenH - hy, Level(scene), Params(scene)[3], work, hx,
                hy, 0);
    D3DResetAlphaOp();
    return AdvanceRange(scene, frozen);
}

// 拡大: the level is the width the 640-dot picture takes; above 640 a window around the
// hero fills the screen, below it the picture shrinks about the screen's centre.
int RunZoom(cGameScene& scene, int frozen) {
    DDSURFACEDATA* work = WorkSurface2();
    DDBltRect(work, 0, 0, kScreenW, kScreenH, &BackBuffer, 0, 0, 0);
    const double z = Effect(scene).dLevel * 0.0015625;
    D3DSetAlphaOp(1);
    if (z >= 1) {
        int hx = 0, hy = 0;
        HeroCentre(hx, hy);
        const double a = kScreenW / z, c = kScreenH / z;
        int x0 = plat::TruncToInt(hx - a * 0.5);
        if (x0 + plat::TruncToInt(a) > kScreenW - 1) x0 = plat::TruncToInt(kScreenW - a);
        if (x0 < 0) x0 = 0;
        int y0 = plat::TruncToInt(hy - c * 0.5);
        if (y0 + plat::TruncToInt(c) > kScreenH - 1) y0 = plat::TruncToInt(kScreenH - c);
        if (y0 < 0) y0 = 0;
        DDBltScale(&BackBuffer, 0, 0, kScreenW, kScreenH, work, x0, y0, plat::TruncToInt(a),
                   plat::TruncToInt(c), DDBLT_COLORKEY);
    } else {
        FillAll();
        const int w = plat::TruncToInt(z * kScreenW), h = plat::TruncToInt(z * kScreenH);
        if (w > 0 && h > 0)
            DDBltScale(&BackBuffer, plat::TruncToInt((kScreenW - z * kScreenW) * 0.5),
                       plat::TruncToInt((kScreenH - z * kScreenH) * 0.5), w, h, work, 0, 0,
                       kScreenW, kScreenH, DDBLT_COLORKEY);
    }
    D3DResetAlphaOp();
    return AdvanceRange(scene, frozen);
}

// レンズ: the picture bent through a lens big enough to cover the screen from its centre, the
// hero shifted by parameters 3 and 4.
int RunLens(cGameScene& scene, int frozen) {
    int hx = 0, hy = 0;
    HeroCentre(hx, hy);
    const std::int32_t* p = Params(scene);
    const int ex = hx + p[3], ey = hy + p[4];
    const int f = ex >= kScreenW / 2 ? ex : kScreenW - ex;
    const int g = ey >= kScreenH / 2 ? ey : kScreenH - ey;
    const int r = plat::TruncToInt(kSqrt2 * (f > g ? f : g));
    DDSURFACEDATA* work = &StdSD[FilterWork()];
    const int side = nBpp == 16 ? r * 4 : r * 2;
    DDFillRect(work, 0, 0, side, side, 0);
    DDBltRect(work, 0, 0, kScreenW, kScreenH, &BackBuffer, 0, 0, 0);
    FillAll();
    D3DSetAlphaOp(1);
    DDBltLens(&BackBuffer, ex, ey, r, Level(scene), work, ex, ey, 0, 0);
    D3DResetAlphaOp();
    return AdvanceRange(scene, frozen);
}

// モザイク: the picture in blocks of the level's size.
int RunMosaic(cGameScene& scene, int frozen) {
    DDSURFACEDATA* work = CopyFrame(FilterWork());
    FillAll();
    D3DSetAlphaOp(1);
    DDMosaic(&BackBuffer, 0, 0, kScreenW, kScreenH, Level(scene), work, 0, 0, 0);
    D3DResetAlphaOp();
    return AdvanceRange(scene, frozen);
}

}  // namespace

const ScreenEffectHandler ScreenEffectHandlers[kScreenEffectKinds] = {
    &RunNone,         &RunMove,     &RunShakeX,      &RunShakeY, &RunSplitRows,
    &RunSplitColumns, &RunWaveRows, &RunWaveColumns, &RunBlink,  &RunRotate,
    &RunCircle,       &RunZoom,     &RunLens,        &RunMosaic,
};

void cGameScene::RunScreenEffect(int frozen) {
    if (m_ScreenEffect.nNumber == 0) return;
    // The kind of the record in the plain table; a kind outside the table has no effect.
    int kind = EdDatabase.vecScrEffect[m_ScreenEffect.nNumber].nKind;
    if (kind < 0 || kind >= kScreenEffectKinds || m_ScreenEffect.lpRecord == nullptr) kind = 0;
    if (ScreenEffectHandlers[kind](*this, frozen) == 1) {
        m_ScreenEffect.nNumber = 0;
        D3DSetVirBackBuffer(0);
    }
}
