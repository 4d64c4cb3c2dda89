// One displayed frame of play: the input, the timers, then b ticks in which every object
// takes part in a fixed order (presence, life counters, block characters, the hero, the
// other characters, projectiles, area removal, item blocks, hits, pickup), then the screen.
// The order decides who moves first and which death is noticed; a stage end or the loss of
// the hero ends the frame at once, leaving the later objects where they were.
//
// Walks over the character list go by ids: a flow, a death or a summon may add or remove
// characters at any step, so no iterator is held across one.
#include <cstdint>
#include <vector>

#include "base/globals.h"
#include "base/input.h"
#include "base/log.h"
#include "base/window_requests.h"
#include "data/stage_record.h"
#include "data/system_record.h"
#include "flow/flow_instance.h"
#include "gfx/frame_timing.h"
#include "platform/messages.h"
#include "scene/game_progress.h"
#include "scene/replay_log.h"
#include "scene/scene_manager.h"
#include "stage/actor_services.h"
#include "stage/block_chara_collision.h"
#include "stage/block_collision.h"
#include "stage/game_scene.h"
#include "stage/stage_end.h"
#include "stage/stage_objects.h"

namespace {

// System sounds of the play frame.
constexpr int kSeHeroLost = 8;
constexpr int kSeCharaDefeated = 9;
// Move results of the one-tick steps.
constexpr int kStepLeftStageSideways = 4;
constexpr int kStepFellOut = 7;
constexpr int kStepFlewOut = 8;
// The result of a stage-level step.
constexpr int kStageCleared = 1;
constexpr int kHeroLost = 2;
// An unlimited life counter.
constexpr std::int32_t kNoLifeLimit = 2147483647;

// Whether a defeated character stays in the list until its death animation has ended
// (with sound 9), instead of being removed at once.
bool ShowsCharaDeath() {
    return EdSystem.bCompat272 != 0;
}

// The frame's input as the hero takes it goes into the current replay log.
void RecordReplayFrame(const cInput& input) {
    CurReplay.RecordFrame(static_cast<std::int16_t>(input.wDir),
                          static_cast<std::int16_t>(input.wButton));
}

// The recorded input of the frame; 1 when the log has ended.
int PlayReplayFrame(cInput& input) {
    std::int16_t frame[2] = {0, 0};
    if (CurReplay.PlayFrame(frame)) return 1;
    input.wDir = static_cast<std::uint16_t>(frame[0]);
    input.wButton = static_cast<std::uint16_t>(frame[1]);
    return 0;
}

// Both contacts of an opposite pair at once: squeezed between blocks.
bool IsCrushed(const cActorBase& actor) {
    return (actor.m_bContactLeft && actor.m_bContactRight) ||
           (actor.m_bContactUp && actor.m_bContactDown);
}

}  // namespace

// --- The frame ---

void cGameScene::PlayFrame() {
    // A close that came while the pause thread ran is asked for again now that it has ended.
    if (m_bCloseRequest) {
        plat::PostMessage(hWndMain, plat::WM_CLOSE, 0, 0);
        return;
    }
    if (CheckPauseKey()) {
        m_nStep = 0;
        m_nState = GAMESTATE_PAUSE;
        return;
    }
    if (CheckReplayHotKeys()) return;
    ++m_nFrame;
    // A set-up that failed left no stage; the program is closing.
    if (Player.Empty()) return;

    // The player's input, filtered as play wants it.
    cHeroActor& hero = Player[0];
    cInput& input = InputList[0];
    if (SceneMgr.m_nTitleChoice != TITLE_REPLAY) {
        if (hero.m_bClearDirection) input.ClearDirection();
        if (hero.m_bClearButtons) input.ClearButtons();
        // After a menu closed by a button, buttons reach the hero only once all are up.
        if (input.wButton == 0)
            m_bHoldButtons = 0;
        else if (m_bHoldButtons)
            input.ClearButtons();
        input.History.Push(input.wDir, input.wButton);
        input.LogKeyEvents();
        if (EdSystem.bReplay) RecordReplayFrame(input);
    } else {
        input.ClearDirection();
        input.ClearButtons();
        if (PlayReplayFrame(input)) {
            // The log has ended: the replay plays again from its start.
            Progress.RestoreCheckpoint(1);
            SetStage(1, 1);
            m_nState = GAMESTATE_STAGESTART;
            return;
        }
        input.nDirNum = DirectionNumber(input.wDir);
        input.History.Push(input.wDir, input.wButton);
        input.LogKeyEvents();
    }

    UpdatePlayTime();
    if (UpdateTimeLimit(-1) && !hero.m_bDying) {
        LoseHero();
        return;
    }

    hero.ResetFlowFrameFlags();
    for (cCharaActor& chara : CharaList)
        if (!chara.m_bDying) chara.ResetFlowFrameFlags();

    const std::int32_t b = EdStageWork.speed.nSubSteps;
    for (std::int32_t t = 1; t <= b; ++t) {
        m_nTick = t;
        ++m_nTickTotal;
        if (!RunTick()) return;
    }
    Draw(1, 0, 1, 1);
}

