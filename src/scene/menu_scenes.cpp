#include "scene/menu_scenes.h"

#include "base/input.h"
#include "gfx/display.h"
#include "gfx/fill.h"
#include "gfx/surface_tables.h"
#include "scene/scene_manager.h"

// The map's own images (whose background file the map names) come with the scene.
cWorldMapScene::cWorldMapScene() : m_vecImages{49, 45} {
    m_Handlers[1] = &cWorldMapScene::OnIdle;
}

cWorldMapScene::~cWorldMapScene() {
    for (int i : m_vecImages) DDReleaseSurface(&StdSD[i]);
}

void cWorldMapScene::Run() {
    cInput& input = InputList[0];
    input.ApplyRepeat();
    input.LatchButtons(kWideMenuLatchMask);
    if (m_nState == -1) EnterGuarded();
    CallStateHandler();
}

void cWorldMapScene::Enter() {
    cMenuSceneBase::EnterCommon(1, m_vecImages.data(), static_cast<int>(m_vecImages.size()));
    m_nStep = 0;
}

void cWorldMapScene::Draw() {
    DDFillSurface(&BackBuffer, 16);
}

void cWorldMapScene::FadeIn() {
    Draw();
    if (cMenuSceneBase::FadeInStep()) m_nState = 1;
}

void cWorldMapScene::OnIdle() {
    Draw();
}

void cWorldMapScene::Leave() {
    if (!cMenuSceneBase::FadeOutStep()) return;
    cMenuSceneBase::HandOver(SCENE_WORLDMAP);
}
