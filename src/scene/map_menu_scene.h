// The world map's menu: save the story to a slot, switch autosave, back to the map, back to
// the title, each in a state of its own with its confirmation.
#pragma once

#include <cstdint>

#include "base/checked_vector.h"
#include "scene/menu_scene_states.h"

class cMapMenuScene : public cMenuSceneStates<cMapMenuScene, 7> {
public:
    cMapMenuScene();

    void Enter() override;
    void FadeIn() override;
    void Leave() override;
    // State 1: the menu; states 2 to 5 are the items (state = item id + 2).
    void OnMenu();
    void OnSave();
    void OnAutoSave();
    void OnBackToMap();
    void OnBackToTitle();
    // The plain background, the menu window with its items and the total line.
    void Draw();

    // The total line of the best scores: false when it is not shown (no total, or the System
    // does not show it); else its box's left edge and width.
    static bool TotalLine(int* lpX, int* lpWidth);

    CheckedVector<std::int32_t> m_vecItems;
    std::int32_t m_nSlotTop = 0;
    std::int32_t m_nSlotRows = 0;

    static constexpr int kMenuX = 264;
    static constexpr int kMenuY = 192;
    static constexpr int kTotalY = 260;
    static constexpr int kSlotListX = 152;
    static constexpr int kSlotListY = 160;
};