// One tick; false when the frame ends here (a stage end or the hero lost).
bool cGameScene::RunTick() {
    cHeroActor& hero = Player[0];
    UpdatePresence();

    // Life counters.
    std::vector<ObjectId> ids;
    if (!hero.m_bDying) {
        CharaList.CollectIds(ids);
        for (ObjectId id : ids) {
            cCharaActor* chara = CharaList.Find(id);
            if (!chara || chara->m_bDying || chara->m_nLifeFrames == kNoLifeLimit) continue;
            if (--chara->m_nLifeFrames < 0) RemoveChara(*chara);
        }
        for (auto it = ItemList.begin(); it != ItemList.end();) {
            if (it->m_nLifeFrames != kNoLifeLimit && --it->m_nLifeFrames < 0)
                it = ItemList.Erase(it);
            else
                ++it;
        }
    }

    // Bookkeeping of the tick, before anything moves.
    for (cCharaActor& chara : CharaList) {
        chara.TickImmunity();
        chara.ClearContacts();
        chara.SavePosition();
    }
    hero.TickImmunity();
    hero.ClearContacts();
    hero.SavePosition();
    hero.KeepPreviousFacing();
    hero.KeepPreviousContact();

    m_ScrollX.Advance();
    m_ScrollY.Advance();

    // Block characters move first, so that the hero can ride them.
    if (!hero.m_bDying && !RunCharaPass(1)) return false;
    if (!hero.m_bDying && !RunHeroTick()) return false;
    if (!hero.m_bDying && !RunCharaPass(0)) return false;

    RunProjectiles();

    // Area removal, once a frame.
    if (m_nTick == 1 && !hero.m_bDying) RemoveOutsideAreas();

    // The stage-level steps, each only while the hero lives.
    if (!hero.m_bDying && EndsFrame(TakeBlockItem(hero))) return false;
    if (!hero.m_bDying && EndsFrame(ResolveHits())) return false;
    if (!hero.m_bDying && EndsFrame(PickUpItems(hero))) return false;
    return true;
}

bool cGameScene::EndsFrame(int result) {
    if (result == kStageCleared) {
        EndStage(*this);
        m_nState = GAMESTATE_RESULT;
        return true;
    }
    if (result == kHeroLost) {
        LoseHero();
        return true;
    }
    return false;
}

bool cGameScene::HeroDies(const char* why) {
    ErrorLog("%s", why);
    LoseHero();
    return false;
}

