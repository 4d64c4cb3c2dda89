// Every mutable global and hook of src/scene, with its program-start value:
//   SceneMgr (scene_manager.h)             the scene manager        no scenes, zero-filled
//   MakeGameScene (scene_manager.h)        hook: makes the game scene, set by the
//                                          composition root         null
//   SceneSurfaces, SceneSurfaceDefs (scene_manager.h)
//                                          the scenes' surfaces     empty
//   stage-image restorer (scene_manager.h) hook, set by the play scene   null
//   bBltPresent (scene_manager.h)          present by blit          0
//   frame-rate overlay (scene_manager.h)   ring, average, text      ResetFpsOverlay
//   palette animation and AnimatedColorTable (scene_manager.h)
//                                          channels, counters       ResetPaletteAnimation
//   Progress, CurReplayProgress, PrevReplayProgress (game_progress.h)
//                                          the play's progress      empty progress
//   SlotSummaries (save_slots.h)           the slot lists' summaries 99 unused
//   MenuCursor (menu_cursor.h)             the menus' cursor        one zeroed state
//   CurReplay, PrevReplay (replay_log.h)   the replay logs          empty
//   Ranking (ranking.h)                    the shown stage's tables the default set
//   LoadStageForPlayHook (stage_select_scene.h)
//                                          hook: the stage loader, set by the
//                                          composition root         null
#include "scene/scene_globals.h"

#include "gfx/gfx_globals.h"
#include "scene/game_progress.h"
#include "scene/menu_cursor.h"
#include "scene/ranking.h"
#include "scene/replay_log.h"
#include "scene/save_slots.h"
#include "scene/scene_manager.h"
#include "scene/stage_select_scene.h"

void ResetSceneGlobals() {
    ResetGfxGlobals();
    SceneMgr.DeleteScenes();
    SceneMgr = cSceneManager{};
    MakeGameScene = nullptr;
    SetStageImageRestorer(nullptr);
    SceneSurfaces.clear();
    SceneSurfaceDefs.Clear();
    bBltPresent = 0;
    ResetFpsOverlay();
    ResetPaletteAnimation();
    Progress = GameProgress{};
    CurReplayProgress = GameProgress{};
    PrevReplayProgress = GameProgress{};
    ResetSlotSummaries();
    MenuCursor.Reset();
    CurReplay.Clear();
    PrevReplay.Clear();
    Ranking.Reset();
    LoadStageForPlayHook = nullptr;
}
