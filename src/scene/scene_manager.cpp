#include "scene/scene_manager.h"

#include <algorithm>
#include <cstdio>
#include <string>

#include "base/format.h"
#include "base/globals.h"
#include "base/input.h"
#include "base/log.h"
#include "base/message_box.h"
#include "base/window_requests.h"
#include "data/option_record.h"
#include "data/stage_record.h"
#include "data/system_ini.h"
#include "data/system_record.h"
#include "gfx/bitmap.h"
#include "gfx/blit.h"
#include "gfx/display.h"
#include "gfx/fade.h"
#include "gfx/font_tables.h"
#include "gfx/frame_timing.h"
#include "gfx/hbt_table.h"
#include "gfx/palette.h"
#include "gfx/palette_file.h"
#include "gfx/restore.h"
#include "gfx/surface_tables.h"
#include "platform/clock.h"
#include "platform/ddraw.h"
#include "platform/messages.h"
#include "platform/presenter.h"
#include "scene/menu_scenes.h"

cSceneManager SceneMgr;
GameSceneMaker MakeGameScene = nullptr;

namespace {
StageImageRestorer stageImageRestorer = nullptr;
}  // namespace

void SetStageImageRestorer(StageImageRestorer restorer) {
    stageImageRestorer = restorer;
}
SurfaceVector SceneSurfaces;
SurfaceDefVector SceneSurfaceDefs;
int bBltPresent = 0;
ANIMCOLOR AnimatedColorTable[kAnimatedColorCount];

namespace {

// The frame-rate overlay: the working times of the last 16 frames that showed it.
struct FpsRing {
    int nTimes[16] = {};
    int nIndex = 0;
    int nAverage = 0;
};
FpsRing fpsRing;
FpsOverlay fpsOverlay;

// Logs a message text thrown by scene code and asks the program to close; the frame goes on.
template <class F>
void Guarded(F&& body) {
    try {
        body();
    } catch (const char* text) {
        ErrorLogAndClose(hWndMain, "%s", text ? text : "");
    } catch (const std::string& text) {
        ErrorLogAndClose(hWndMain, "%s", text.c_str());
    }
}

void ShowFpsOverlay(int fps, int work) {
    fpsRing.nTimes[fpsRing.nIndex] = work;
    if (++fpsRing.nIndex >= 16) {
        fpsRing.nIndex = 0;
        int sum = 0;
        for (int t : fpsRing.nTimes) sum += t;
        fpsRing.nAverage = sum >> 4;
    }
    fpsOverlay.nFps = fps;
    fpsOverlay.nAverage = fpsRing.nAverage;
    std::snprintf(fpsOverlay.szText, sizeof fpsOverlay.szText, "FPS%2d(%2d)", fps,
                  fpsRing.nAverage);
    if (SystemIni.ShowFps == 2)
        Font10.DrawF(&BackBuffer, 549, 469, "%s", fpsOverlay.szText);
    else
        Font16.DrawWindowF(&BackBuffer, 495, 463, 0, 0, "%s", fpsOverlay.szText);
}

plat::IDirectDrawSurface7* DirectDrawSurface(DDSURFACEDATA& sd) {
    return sd.lpDS ? sd.lpDS->lpDDSurface : nullptr;
}

bool SurfaceLost(DDSURFACEDATA& sd) {
    plat::IDirectDrawSurface7* s = DirectDrawSurface(sd);
    return s && s->IsLost() == plat::DDERR_SURFACELOST;
}

// The digit strips of the three fonts.
void RestoreFontSurfaces() {
    // A strip has no file: one in video memory comes back blank and is drawn again.
    for (int i = 0; i < kFontCount; ++i) {
        if (!SurfaceLost(NumberSD[i])) continue;
        DirectDrawSurface(NumberSD[i])->Restore();
        if (NumberSDDef[i].nDDMemory == 0) RenderDigits(&NumberSD[i], Fonts[i]);
    }
}

// Direct3D animated colours: nine channels rising and falling, and the mix of entry 9.
struct ColorAnimation {
    std::int32_t nValue[10] = {};
    std::int32_t nDir[10] = {};
    std::int32_t nMix = 0;
    int nPaletteCount = 0;
};
ColorAnimation colorAnim;

std::uint32_t Rgb(std::int32_t r, std::int32_t g, std::int32_t b) {
    return 0xFF000000u | (static_cast<std::uint32_t>(r) & 0xFF) << 16 |
           (static_cast<std::uint32_t>(g) & 0xFF) << 8 | (static_cast<std::uint32_t>(b) & 0xFF);
}

}  // namespace

// ---------------------------------------------------------------- the frame

int cSceneManager::UpdateFrame() {
    if (frameFunction) return frameFunction();
    LimitFrameRate();
    MarkFrameStart();
    if (!lpDTCon && lpDDCon && !RestoreLostSurfaces()) return 0;
    UpdateMainInput(InputList);
    Guarded([&] { PrepareScene(m_nScene); });
    if (cScene* scene = SceneById(m_nScene)) scene->Run();
    const int fps = CountFps(true);
    const int work = static_cast<int>(GetFrameElapsed(true));
    if (SystemIni.ShowFps != 0) ShowFpsOverlay(fps, work);
    PresentFrame();
    return 1;
}