bool cGameScene::RunHeroTick() {
    cHeroActor& hero = Player[0];
    hero.TriggerFlows(kTriggerAlways);
    if (hero.RunFlows(0)) return !EndsFrame(kHeroLost);
    // A command may have cleared the stage or lost the hero.
    if (EndsFrame(m_nStageResult)) return false;
    if (m_bCodeKill && SweepDeadActors()) return false;
    if (EndsFrame(ApplyBlockTouch(hero))) return false;
    if (hero.m_bRiding) RideBlockChara(hero, CharaList);

    // The horizontal step; the block test sees the position after the screen clamp.
    hero.StepX();
    ClampToScreenX(hero);
    if (CollideBlocksX(hero) == kCollideDeath) return HeroDies("Dead 1");
    ClampToScreenX(hero);

    hero.ApplyGravity();
    if (hero.StepY() == kStepFellOut) return HeroDies("Dead 2");
    if (ClampToScreenY(hero) == kCollideDeath) return HeroDies("Dead 3");
    if (CollideBlocksY(hero) == kCollideDeath) return HeroDies("Dead 4");
    if (ClampToScreenY(hero) == kCollideDeath) return HeroDies("Dead 5");

    // Squeezed between blocks, unless crush deaths are held off for a moment.
    auto crushed = [&hero] {
        if (!IsCrushed(hero) || hero.m_nHoldFrames != 0) return false;
        ErrorLog("Player[P1].LRUD = %d,%d,%d,%d", hero.m_bContactLeft, hero.m_bContactRight,
                 hero.m_bContactUp, hero.m_bContactDown);
        hero.RestorePosition();
        return true;
    };
    if (crushed()) return HeroDies("Dead SP");
    auto mayDie = [&hero] { return !hero.m_bDying && hero.m_nHoldFrames == 0; };
    if (CollideBlockCharas(hero, CharaList) == kCollideDeath && mayDie()) return HeroDies("Dead 6");
    if ((hero.m_bContactLeft || hero.m_bContactRight) && RecheckBlocksX(hero) == kCollideDeath &&
        mayDie())
        return HeroDies("Dead 7");
    if ((hero.m_bContactUp || hero.m_bContactDown) && RecheckBlocksY(hero) == kCollideDeath &&
        mayDie())
        return HeroDies("Dead 8");
    if (crushed()) return HeroDies("Dead 9");

    hero.DecayKnockbackX();
    hero.DecayKnockbackY();
    return true;
}

bool cGameScene::RunCharaPass(int blockCharas) {
    std::vector<ObjectId> ids;
    CharaList.CollectIds(ids);
    for (ObjectId id : ids) {
        cCharaActor* chara = CharaList.Find(id);
        if (!chara || (chara->m_Chara.b32Mode != 0) != (blockCharas != 0)) continue;
        if (chara->m_bDying || !chara->m_bPresent || !chara->m_bRunning) continue;

        chara->TriggerFlows(kTriggerAlways);
        if (chara->RunFlows(0)) {
            // Vanished or out of HP by its own flows.
            chara = CharaList.Find(id);
            if (!chara) continue;
            if (!blockCharas && chara->m_bVanish) {
                RemoveChara(*chara);
                continue;
            }
            const int r = HandleCharaDeath(*chara);
            chara = CharaList.Find(id);
            if (ShowsCharaDeath()) {
                if (r == kStageCleared) {
                    if (chara) RemoveChara(*chara);
                    return false;
                }
                PlaySystemSe(kSeCharaDefeated);
            } else if (chara) {
                RemoveChara(*chara);
            }
            if (r != 0) return false;
            continue;
        }

        if (m_bCodeKill && SweepDeadActors()) return false;
        // The sweep may have taken this very character.
        chara = CharaList.Find(id);
        if (!chara) continue;
        if (!blockCharas && chara->m_bRiding) RideBlockChara(*chara, CharaList);
        bool dies = false;
        bool remove = false;
        if (chara->StepX() == kStepLeftStageSideways) remove = true;
        if (CollideBlocksX(*chara) == kCollideDeath) dies = true;
        chara->ApplyGravity();
        const int stepY = chara->StepY();
        if (stepY == kStepFellOut) dies = true;
        if (stepY == kStepFlewOut) remove = true;
        if (CollideBlocksY(*chara) == kCollideDeath) dies = true;
        if (!blockCharas) {
            if (CollideBlockCharas(*chara, CharaList) == kCollideDeath) dies = true;
            RecheckBlocksX(*chara);
            RecheckBlocksY(*chara);
            if (IsCrushed(*chara)) dies = true;
        }

        if (dies) {
            PlaySystemSe(kSeCharaDefeated);
            const int r = HandleCharaDeath(*chara);
            if (r == kStageCleared) {
                if ((chara = CharaList.Find(id))) RemoveChara(*chara);
                return false;
            }
            if (r != 0) return false;
        } else if (remove) {
            RemoveChara(*chara);
        } else {
            chara->DecayKnockbackX();
            chara->DecayKnockbackY();
        }
    }
    return true;
}

