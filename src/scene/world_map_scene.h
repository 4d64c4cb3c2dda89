// The story mode's hub: the world map, a grid of 32-dot cells of which a 20 x 15 view fills the
// screen with the hero in its middle. The hero walks one cell per step along passable tiles;
// stepping onto a stage node that is not cleared (or confirming one) asks whether to take the
// stage on, and yes loads it and hands over to the play scene. Node icons show cleared and
// uncleared stages; boxes show the lives, the stage's title and its best score; a panel shows
// its ranking. Cancel leaves for the map menu. Coming back from a stage the map saves the
// play's slot when the player asked for it, puts the hero back before the node when he left
// the stage from the continue menu, and enters a stage by itself when the hero arrives on an
// uncleared node that asks for it.
//
// The hero's place is the menu cursor's current state: column and row are the map cell, the
// pixel position where he is drawn is always the middle of the view.
#pragma once

#include <cstdint>
#include <string>

#include "scene/menu_cursor.h"
#include "scene/scene.h"

class cEdMapNode;
class cEdMapStage;

class cWorldMapScene : public cSceneStates<cWorldMapScene, 4> {
public:
    // The states: 0 the fade-in with the arrival rules, 1 walking, 2 the question whether to
    // take the stage on, 3 the fade-out to the next scene.
    enum { kFadeIn = 0, kWalk = 1, kConfirm = 2, kLeave = 3 };
    // Where the hero is drawn, and the cell of the view he stands on.
    static constexpr int kHeroX = 288;
    static constexpr int kHeroY = 224;
    static constexpr int kHeroViewColumn = 9;
    static constexpr int kHeroViewRow = 7;

    cWorldMapScene();
    ~cWorldMapScene() override;

    void Run() override;
    void Enter() override;
    void FadeIn() override;
    void Leave() override;
    void OnWalk();
    void OnConfirmStage();

    // One step of the hero by the direction bits (the first of left, right, up, down that is
    // set), kept on the map and off impassable cells; the view follows and the canvas is
    // drawn again when the view moved.
    void MoveHero(std::uint16_t wDir);
    // The node's first entry, in list order, whose switch, variable and round conditions
    // hold; null for no node or when none holds.
    static cEdMapStage* FindActiveEntry(cEdMapNode* lpNode);
    // Its clear switch is on.
    static bool IsEntryCleared(const cEdMapStage& entry);
    // The hero may stand on it without being asked: it waits for the confirm button, or its
    // stage is cleared.
    static bool IsEntryDone(const cEdMapStage& entry);
    // The stage key, the best score and the ranking of the entry under the hero.
    void ShowEntryInfo();
    // The progress of the stage just loaded for the entry under the hero: its key from the
    // loaded file's name, the clear switch, the first stage of its series, the lives it
    // starts with and the entry itself.
    void PrepareStageEntry();

    // The canvas copied to the back buffer, the hero, the lives box and (bInfo) the panel,
    // title and best score of the stage under the hero.
    void Draw(bool bInfo);
    // The map canvas (image 67): background, tiles and node icons of the view.
    void RedrawMap();
    void DrawHero();
    void CreateRankingSurface();
    void DrawRanking();

    // The hero's cell (the cursor's column and row).
    int HeroX() const;
    int HeroY() const;

    std::int32_t m_nViewX = 0;  // the map cell at the top left of the screen
    std::int32_t m_nViewY = 0;
    cEdMapNode* m_pNode = nullptr;    // the node at the hero's cell
    cEdMapStage* m_pEntry = nullptr;  // its active entry
    std::int32_t m_nFacing = 0;       // 0 down, 1 up, 2 left, 3 right
    CursorState m_SavedCursor;        // the hero before his last step
    CursorState m_InfoCursor;         // the cell whose stage information is shown
    std::int32_t m_nShownBest = 0;    // best score of the stage shown

    // The view origin the canvas was last drawn for, and how often it was drawn.
    std::int32_t m_nDrawnViewX = 0;
    std::int32_t m_nDrawnViewY = 0;
    int m_nRedraws = 0;
    // The hero's walking animation: two frames over 80 draws.
    int m_nHeroTicks = 0;
    // The confirmation's stage was loaded.
    bool m_bStageLoaded = false;
    // An automatic entry whose stage could not be loaded asks once for the close.
    bool m_bAutoEntryFailed = false;

private:
    void UpdateNodeAtHero();
    void OpenConfirmation();
    // The confirmation's "no" (also a failed load or cancel): the hero goes back to the cell
    // he came from unless he may stand on the node.
    void RefuseStage();
    // Buttons 3 and 4: show or hide the ranking panel, cycle its table.
    void RankingKeys();
    // The entry's stage loaded for play; false after the error box.
    bool LoadEntryStage(const cEdMapStage& entry);
    void DrawLives();
    void DrawStageInfo();
};