cScene* cSceneManager::SceneById(int id) const {
    switch (id) {
        case SCENE_TITLE:
            return m_pTitle;
        case SCENE_WORLDMAP:
            return m_pWorldMap;
        case SCENE_MAPMENU:
            return m_pMapMenu;
        case SCENE_STAGESELECT:
            return m_pStageSelect;
        case SCENE_GAME:
            return m_pGame;
        case SCENE_OPTION:
            return m_pOption;
        default:
            return nullptr;
    }
}

namespace {

template <class T>
void DeleteScene(T*& scene) {
    T* old = scene;
    scene = nullptr;
    delete old;
}

}  // namespace

void cSceneManager::PrepareScene(int id) {
    if (!m_bKeepScenes) {
        if (id != SCENE_TITLE) DeleteScene(m_pTitle);
        if (id != SCENE_MAPMENU) DeleteScene(m_pMapMenu);
        if (id != SCENE_WORLDMAP) DeleteScene(m_pWorldMap);
        if (id != SCENE_STAGESELECT) DeleteScene(m_pStageSelect);
        if (id != SCENE_GAME) DeleteScene(m_pGame);
        if (id != SCENE_OPTION) DeleteScene(m_pOption);
    }
    switch (id) {
        case SCENE_TITLE:
            if (!m_pTitle) m_pTitle = new cTitleScene;
            break;
        case SCENE_WORLDMAP:
            if (!m_pWorldMap) m_pWorldMap = new cWorldMapScene;
            break;
        case SCENE_MAPMENU:
            if (!m_pMapMenu) m_pMapMenu = new cMapMenuScene;
            break;
        case SCENE_STAGESELECT:
            if (!m_pStageSelect) m_pStageSelect = new cStageSelectScene;
            break;
        case SCENE_GAME:
            if (!m_pGame && MakeGameScene) m_pGame = MakeGameScene();
            break;
        case SCENE_OPTION:
            if (!m_pOption) m_pOption = new cOptionScene;
            break;
        default:
            break;
    }
}

void cSceneManager::DeleteScenes() {
    DeleteScene(m_pTitle);
    DeleteScene(m_pWorldMap);
    DeleteScene(m_pMapMenu);
    DeleteScene(m_pStageSelect);
    DeleteScene(m_pOption);
    DeleteScene(m_pGame);
}

const FpsOverlay& LastFpsOverlay() {
    return fpsOverlay;
}

void ResetFpsOverlay() {
    fpsRing = FpsRing{};
    fpsOverlay = FpsOverlay{};
}

// ---------------------------------------------------------------- pacing and present

void LimitFrameRate() {
    if (lpDTCon || !lpDDCon) return;
    while (!CheckFrameTime(SceneMgr.m_nFps)) plat::Sleep(1);
}

namespace {

// A stage that runs faster than the display cannot wait for its vertical blank.
bool FastStage() {
    return SceneMgr.m_pGame != nullptr && EdStageWork.nFps > 60;
}

}  // namespace

void PresentFrame() {
    if (lpDTCon) {
        if (D3DPresentFrame(SceneMgr.m_nFps, 0, 0) == 0)
            plat::SendMessage(hWndMain, WM_USER_RESTORE, 0, 0);
        return;
    }
    if (!lpDDCon) return;
    plat::IDirectDrawSurface7* primary = DirectDrawSurface(PrimarySD);
    plat::IDirectDrawSurface7* back = DirectDrawSurface(BackBuffer);
    if (!primary || !back) return;
    if (bWindowMode) {
        if (!FastStage()) plat::WaitForVerticalBlank();
        primary->Blt(&rcClientScreen, back, nullptr, plat::DDBLT_WAIT, nullptr);
    } else if (bBltPresent || FastStage()) {
        DDBltRect(&PrimarySD, 0, 0, 640, 480, &BackBuffer, 0, 0, 0);
    } else {
        primary->Flip(nullptr, plat::DDFLIP_WAIT);
    }
}

// ---------------------------------------------------------------- lost surfaces

bool RestoreSurfaceEntry(DDSURFACEDATA& sd) {
    if (!SurfaceLost(sd)) return true;
    DirectDrawSurface(sd)->Restore();
    // Decided by the file name rather than the memory kind: every surface with an image is
    // reloaded, because a restored surface holds garbage. A blank surface has no image to
    // reload: its owner redraws it.
    const bool blank = sd.szFileName[0] == '\0' || (sd.szFileName[0] == 'E' && !sd.szFileName[1]);
    sd.bLost = 1;
    if (blank) return true;
    return DDReloadSurface(&sd, nBpp);
}

bool RestoreSurface(SurfaceVector& surfaces) {
    for (DDSURFACEDATA& sd : surfaces)
        if (!RestoreSurfaceEntry(sd)) return false;
    return true;
}

bool RestoreSurface(SurfaceList& surfaces) {
    for (DDSURFACEDATA& sd : surfaces)
        if (!RestoreSurfaceEntry(sd)) return false;
    return true;
}

