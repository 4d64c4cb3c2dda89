#include "scene/menu_scenes.h"

#include "base/input.h"
#include "gfx/display.h"
#include "gfx/fill.h"
#include "gfx/surface_tables.h"
#include "scene/scene_manager.h"

cPlaceholderMenuScene::cPlaceholderMenuScene(int nId, int nMusicIndex,
                                             std::initializer_list<int> images, int nLatchMask,
                                             const CheckedVector<cEdSystemSubA>* lpMenu)
    : m_nId(nId),
      m_nMusicIndex(nMusicIndex),
      m_nLatchMask(nLatchMask),
      m_vecImages(images),
      m_lpMenu(lpMenu) {
    m_Handlers[1] = &cPlaceholderMenuScene::OnIdle;
}

cPlaceholderMenuScene::~cPlaceholderMenuScene() {
    for (int i : m_vecImages) DDReleaseSurface(&StdSD[i]);
}

void cPlaceholderMenuScene::Run() {
    cInput& input = InputList[0];
    input.ApplyRepeat();
    input.LatchButtons(m_nLatchMask);
    if (m_nState == -1) EnterGuarded();
    CallStateHandler();
}

void cPlaceholderMenuScene::Enter() {
    cMenuSceneBase::EnterCommon(m_nMusicIndex, m_vecImages.data(),
                                static_cast<int>(m_vecImages.size()));
    if (m_lpMenu) cMenuSceneBase::BuildItems(*m_lpMenu, m_vecItems);
    m_nStep = 0;
}

void cPlaceholderMenuScene::Draw() {
    DDFillSurface(&BackBuffer, 16);
}

void cPlaceholderMenuScene::FadeIn() {
    Draw();
    if (cMenuSceneBase::FadeInStep()) m_nState = 1;
}

void cPlaceholderMenuScene::OnIdle() {
    Draw();
}

void cPlaceholderMenuScene::Leave() {
    if (!cMenuSceneBase::FadeOutStep()) return;
    cMenuSceneBase::HandOver(m_nId);
}

cTitleScene::cTitleScene()
    : cPlaceholderMenuScene(SCENE_TITLE, 0, {47, 48, 49, 45}, kMenuLatchMask,
                            &EdSystem.vecTitleMenu) {}

cMapMenuScene::cMapMenuScene()
    : cPlaceholderMenuScene(SCENE_MAPMENU, 1, {45, 50, 49}, kMenuLatchMask, &EdSystem.vecMapMenu) {}

cStageSelectScene::cStageSelectScene()
    : cPlaceholderMenuScene(SCENE_STAGESELECT, 2, {49, 45}, kWideMenuLatchMask, nullptr) {}

cOptionScene::cOptionScene()
    : cPlaceholderMenuScene(SCENE_OPTION, 3, {49, 45}, kMenuLatchMask, &EdSystem.vecOptionMenu) {}
