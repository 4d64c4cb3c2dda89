// The title: the title picture and its menu (new game, continue, challenge, free, replay,
// options, exit), the place every play returns to. Each item sets the play mode and prepares
// the progress before the scene leaves; continue opens the list of save slots in the scene.
#pragma once

#include <cstdint>

#include "base/checked_vector.h"
#include "scene/menu_scene_states.h"

class cTitleScene : public cMenuSceneStates<cTitleScene, 4> {
public:
    cTitleScene();

    void Enter() override;
    void FadeIn() override;
    void Leave() override;
    // State 1: the menu.
    void OnMenu();
    // State 2: the save-slot list of the continue item.
    void OnLoadSlot();
    void Draw();
    // The menu's work surface (entry 0 of SceneSurfaces) made to the menu's size and drawn.
    void BuildMenuSurface();
    void DrawMenu();

    // The item ids (indices into the title-menu list) in display order, at least one.
    CheckedVector<std::int32_t> m_vecItems;
    std::int32_t m_nSlotTop = 0;
    std::int32_t m_nSlotRows = 0;
    // Where the menu's surface stands.
    std::int32_t m_nMenuX = kMenuX;
    std::int32_t m_nMenuY = kMenuY;

    static constexpr int kMenuX = 192;
    static constexpr int kMenuY = 240;
    static constexpr int kSlotListX = 152;
    static constexpr int kSlotListY = 160;
    static constexpr int kSlotPage = 10;

private:
    // The menu is drawn from the item strips of bmp\GameMode.bmp instead of text.
    static bool PictureMenu();
};

// The progress of a new story game: the empty progress, the hero at the world map's start,
// the first round, the story mode's lives.
void ResetProgressForNewGame();
