// Drawing the play screen: the layers in their fixed order, and what drawing finishes off
// on the way. The end of a dying character's death animation removes it, and the end of the
// hero's starts the retry, the continue menu or game over, so drawing runs in every frame,
// headless runs included.
#include <cstdint>
#include <vector>

#include "base/globals.h"
#include "data/stage_record.h"
#include "data/system_record.h"
#include "gfx/display.h"
#include "gfx/fill.h"
#include "scene/game_progress.h"
#include "scene/scene_manager.h"
#include "stage/actor_services.h"
#include "stage/game_scene.h"
#include "stage/stage_objects.h"

namespace {

// The colour of a screen without backgrounds.
constexpr std::uint32_t kNoBackgroundColour = 16;
// Z orders of a stage drawn by layers.
constexpr int kZPasses = 8;

// The pass of an object's Z order. A Z outside the passes (a damaged file) is drawn in the
// nearest one: an object never drawn would never end its death.
int ZPass(int z) {
    return z < 0 ? 0 : (z >= kZPasses ? kZPasses - 1 : z);
}

// PLACEHOLDER(stage-images): until backgrounds are drawn, the screen is the colour of a stage
// without backgrounds, and the auto-scrolling backgrounds do not move yet.
void DrawBackgroundsLayer0() {
    DDFillSurface(&BackBuffer, kNoBackgroundColour);
}

}  // namespace

void cGameScene::Draw(int keepStage, int frozen, int sound, int help) {
    (void)sound;
    (void)help;
    // PLACEHOLDER(stage-images): lost shot-cell sheets are rebuilt here.
    // PLACEHOLDER(effects): a running screen effect draws into the virtual back buffer.
    DrawBackgroundsLayer0();
    // With the stage hidden during the pause, only the front backgrounds and the screen
    // colour would follow.
    if (!keepStage && m_nState == GAMESTATE_PAUSE && EdSystem.bPauseLayer) return;
    // PLACEHOLDER(stage-images): pictures and blocks of layer 0.

    const bool layered = EdStageWork.bLayered != 0;
    for (int pass = 0; pass < (layered ? kZPasses : 1); ++pass) {
        // DrawHero may set the stage up again (a retry), which replaces every object.
        if (!Player.Empty() && (!layered || ZPass(Player[0].m_Chara.nZ) == pass)) DrawHero(frozen);
        // PLACEHOLDER(stage-images): the items on screen in this pass.
        std::vector<ObjectId> ids;
        CharaList.CollectIds(ids);
        for (ObjectId id : ids) {
            cCharaActor* chara = CharaList.Find(id);
            if (!chara || (layered && ZPass(chara->m_Chara.nZ) != pass)) continue;
            if (DrawChara(*chara, frozen)) RemoveChara(*chara);
        }
        DrawProjectiles(layered ? pass : -1, frozen);
    }
    // PLACEHOLDER(stage-images): blocks and backgrounds of layer 1, the distance-condition
    // areas, the sight mask and pictures of layer 1.
    // The effects; one that reports its end goes.
    for (auto it = m_listEffect.begin(); it != m_listEffect.end();) {
        if (it->Draw(&BackBuffer, frozen))
            it = m_listEffect.erase(it);
        else
            ++it;
    }
    // PLACEHOLDER(stage-images): message windows, the screen effect, the status bar, the
    // time limit and the help text.
    AnimatePaletteColors();
    // PLACEHOLDER(effects): the screen colour covers everything drawn.
}

void cGameScene::DrawHero(int frozen) {
    cHeroActor& hero = Player[0];
    hero.UpdateScreenRect();
    if (hero.m_bDying) {
        // The decision is taken once, in play: the continue menu, game over and the pause
        // draw the hero lying there too. The hero is not touched after it: the decision may
        // set the stage up again.
        if (hero.DrawDying(&BackBuffer, frozen) && m_nState == GAMESTATE_PLAY) HeroDown();
        return;
    }
    hero.DrawHitBoxes(&BackBuffer, frozen);
    // PLACEHOLDER(stage-images): the hero's HP and SP gauges.
}

int cGameScene::DrawChara(cCharaActor& chara, int frozen) {
    if (chara.m_bDying) return chara.DrawDying(&BackBuffer, frozen);
    // PLACEHOLDER(stage-images): a character off screen keeps its animation still (unless
    // set to animate off screen); a transparent one advances it and draws its gauges; any
    // other is drawn with its character effect, gauges and overlay.
    if (!chara.m_bOnScreen) return 0;
    DrawActor(chara, &BackBuffer, frozen);
    return 0;
}

void cGameScene::HeroDown() {
    // A replay shows the same play again from its checkpoint.
    if (SceneMgr.m_nTitleChoice == TITLE_REPLAY) {
        Progress.RestoreCheckpoint(1);
        SetStage(1, 1);
        m_nState = GAMESTATE_STAGESTART;
        return;
    }
    if (!UseLife(Progress)) {
        m_nState = GAMESTATE_GAMEOVER;
        return;
    }
    if (EdStageWork.bRestoreStatus) Progress.ClearMaskedCounters();
    Progress.RestoreCheckpoint(0);
    if (SceneMgr.m_nPlayMode == PLAYMODE_STORY && EdSystem.bStoryContinueMenu) {
        m_nStep = 0;
        m_nState = GAMESTATE_CONTINUE;
        return;
    }
    SetStage(1, 0);
    m_nState = GAMESTATE_STAGESTART;
}
