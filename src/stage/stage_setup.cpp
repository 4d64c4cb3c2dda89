// The stage set-up: every attempt at a stage begins here, from the stage as loaded, so that
// nothing of a failed attempt survives a retry except what the progress record keeps.
#include <cstdint>
#include <cstring>
#include <new>
#include <string>
#include <vector>

#include "base/globals.h"
#include "base/input.h"
#include "base/log.h"
#include "base/message_box.h"
#include "base/window_requests.h"
#include "data/stage_record.h"
#include "data/system_record.h"
#include "flow/command_budget.h"
#include "flow/expression_language.h"
#include "flow/flow_install.h"
#include "gfx/display.h"
#include "gfx/frame_timing.h"
#include "gfx/palette.h"
#include "platform/clock.h"
#include "platform/ddraw.h"
#include "platform/messages.h"
#include "platform/random.h"
#include "scene/game_progress.h"
#include "scene/menu_cursor.h"
#include "scene/replay_log.h"
#include "scene/scene_manager.h"
#include "stage/actor_services.h"
#include "stage/bgm_request.h"
#include "stage/block_map.h"
#include "stage/game_scene.h"
#include "stage/replay_file.h"
#include "stage/stage_objects.h"

namespace {

// Stage variables S0 .. S254 and the activation group flags.
constexpr int kStageVarCount = 255;
constexpr int kGroupFlagCount = 60;

// The set-up ends on a failed allocation: the program closes with what was built so far.
struct SetStageAbort {};

[[noreturn]] void Abort() {
    throw SetStageAbort{};
}

}  // namespace

// b entries; the hit pass tests shots only in the ticks whose entry is 1: n evenly spread
// ticks per frame, tick ⌊k·b/n⌋ for k = 0, 1, ... (the last tick taking one that a collision
// lost), every tick for n = 0. The ticks are counted in whole numbers: a real step that
// accumulates would round its way to an extra tick (b 10, n 9 gave 10).
void BuildHitTicks(CheckedVector<std::int32_t>& ticks, std::int32_t b, std::int32_t n) {
    ticks.Clear();
    if (b <= 0) return;
    // As many hits as ticks or more: every tick.
    if (n == 0 || n >= b) {
        ticks.resize(b, 1);
        return;
    }
    ticks.resize(b, 0);
    // A negative n (a damaged file) would step backwards forever: it sets the first tick.
    if (n < 0) {
        ticks[0] = 1;
        return;
    }
    std::int32_t count = 0;
    for (std::int64_t k = 0; k * b / n < b; ++k) {
        ticks[static_cast<int>(k * b / n)] = 1;
        ++count;
    }
    if (count < n) ticks[b - 1] = 1;
}

namespace {

// Moves the music on by the keep-music rule of a fresh attempt, or only when it changes.
void RequestStageMusic(int fresh) {
    const std::int32_t music = EdStageWork.nBgm;
    const std::int32_t loop = EdStageWork.nBgmParam;
    if (fresh) {
        if (EdStageWork.bBgmKeep && Progress.m_nStageBgm == music) {
            if (music == 0) RequestBgm(0, loop);
            return;
        }
        RequestBgm(music, loop);
    } else if (Progress.m_nStageBgm != music) {
        RequestBgm(music, loop);
    }
}

}  // namespace

