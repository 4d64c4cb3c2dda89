// Every mutable global and hook of src/stage and src/flow, with its program-start value:
//   lpGame (game_scene.h)                  the game scene           null
//   PauseMenuPos, ContinueMenuPos, RankingTablePos (game_scene.h)
//                                          menu positions           (320,272), (320,272), (184,64)
//   BlockMap (block_map.h)                 the stage's block cells  empty
//   block condition evaluator (block_map.h)
//                                          hook, set by the game scene   every list holds
//   geometry axes (actor_geometry.h)       hook, set by the game scene   the file's own two,
//                                                                        default axes
//   Player, CharaList, ItemList (stage_objects.h)
//                                          heroes, characters, items     none
//   AnimePatternTable, EffectPatternTable, CharaEffectStates, CharaEffectStatesRev,
//   ScrEffectStates, ScrEffectStatesRev (post_load_tables.h)
//                                          tables built after a load     empty
//   first-hero lookup (flow_install.h)     hook, set by the game scene   none
//   the stage's command account (command_budget.h)
//                                          installed commands            a new, empty one
//   the distance areas' shade counter (conditions.h)                     0
//   the refusal sound's cool-down of F1/F2 (game_scene.h)                0
//   the draw surfaces (graphic_source.h)   mark stretch, work surfaces   second mark copy,
//                                                                        67 and 70
//
// Not reset:
//   cParamDescTable (param_desc_table.h)   built once at start-up by BuildParamDescTable
//   the stage-load job (stage_load.cpp)    owned by the stage-load thread while it runs
//   the state log file (state_log.cpp)     reopened when the seams name another path
//   the kept command contexts (actor_services.cpp) and the item-get depth
//   (item_get_command.cpp)                 scoped: back to none and 0 when each pass or run
//                                          ends, however it ends
#include "stage/engine_globals.h"

#include "flow/command_budget.h"
#include "flow/conditions.h"
#include "flow/flow_install.h"
#include "scene/scene_globals.h"
#include "stage/actor_geometry.h"
#include "stage/block_map.h"
#include "stage/game_scene.h"
#include "stage/graphic_source.h"
#include "stage/post_load_tables.h"
#include "stage/scroll_axis.h"
#include "stage/stage_objects.h"

void ResetEngineGlobals() {
    ResetSceneGlobals();
    lpGame = nullptr;
    PauseMenuPos = kPauseMenuStart;
    ContinueMenuPos = kContinueMenuStart;
    RankingTablePos = kRankingTableStart;
    BlockMap.Clear();
    SetBlockConditionEvaluator(nullptr);
    SetGeometryAxes(nullptr, nullptr);
    GeomAxisX() = ScrollAxis{};
    GeomAxisY() = ScrollAxis{};
    Player.Clear();
    CharaList.Clear();
    ItemList.Clear();
    AnimePatternTable.Clear();
    EffectPatternTable.Clear();
    CharaEffectStates.Clear();
    CharaEffectStatesRev.Clear();
    ScrEffectStates.Clear();
    ScrEffectStatesRev.Clear();
    SetFirstHeroLookup(nullptr);
    ResetStageCommandBudget();
    ResetDistanceAreaColour();
    ResetDrawSurfaces();
    ResetReplayHotKeys();
}
