// The player's options: the palette of the 8-bit display, music on or off, the sound-effect
// volume, the ranking registration mode and the ranking name. The palette and the volume
// take effect while they are edited, the music when the scene is left; the options are
// saved on leaving, and the scene always returns to the title.
#pragma once

#include <cstdint>

#include "base/checked_vector.h"
#include "scene/menu_scene_states.h"

// Items of the option menu (indices of the System's option-menu list).
enum OptionItem : int {
    OPTION_PALETTE = 0,
    OPTION_BGM = 1,
    OPTION_SEVOLUME = 2,
    OPTION_RANKINGMODE = 3,
    OPTION_RANKINGNAME = 4,
    OPTION_BACK = 5,
};

class cOptionScene : public cMenuSceneStates<cOptionScene, 3> {
public:
    cOptionScene();

    void Enter() override;
    void FadeIn() override;
    void Leave() override;
    // State 1: step 1 chooses an item, step 2 edits its value.
    void OnMenu();
    void BuildSurface();
    void DrawSurface();
    void Draw();

    // Music on: the music manager is started as at start-up when it is not running; music
    // off: it is released. Done on the window thread, which owns the music.
    static void ApplyBgmOption();
    // The shown value text of an item ("" for the back item).
    static void ValueText(int id, std::string& out);

    CheckedVector<std::int32_t> m_vecItems;
    std::int32_t m_nEditItem = 0;
    std::int32_t m_nSavedValue = 0;
    std::int32_t* m_lpValue = nullptr;
    std::int32_t m_nMin = 0;
    std::int32_t m_nMax = 0;

    static constexpr int kRowsY = 96;
    static constexpr int kCursorX = 48;
    static constexpr int kValueX = 208;

private:
    void StepValue(int delta);
    // What an edited value changes at once: the palette, or the volume of every effect.
    void ApplyEditedValue();
    void ChooseItem();
    void EditValue();
};

// Sets the volume of every sound effect to option step `step` (0-10).
void ApplySeVolume(int step);