int RestoreLostSurfaces() {
    if (lpDTCon || !lpDDCon) return 1;
    if (!SurfaceLost(PrimarySD)) return 1;
    if (!DDRestore()) return 0;
    if (stageImageRestorer && !stageImageRestorer()) return 0;
    if (!RestoreSurface(SceneSurfaces)) return 0;
    RestoreFontSurfaces();
    return 1;
}

// ---------------------------------------------------------------- palettes

int LoadHbtPalette(int n) {
    if (lpDTCon || !lpDDCon || nBpp != 8) return 1;
    // A number from a damaged option file must neither name another file nor reach past the
    // colour groups.
    n = std::clamp(n, 0, kMaxPaletteNo);
    char name[64];
    char digits[16];
    std::snprintf(digits, sizeof digits, "%02d", n);
    std::snprintf(name, sizeof name, "bmp\\hbt\\hbt%s.dat", digits);
    if (!DDLoadHbtTable(HbtTable, name)) {
        ErrorBoxF("%s の読み込みに失敗！", name);
        return 0;
    }
    if (!DDLoadPaletteFromFile(Palette, SurfaceDef[0].szFileName, bWindowMode)) {
        ErrorLog("DDLoadPaletteFromFile失敗");
        return 0;
    }
    if (n < 12) {
        PalRotate(Palette, 16, 207, 16 * n, 1, Palette);
    } else {
        const int from = 16 * (n - 11);
        plat::PALETTEENTRY group[16];
        for (int i = 0; i < 16; ++i) group[i] = Palette[from + i];
        for (int g = 1; g <= 12; ++g)
            for (int i = 0; i < 16; ++i) Palette[16 * g + i] = group[i];
    }
    for (int i = 0; i < 256; ++i) PaletteOrg[i] = Palette[i];
    // 255 entries from entry 0, as the palette has always been set here.
    if (lpDDPalette) lpDDPalette->SetEntries(0, 0, 255, PaletteOrg);
    return 1;
}

void AnimatePaletteColors() {
    if (lpDTCon) {
        // A step outside the colour range would overflow the channels or leave 0-255.
        const std::int32_t step = std::clamp(EdSystem.nColourAnimStep, 0, 255);
        // The mix of entry 9 is the one in force before this frame's steps.
        const int mix = colorAnim.nMix;
        std::int32_t v[10];
        for (int i = 1; i <= 9; ++i) {
            v[i] = colorAnim.nValue[i];
            const std::int32_t turned =
                PingPongStep(&colorAnim.nValue[i], &colorAnim.nDir[i], step, 0, 255);
            if (i == 9 && turned) colorAnim.nMix = (colorAnim.nMix + 1) & 3;
        }
        AnimatedColorTable[1] = {Rgb(v[1], v[1], v[1]), 7};
        AnimatedColorTable[2] = {Rgb(v[2], v[2], v[2]), 10};
        AnimatedColorTable[3] = {Rgb(v[3], 0, 0), 7};
        AnimatedColorTable[4] = {Rgb(0, v[4], 0), 7};
        AnimatedColorTable[5] = {Rgb(0, 0, v[5]), 7};
        AnimatedColorTable[6] = {Rgb(v[6], v[6], 0), 7};
        AnimatedColorTable[7] = {Rgb(v[7], 0, v[7] >> 2), 7};
        AnimatedColorTable[8] = {Rgb(v[8] >> 2, 0, v[8]), 7};
        static constexpr int kMixR[4] = {1, 0, 0, 1};
        static constexpr int kMixG[4] = {0, 1, 0, 1};
        static constexpr int kMixB[4] = {0, 0, 1, 0};
        AnimatedColorTable[9] = {Rgb(kMixR[mix] * v[9], kMixG[mix] * v[9], kMixB[mix] * v[9]), 7};
        return;
    }
    if (!lpDDCon || !EdSystem.bPaletteAnimation || nBpp != 8) return;
    if (++colorAnim.nPaletteCount < 6) return;
    colorAnim.nPaletteCount = 0;
    for (int first = 208; first < 240; first += 4) {
        const plat::PALETTEENTRY last = PaletteOrg[first + 3];
        for (int i = first + 3; i > first; --i) PaletteOrg[i] = PaletteOrg[i - 1];
        PaletteOrg[first] = last;
    }
    if (lpDDPalette) lpDDPalette->SetEntries(0, 208, 32, &PaletteOrg[208]);
}

void ResetPaletteAnimation() {
    colorAnim = ColorAnimation{};
    for (ANIMCOLOR& c : AnimatedColorTable) c = ANIMCOLOR{};
}

std::int32_t PingPongStep(std::int32_t* lpValue, std::int32_t* lpDir, std::int32_t nStep,
                          std::int32_t nLow, std::int32_t nHigh) {
    if (*lpDir == 0) {
        *lpValue += nStep;
        if (*lpValue >= nHigh) {
            *lpValue -= nStep;
            *lpDir = 1;
        }
        return 0;
    }
    *lpValue -= nStep;
    if (*lpValue <= nLow) {
        *lpValue += nStep;
        *lpDir = 0;
        return 1;
    }
    return 0;
}