void cGameScene::RemoveOutsideAreas() {
    std::vector<ObjectId> ids;
    CharaList.CollectIds(ids);
    for (ObjectId id : ids) {
        cCharaActor* chara = CharaList.Find(id);
        if (!chara || chara->m_bDying || !chara->m_bPresent) continue;
        const bool block = chara->m_Chara.b32Mode != 0;
        if (block ? !m_bRemoveOutsideBlockChara : !m_bRemoveOutsideChara) continue;
        if (chara->IsOutOfArea(EdStageWork.AreaLimit[block ? 1 : 0])) RemoveChara(*chara);
    }
    if (!m_bRemoveOutsideItem) return;
    for (auto it = ItemList.begin(); it != ItemList.end();) {
        if (it->IsOutOfArea(EdStageWork.AreaLimit[2]))
            it = ItemList.Erase(it);
        else
            ++it;
    }
}

// --- Presence, appearance and the timers ---

void cGameScene::UpdatePresence() {
    if (!Player.Empty()) {
        Player[0].m_bPresent = 1;
        Player[0].m_bOnScreen = 1;
    }
    for (std::size_t i = 0; i < m_vecGroupFlag.Size(); ++i) m_vecGroupFlag[static_cast<int>(i)] = 0;
    for (cCharaActor& chara : CharaList) {
        if (TestCharaAppearance(chara)) {
            chara.m_bPresent = 1;
            chara.m_bOnScreen = chara.IsOnScreen();
            chara.UpdateInView(m_vecGroupFlag);
        } else {
            chara.m_bPresent = 0;
            chara.m_bOnScreen = 0;
        }
    }
    // Every group flag is raised before any character asks for its group.
    for (cCharaActor& chara : CharaList)
        chara.m_bRunning = chara.m_bPresent && chara.ActivateCheck(m_vecGroupFlag) ? 1 : 0;
    for (cItemObject& item : ItemList) {
        item.m_bPresent = TestItemAppearance(item);
        item.m_bOnScreen = item.m_bPresent ? item.IsOnScreen() : 0;
    }
    for (cProjectile& shot : m_listProjectile) {
        shot.m_bPresent = 1;
        shot.m_bOnScreen = shot.IsOnScreen();
    }
}

int cGameScene::TestCharaAppearance(cCharaActor& chara) {
    const cEdChara& record = chara.m_Chara;
    if (record.vecCondition.empty()) return 1;
    if (record.bCondLatch && chara.m_bAppearLatch) return 1;
    if (!ConditionListHolds(record.vecCondition, record.nCondMode, &chara)) return 0;
    chara.m_bAppearLatch = 1;
    return 1;
}

int cGameScene::TestItemAppearance(cItemObject& item) {
    const cEdItem& record = item.m_Item;
    if (record.vecCondition.empty()) return 1;
    if (record.bCondLatch && item.m_bAppearLatch) return 1;
    if (!ConditionListHolds(record.vecCondition, record.nCondMode, FirstHero())) return 0;
    item.m_bAppearLatch = 1;
    return 1;
}

int cGameScene::UpdateTimeLimit(int delta) {
    if (m_bNoTimeLimit) return 0;
    // One stage second per 60 frames, whatever the frame rate.
    if (!FrameSkipCounter(1, 60)) return 0;
    const std::int64_t time = std::int64_t{m_nTime} + delta;
    if (time > 999) {
        m_nTime = 999;
        return 0;
    }
    if (time <= 0) {
        m_nTime = 0;
        return 1;
    }
    m_nTime = static_cast<std::int32_t>(time);
    return 0;
}