void cGameScene::SetStage(int restart, int fresh) {
    m_bSetStageFailed = 0;
    try {
        ErrorLog("In SetStage");
        // Whatever ran before is over: no command context survives into the new attempt.
        SetCommandContext(nullptr, nullptr, nullptr);
        // A new attempt: a failing code text may report itself once more.
        ResetCodeErrorReports();
        m_nFrame = 0;
        m_WaitControl.m_bDone = 0;

        // Every run-time list is emptied; characters go before the lists that point at them.
        m_vecShotGroupList.Clear();
        m_vecShotGroupList.resize(kActorGroupCount);
        m_listProjectile.Clear();
        m_vecGroupList.Clear();
        m_vecGroupList.resize(kActorGroupCount);
        CharaList.Clear();
        ItemList.Clear();
        // The commands of the new attempt are counted afresh (the hero of the former one,
        // replaced below, no longer counts).
        ResetStageCommandBudget();

        const bool replay = SceneMgr.m_nTitleChoice == TITLE_REPLAY;
        if (restart) {
            // A replay starts over as it was saved: the file is read again (its stage, its
            // log and its progress snapshot).
            if (replay) {
                const std::string path = EdStageWork.strPath;
                std::string why;
                if (!LoadReplayFile(CurReplay, path, EdStageWork, EdStage, Progress, &why)) {
                    ReportLog("replay %s cannot be played again: %s", path.c_str(), why.c_str());
                    plat::PostMessage(hWndMain, plat::WM_CLOSE, 0, 0);
                }
                EdStageWork.strPath = path;
            }
            // What commands changed in the failed attempt comes back from the loaded stage.
            EdStageWork.CopySettingsFrom(EdStage);
        }

        if (replay) {
            CurReplay.Rewind();
            m_nSeed = static_cast<std::uint32_t>(CurReplay.m_nSeed);
        } else if (EdSystem.bReplay) {
            // The attempt before becomes the previous replay; this one is recorded afresh.
            PrevReplay.Assign(CurReplay);
            PrevReplayProgress = CurReplayProgress;
            CurReplayProgress = Progress;
            CurReplay.Clear();
            m_nSeed = plat::timeGetTime();
            CurReplay.m_nSeed = static_cast<std::int32_t>(m_nSeed);
        }
        plat::srand(m_nSeed);

        // The carried statuses go into the placed hero's record.
        const int heroIndex = EdStageWork.FindHero();
        if (EdStageWork.bRestoreStatus)
            Progress.RestoreCarriedStatus(0, EdStageWork.vecChara[heroIndex]);

        RequestStageMusic(fresh);
        SceneMgr.m_nBgmPlaying = 0;
        m_nCharaSerial = 0;
        m_nItemSerial = 0;
        m_nShotSerial = 0;

        EdStageWork.SetGameSpeed(EdStageWork.nLevel);
        const std::int32_t b = EdStageWork.speed.nSubSteps;

        // The view's axes; the horizontal one carries the map's row shift.
        m_ScrollX.SetGeometry(kAxisHorizontal, EdStageWork.nWidth, EdStageWork.nExtentX);
        m_ScrollX.SetAutoSpeed(EdStageWork.nScrollKindX, EdStageWork.nAutoScrollX);
        m_ScrollX.SetLimits(EdStageWork.nScrollLimitLeft, EdStageWork.nScrollLimitRight,
                            EdStageWork.bScrollLimitLeft, EdStageWork.bScrollLimitRight);
        m_ScrollY.SetGeometry(kAxisVertical, EdStageWork.nHeight, EdStageWork.nExtentY);
        m_ScrollY.SetAutoSpeed(EdStageWork.nScrollKindY, EdStageWork.nAutoScrollY);
        m_ScrollY.SetLimits(EdStageWork.nScrollLimitTop, EdStageWork.nScrollLimitBottom,
                            EdStageWork.bScrollLimitTop, EdStageWork.bScrollLimitBottom);

        // A map too large to hold is a failed allocation.
        if (!BlockMap.Build(EdStageWork)) Abort();

        // The hero, at its placement (or where a warp put it).
        m_nPlayers = 1;
        Player.Reset(1);
        ErrorLog("A");
        for (int i = 0; i < m_nPlayers; ++i) {
            cEdChara& r = EdStageWork.vecChara[heroIndex];
            if (Progress.m_bWarpPos) r.nFacing = static_cast<std::int8_t>(Progress.m_nWarpDir);
            cHeroActor& hero = Player[i];
            const int serial = m_nCharaSerial++;
            if (hero.Init(serial, r, (r.nPlaceX + 10.0) * kBlockDots + kHalfBlockDots,
                          (r.nPlaceY + 10.0) * kBlockDots + kHalfBlockDots) == kInstallFailed)
                Abort();
            if (Progress.m_bWarpPos) {
                r.nPlaceX = static_cast<std::int16_t>(Progress.m_nWarpX);
                r.nPlaceY = static_cast<std::int16_t>(Progress.m_nWarpY);
            }
            hero.SetBlockPos(r.nPlaceX, r.nPlaceY);
            const int dx = r.PlaceOffsetX(0, r.nFacing);
            const int dy = r.PlaceOffsetY(0, r.nFacing);
            hero.m_dX += dx;
            hero.m_dRight += dx;
            hero.m_dY += dy;
            hero.m_dBottom += dy;
            if (EdStageWork.bRestoreStatus)
                Progress.RestoreCarriedValues(i, &hero.m_nHp, &hero.m_nSp);
            hero.m_AnimPattern.SetSeq(hero.m_bFlying ? 2 : 0, 1);
        }
        ErrorLog("B");

        // The view centred on the hero.
        cHeroActor& hero = Player[0];
        m_ScrollX.m_dPos = hero.m_dX - kViewW / 2 + hero.m_nBoxW / 2;
        m_ScrollY.m_dPos = hero.m_dY - kViewH / 2 + hero.m_nBoxH / 2;
        m_ScrollX.Clamp();
        m_ScrollY.Clamp();
        hero.UpdateScreenRect();

        if (hero.m_Chara.nSightShape != 0) BuildSightMask(*this);
        m_vecStageVar.Clear();
        m_vecStageVar.resize(kStageVarCount, 0);

        // The computer's characters; one that carries an item takes that placement
        // away from the stage.
        ErrorLog("10");
        const int itemCount = static_cast<int>(EdStageWork.vecItem.Size());
        CheckedVector<std::uint8_t> itemTaken(static_cast<std::size_t>(itemCount), 0);
        for (int c = 0; c < static_cast<int>(EdStageWork.vecChara.Size()); ++c) {
            const cEdChara& r = EdStageWork.vecChara[c];
            if (r.nControl != 1) continue;
            const std::int32_t k = r.nPlaceValue;
            int result = 0;
            if (k < 0 || k >= itemCount) {
                // An index that names no placement (a damaged file) carries nothing.
                if (k != -1) ErrorLog("carried item %d of character %d ignored", k, c);
                result = PlaceChara(CharaList, r.nPlaceX, r.nPlaceY, m_nCharaSerial, r, nullptr);
            } else {
                cEdItem itemRecord = EdStageWork.vecItem[k];
                cItemObject carried;
                if (carried.Init(m_nItemSerial++, itemRecord, 1) == kUnrollFailed) Abort();
                result = PlaceChara(CharaList, r.nPlaceX, r.nPlaceY, m_nCharaSerial, r, &carried);
                itemTaken[k] = 1;
            }
            if (result == kInstallFailed) Abort();
        }

        // The items no character carries.
        ErrorLog("11");
        for (int k = 0; k < itemCount; ++k) {
            if (itemTaken[k]) continue;
            const cEdItem& r = EdStageWork.vecItem[k];
            if (PlaceItem(ItemList, r.nPlaceX, r.nPlaceY, m_nItemSerial, r) == kUnrollFailed)
                Abort();
        }
        ErrorLog("12");
        ErrorLog("C");
        ErrorLog("D");

        // Group lists: the hero first, then the characters in list order.
        auto addToGroup = [this](cActorBase& actor) {
            m_vecGroupList[GroupListIndex(actor.m_nGroup)].push_back(&actor);
        };
        addToGroup(hero);
        for (cCharaActor& chara : CharaList) addToGroup(chara);

        // Removal outside the areas, for the areas that apply.
        m_bRemoveOutsideChara = EdStageWork.AreaLimit[0].Applies() ? 1 : 0;
        m_bRemoveOutsideBlockChara = EdStageWork.AreaLimit[1].Applies() ? 1 : 0;
        m_bRemoveOutsideItem = EdStageWork.AreaLimit[2].Applies() ? 1 : 0;

        ClearMessages();
        m_listEffect.clear();
        m_ScreenColor.Reset();
        m_ScreenEffect.nNumber = 0;
        ClearPictures();
        // Each attempt starts with a wait that is not done.
        m_WaitControl.m_bDone = 0;

        BuildHitTicks(m_vecHitTicks, b, EdStageWork.nHitFrequency);

        m_nStageResult = 0;
        m_nCaptionFrames = 0;
        m_nCaptionFrames2 = 0;
        if (EdStageWork.bTimeLimit) {
            m_bNoTimeLimit = 0;
            m_nTime = EdStageWork.nTimeLimit;
        } else {
            m_nTime = 999;
            m_bNoTimeLimit = 1;
        }
        m_nPlayFrames = 0;
        m_nPlayTime = 0;
        m_vecGroupFlag.Clear();
        m_vecGroupFlag.resize(kGroupFlagCount, 0);
        m_nNextStage = 0;
        m_nTick = 0;
        m_nTickTotal = 0;

        Progress.m_nStageScore = 0;
        if (replay || (bEditorLaunch && bTestPlay)) {
            Progress.m_nScore = 0;
            Progress.m_nRestTime = 0;
            Progress.m_nClearTime = 0;
            Progress.m_nRestHP = 0;
            Progress.m_nRestSP = 0;
        }
        Progress.SaveCheckpoint();

        for (int i = 0; i < static_cast<int>(InputList.Size()); ++i) {
            InputList[i].History.Clear();
            InputList[i].ResetKeyLogs();
        }
        MenuCursor.Reset();

        // The time limit's second counter starts afresh; backgrounds scroll from 0.
        FrameSkipCounter(0, 60);
        for (int i = 0; i < static_cast<int>(EdStageWork.vecBackground.Size()); ++i) {
            EdStageWork.vecBackground[i].dOffsetX = 0;
            EdStageWork.vecBackground[i].dOffsetY = 0;
        }

        // At 8 bits the palette as it is now is the one fades return to.
        if (nBpp == 8) {
            std::memcpy(PaletteOrg, Palette, sizeof PaletteOrg);
            if (lpDDPalette) lpDDPalette->SetEntries(0, 0, 256, PaletteOrg);
        }

        SceneMgr.m_nFps = EdStageWork.nFps;

        // The flows that run before the stage starts; the setting decides whether
        // characters that are not present run theirs.
        const bool everyone = EdSystem.bCompat697 != 0;
        if (!everyone) UpdatePresence();
        hero.TriggerFlows(kTriggerBeforeStart);
        // By id: a flow may add or remove characters while the list is walked.
        std::vector<ObjectId> ids;
        CharaList.CollectIds(ids);
        for (ObjectId id : ids) {
            cCharaActor* chara = CharaList.Find(id);
            if (chara && (everyone || chara->m_bPresent)) chara->TriggerFlows(kTriggerBeforeStart);
        }
        for (ObjectId id : ids) {
            cCharaActor* chara = CharaList.Find(id);
            if (!chara) continue;
            if (chara->m_bVanish) {
                RemoveChara(*chara);
            } else if (chara->m_nHp <= 0) {
                HandleCharaDeath(*chara);
                if ((chara = CharaList.Find(id))) RemoveChara(*chara);
            }
        }

        UpdatePresence();
        m_nHudMode = EdStageWork.bStatusShown;
        // No screen effect runs: drawing goes to the back buffer itself.
        D3DSetVirBackBuffer(0);

        ErrorLog("Out SetStage");
    } catch (const SetStageAbort&) {
        m_bSetStageFailed = 1;
    } catch (const std::bad_alloc&) {
        m_bSetStageFailed = 1;
    }
    if (m_bSetStageFailed) {
        // Nothing half-built may be played or drawn while the close request is on its way:
        // the old hero, say, would still point into the block map just replaced.
        m_vecGroupList.Clear();
        m_vecGroupList.resize(kActorGroupCount);
        CharaList.Clear();
        ItemList.Clear();
        Player.Clear();
        ErrorBoxF("メモリ不足により、ステージの初期設定に失敗しました！");
        plat::PostMessage(hWndMain, plat::WM_CLOSE, 0, 0);
    }
}
