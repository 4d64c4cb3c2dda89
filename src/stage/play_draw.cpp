// Drawing the play screen: the layers in their fixed order, and what drawing finishes off
// on the way. The end of a dying character's death animation removes it, and the end of the
// hero's starts the retry, the continue menu or game over, so drawing runs in every frame,
// headless runs included.
#include <cstdint>
#include <string>
#include <vector>

#include "base/globals.h"
#include "base/sjis.h"
#include "data/stage_record.h"
#include "data/system_record.h"
#include "flow/conditions.h"
#include "gfx/batch.h"
#include "gfx/display.h"
#include "gfx/fill.h"
#include "gfx/font_tables.h"
#include "gfx/surface_tables.h"
#include "scene/game_progress.h"
#include "scene/scene_manager.h"
#include "stage/actor_services.h"
#include "stage/game_scene.h"
#include "stage/graphic_source.h"
#include "stage/stage_objects.h"

namespace {

// Z orders of a stage drawn by layers.
constexpr int kZPasses = 8;

// The pass of an object's Z order. A Z outside the passes (a damaged file) is drawn in the
// nearest one: an object never drawn would never end its death.
int ZPass(int z) {
    return z < 0 ? 0 : (z >= kZPasses ? kZPasses - 1 : z);
}

bool SheetLost(const DDSURFACEDATA& sd) {
    return sd.bLost != 0;
}

}  // namespace

void cGameScene::Draw(int keepStage, int frozen, int sound, int help) {
    if (SheetLost(StdSD[kShotCellSheet]) || SheetLost(StdSD[kShotCellSheet + 1]))
        BuildShotCellSheets();
    // A running screen effect needs the finished picture as its source: in Direct3D the
    // frame is drawn into the virtual back buffer.
    if (m_ScreenEffect.nNumber != 0) D3DSetVirBackBuffer(1);
    ScrollBackgrounds();
    DrawBackgrounds(&BackBuffer, 0);
    // With the stage hidden during the pause, only the front backgrounds and the screen
    // colour follow.
    if (!keepStage && m_nState == GAMESTATE_PAUSE && EdSystem.bPauseLayer) {
        DrawBackgrounds(&BackBuffer, 1);
        DrawScreenColor(frozen);
        return;
    }
    DrawPictures(&BackBuffer, 0, frozen);
    DrawBlocks(&BackBuffer, 0);

    const bool layered = EdStageWork.bLayered != 0;
    std::vector<ObjectId> ids;
    for (int pass = 0; pass < (layered ? kZPasses : 1); ++pass) {
        // DrawHero may set the stage up again (a retry), which replaces every object.
        if (!Player.Empty() && (!layered || ZPass(Player[0].m_Chara.nZ) == pass)) DrawHero(frozen);
        DrawItems(pass, layered, frozen);
        ids.clear();
        CharaList.CollectIds(ids);
        for (ObjectId id : ids) {
            cCharaActor* chara = CharaList.Find(id);
            if (!chara || (layered && ZPass(chara->m_Chara.nZ) != pass)) continue;
            if (DrawChara(*chara, frozen)) RemoveChara(*chara);
        }
        DrawProjectiles(layered ? pass : -1, frozen);
    }
    DrawBlocks(&BackBuffer, 1);
    DrawBackgrounds(&BackBuffer, 1);
    DrawDistanceConditionAreas(&BackBuffer);
    if (!Player.Empty()) Player[0].DrawSight(&BackBuffer);
    DrawPictures(&BackBuffer, 1, frozen);
    // The effects; one that reports its end goes.
    DDBeginSpriteBatch(0);
    for (auto it = m_listEffect.begin(); it != m_listEffect.end();) {
        if (it->Draw(&BackBuffer, frozen))
            it = m_listEffect.erase(it);
        else
            ++it;
    }
    DDEndSpriteBatch();
    DrawMessages(&BackBuffer, frozen);
    // The screen effect transforms everything drawn so far, not the status bar.
    RunScreenEffect(frozen);
    DrawStatusBar(&BackBuffer);
    DrawTimeLimit(&BackBuffer, sound);
    if (help) DrawHelpText(&BackBuffer);
    AnimatePaletteColors();
    DrawScreenColor(frozen);
}

void cGameScene::DrawItems(int pass, bool layered, int frozen) {
    DDBeginSpriteBatch(1);
    DDRegisterSpriteSurface(&StdSD[kMarkSheet]);
    for (cItemObject& item : ItemList) {
        if (!item.m_bPresent || item.m_Item.bHidden || !item.IsOnScreen()) continue;
        if (layered && ZPass(item.m_Item.nField10) != pass) continue;
        item.UpdateScreenRect();
        item.Draw(&BackBuffer, frozen);
    }
    DDEndSpriteBatch();
}

void cGameScene::DrawHelpText(DDSURFACEDATA* target) {
    int index = -1;
    if (bTestPlay)
        index = kHelpTextDirectPlay;
    else if (bEditorLaunch)
        index = kHelpTextEditor;
    if (index < 0 || index >= static_cast<int>(EdSystem.vecTexts.Size())) return;
    const std::string& text = EdSystem.vecTexts[index];
    Font16.Draw(target, 320 - (CountSjisChars(text) * 16) / 2, 456, text.c_str(), 0);
}

void cGameScene::DrawScreenColor(int frozen) {
    m_ScreenColor.Draw(frozen);
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
    hero.DrawHpGauge(&BackBuffer, frozen);
    hero.DrawSpGauge(&BackBuffer, frozen);
}

int cGameScene::DrawChara(cCharaActor& chara, int frozen) {
    if (chara.m_bDying) return chara.DrawDying(&BackBuffer, frozen);
    if (!chara.m_bOnScreen) {
        // Off screen the animation and effect only run on when the character is set to
        // keep animating there.
        if (chara.m_Chara.nField49 != 0) {
            chara.GetDrawPattern(frozen);
            chara.AdvanceEffect(frozen);
        }
        return 0;
    }
    if (chara.m_Chara.bTransparent != 0) {
        chara.GetDrawPattern(frozen);
        chara.AdvanceEffect(frozen);
        chara.DrawHpGauge(&BackBuffer, frozen);
        chara.DrawSpGauge(&BackBuffer, frozen);
        return 0;
    }
    chara.DrawActor(&BackBuffer, frozen);
    chara.DrawHpGauge(&BackBuffer, frozen);
    chara.DrawSpGauge(&BackBuffer, frozen);
    chara.DrawCarriedItemIcon(&BackBuffer);
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
