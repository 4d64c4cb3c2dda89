// The challenge mode's stage list: the open stages with their cleared signs and best scores
// and, where the challenge keeps rankings, the ranking table of the stage under the cursor.
// Confirming loads the stage and starts the play; cancelling returns to the title.
#pragma once

#include <cstdint>
#include <string>
#include <string_view>

#include "scene/menu_scene_states.h"

class cEdStage;

// Loads a stage file for play into `destination` (the newest numbered version of `path`
// when `numbered` is set); 1 loaded, 0 not. Loading lives in the layer above the scenes:
// the program's composition root sets it (null at program start: nothing loads).
using StageForPlayLoader = int (*)(std::string_view path, int numbered, cEdStage* destination);
extern StageForPlayLoader LoadStageForPlayHook;

// The base name of challenge stage n (from 1): "data\stg4\cNN-1.stg4".
std::string ChallengeStageName(int n);

class cStageSelectScene : public cMenuSceneStates<cStageSelectScene, 3> {
public:
    cStageSelectScene();

    void Enter() override;
    void FadeIn() override;
    void Leave() override;
    // State 1: the list.
    void OnList();
    // The stage key of stage n and, with rankings kept, its ranking file.
    void SelectStage(int n);
    // The list's work surface (entry 0 of SceneSurfaces), made and drawn.
    void BuildListSurface();
    void DrawList();
    void Draw();
    // The stage count (all stages, or the open ones) and the rows shown from the top.
    void UpdateCounts();

    // The total line of the best scores: false when not shown; else its left edge.
    static bool TotalLine(int* lpX);

    std::int32_t m_nTop = 0;
    std::int32_t m_nStageCount = 0;
    std::int32_t m_nRows = 0;

    static constexpr int kPage = 10;
    static constexpr int kRowsY = 160;
    static constexpr int kRowStep = 32;
    static constexpr int kCursorX = 32;
};
