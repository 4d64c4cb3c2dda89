// The five scenes around play: title, world map, map menu, stage select and options.
//
// PLACEHOLDER(world-map): the world map is replaced by its own scene. Until then it does what
// every menu scene shares: it latches the menu buttons, plays its scene music and loads its
// images when entered, fades in, shows a blank screen and waits (the program is closed from
// the window). Nothing leaves it yet.
#pragma once

#include <initializer_list>
#include <vector>

#include "base/checked_vector.h"
#include "scene/map_menu_scene.h"
#include "scene/option_scene.h"
#include "scene/scene.h"
#include "scene/stage_select_scene.h"
#include "scene/title_scene.h"

class cWorldMapScene : public cSceneStates<cWorldMapScene, 3> {
public:
    cWorldMapScene();
    ~cWorldMapScene() override;

    void Run() override;
    void Enter() override;
    void FadeIn() override;
    void Leave() override;
    void OnIdle();

private:
    void Draw();
    std::vector<int> m_vecImages;
};