void cGameScene::UpdatePlayTime() {
    constexpr std::int64_t kMaxPlayTime = 599999;
    if (m_nPlayTime >= kMaxPlayTime) return;
    ++m_nPlayFrames;
    const std::int64_t time = std::int64_t{m_nPlayFrames} * 100 / 60;
    m_nPlayTime = static_cast<std::int32_t>(time < kMaxPlayTime ? time : kMaxPlayTime);
}

// --- Deaths, items and removal ---

int cGameScene::KillActor(cActorBase& actor) {
    if (actor.m_nOperator == 0) return kHeroLost;
    if (!actor.m_bDying) {
        const int r = actor.ActorDeath();
        if (r != 0) return r;
    }
    return 0;
}

int cGameScene::HandleCharaDeath(cCharaActor& chara) {
    const int r = KillActor(chara);
    if (r == kStageCleared) {
        EndStage(*this);
        m_nState = GAMESTATE_RESULT;
    } else if (r == kHeroLost) {
        LoseHero();
    }
    return r;
}

int cGameScene::LoseHero() {
    PlaySystemSe(kSeHeroLost);
    if (Player.Empty() || Player[0].ActorDeath() != 1) return 0;
    EndStage(*this);
    m_nState = GAMESTATE_RESULT;
    return 1;
}

int cGameScene::SweepDeadActors() {
    if (Player[0].m_nHp <= 0) {
        LoseHero();
        return 1;
    }
    std::vector<ObjectId> ids;
    CharaList.CollectIds(ids);
    for (ObjectId id : ids) {
        cCharaActor* chara = CharaList.Find(id);
        if (!chara) continue;
        if (chara->m_bVanish) {
            RemoveChara(*chara);
            continue;
        }
        // One already dying was defeated before: it is not defeated (and heard) again.
        if (chara->m_nHp > 0 || chara->m_bDying) continue;
        const int r = HandleCharaDeath(*chara);
        chara = CharaList.Find(id);
        if (!ShowsCharaDeath()) {
            if (chara) RemoveChara(*chara);
            if (r != 0) return 1;
        } else {
            if (r == kStageCleared) {
                if (chara) RemoveChara(*chara);
                return 1;
            }
            PlaySystemSe(kSeCharaDefeated);
            if (r != 0) return 1;
        }
    }
    return 0;
}

int cGameScene::GiveItem(cItemObject* item, cHeroActor& hero) {
    if (!item || item->m_nGraphicNo == 0 || item->m_Item.nTakeMode == 2 || !item->m_bPresent)
        return 0;
    const cEdItem& record = item->m_Item;
    if (record.bTakeEffect)
        hero.ShowItemMessage(record.nGraphicSource, record.nGraphic, record.nPatternBase);
    PlayDataSe(record.nTakeSound);
    // The commands run on a copy: one of them may take the item itself out of the stage.
    // What the list's arranges changed lasts for the item, when it is still there (an item
    // that stays runs its changed list at the next contact).
    const ObjectId id = item->Id();
    CheckedVector<cEdCommand> commands = record.vecItemCommand;
    const int result = hero.RunItemCommands(commands);
    if (cItemObject* still = ItemList.Find(id)) still->m_Item.vecItemCommand = std::move(commands);
    return result;
}

void cGameScene::RemoveChara(cCharaActor& chara) {
    // No context may name a character that is gone.
    if (m_pCurActor == &chara) {
        m_pCurActor = nullptr;
        m_pCurFlow = nullptr;
        m_pCurCmd = nullptr;
    }
    // The group may have changed since the character joined its list: look in all.
    for (int g = 0; g < static_cast<int>(m_vecGroupList.Size()); ++g)
        m_vecGroupList[g].EraseValue(&chara);
    // The projectiles homing on it fly on without a target.
    chara.ReleaseHomingShots();
    // Destroying it unhooks the actors it targets and that target it.
    CharaList.Remove(chara.Id());
}
