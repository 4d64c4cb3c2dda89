// The five scenes around play: title, world map, map menu, stage select and options.
//
// PLACEHOLDER(menus): each of these scenes is replaced by its own work (title and the
// stage-file dialog; world map; map menu with the save slots; stage select; options). Until
// then each one does what every menu scene shares: it latches the menu buttons, plays its
// scene music and loads its images when entered, builds its menu items from the System list,
// fades in, shows a blank screen and waits (the program is closed from the window). Nothing
// leaves these scenes yet.
#pragma once

#include <initializer_list>
#include <vector>

#include "base/checked_vector.h"
#include "data/system_record.h"
#include "scene/scene.h"

class cPlaceholderMenuScene : public cSceneStates<cPlaceholderMenuScene, 3> {
public:
    // The scene's id, its entry of the scene music list, its images (standard surfaces),
    // the mask of its button latch and its System menu list (null for none).
    cPlaceholderMenuScene(int nId, int nMusicIndex, std::initializer_list<int> images,
                          int nLatchMask, const CheckedVector<cEdSystemSubA>* lpMenu);
    ~cPlaceholderMenuScene() override;

    void Run() override;
    void Enter() override;
    void FadeIn() override;
    void Leave() override;
    void OnIdle();

    const int m_nId;
    const int m_nMusicIndex;
    const int m_nLatchMask;
    CheckedVector<std::int32_t> m_vecItems;

private:
    void Draw();
    std::vector<int> m_vecImages;
    const CheckedVector<cEdSystemSubA>* m_lpMenu;
};

class cTitleScene : public cPlaceholderMenuScene {
public:
    cTitleScene();
};

class cMapMenuScene : public cPlaceholderMenuScene {
public:
    cMapMenuScene();
};

class cStageSelectScene : public cPlaceholderMenuScene {
public:
    cStageSelectScene();
};

class cOptionScene : public cPlaceholderMenuScene {
public:
    cOptionScene();
};
