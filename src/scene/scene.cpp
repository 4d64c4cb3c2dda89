#include "scene/scene.h"

#include <string>

#include "base/globals.h"
#include "base/log.h"
#include "base/window_requests.h"
#include "data/system_record.h"
#include "gfx/display.h"
#include "gfx/fade.h"
#include "gfx/fill.h"
#include "gfx/palette.h"
#include "gfx/surface_tables.h"
#include "scene/menu_cursor.h"
#include "scene/scene_manager.h"

void cScene::EnterGuarded() {
    try {
        Enter();
    } catch (const char* text) {
        ErrorLogAndClose(hWndMain, "%s", text ? text : "");
    } catch (const std::string& text) {
        ErrorLogAndClose(hWndMain, "%s", text.c_str());
    }
    m_nState = 0;
}

bool cMenuSceneBase::EnterCommon(int nMusicIndex, const int* lpImages, int nImages) {
    // A scene whose music is already playing lets it run on; an empty entry always stops it.
    const std::int32_t music = EdSystem.vecSceneBgm[nMusicIndex];
    if (music == 0 || music != SceneMgr.m_nBgmPlaying) {
        SceneMgr.m_nBgmPlaying = music;
        plat::SendMessage(hWndMain, WM_USER_PLAYBGM, static_cast<plat::WPARAM>(nMusicIndex), 0);
    }
    bool loaded = true;
    if (nImages > 0 && !DDLoadSurfaceSet(StdSD, lpImages, nImages)) {
        plat::PostMessage(hWndMain, plat::WM_CLOSE, 0, 0);
        loaded = false;
    }
    MenuCursor.Reset();
    return loaded;
}

// Palette keeps the loaded colours; PaletteOrg is what the 8-bit display shows, so the
// fades write PaletteOrg from Palette.
bool cMenuSceneBase::FadeInStep() {
    return DDFadeIn(PaletteOrg, 0, 255, 0, 0, 0, SceneMgr.m_nFadeStep, Palette, false);
}

bool cMenuSceneBase::FadeOutStep() {
    if (!DDFadeOut(PaletteOrg, 0, 255, 0, 0, 0, SceneMgr.m_nFadeStep, Palette, false)) return false;
    DDFillSurface(&BackBuffer, 16);
    return true;
}

void cMenuSceneBase::HandOver(int nOwnId) {
    SceneMgr.m_nPrevScene = nOwnId;
    SceneMgr.m_nScene = SceneMgr.m_nNextScene;
}
