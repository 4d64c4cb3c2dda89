#include "stage/stage_end.h"

#include <limits>

#include "base/format.h"
#include "base/globals.h"
#include "base/log.h"
#include "base/paths.h"
#include "base/window_requests.h"
#include "data/option_record.h"
#include "data/stage_record.h"
#include "data/system_record.h"
#include "data/world_map.h"
#include "platform/clock.h"
#include "platform/messages.h"
#include "scene/game_progress.h"
#include "scene/menu_cursor.h"
#include "scene/name_entry_request.h"
#include "scene/ranking.h"
#include "scene/replay_log.h"
#include "scene/scene_manager.h"
#include "stage/game_scene.h"
#include "stage/hero_actor.h"
#include "stage/stage_load.h"
#include "stage/stage_objects.h"
#include "stage/wait_threads.h"

namespace {

constexpr int kSeStageClear = 14;
constexpr int kSeExtraLife = 15;
constexpr int kSeRankingEntry = 16;
constexpr std::int32_t kMaxLives = 99;
constexpr int kRankValueCount = 5;
// Frames the extra-life notice stays.

std::int32_t Saturate(std::int64_t value) {
    constexpr std::int64_t lo = std::numeric_limits<std::int32_t>::min();
    constexpr std::int64_t hi = std::numeric_limits<std::int32_t>::max();
    return static_cast<std::int32_t>(value < lo ? lo : value > hi ? hi : value);
}

bool DirectPlay() {
    return bTestPlay != 0;
}

// Whether ranking table `table` of the play mode is switched on in the System data.
bool TableOn(int mode, int table) {
    if (mode < 0 || mode >= static_cast<int>(EdSystem.vecRankingRules.Size())) return false;
    const CheckedVector<std::uint8_t>& on = EdSystem.vecRankingRules[mode].vecTableOn;
    return table < static_cast<int>(on.Size()) && on[table] != 0;
}

bool ResultLineOn(int table) {
    return table < static_cast<int>(EdStageWork.vecResultLine.Size()) &&
           EdStageWork.vecResultLine[table] != 0;
}

// The place the value would take in ranking table `table` of the stage's tables.
int FindRankSlot(int table, std::int32_t value) {
    if (table < 0 || table >= static_cast<int>(Ranking.m_vecTable.Size())) return -1;
    return Ranking.m_vecTable[table].FindSlot(value);
}

// The next stage of the series loaded into EdStage: true when it exists and loaded.
bool LoadNextStage(cGameScene& scene) {
    std::string path;
    if (!MakeNextStageFileName(scene, path, scene.m_nNextStage)) return false;
    if (LoadStageForPlay(path, 1, &EdStage) != 1) return false;
    CurReplay.Clear();
    PrevReplay.Clear();
    return true;
}

void StoreHeroes(const cGameScene& scene) {
    for (int i = 0; i < static_cast<int>(Player.Size()); ++i) {
        cHeroActor& hero = Player[i];
        Progress.StoreCarriedStatus(i, hero.m_Chara, hero.m_nHp, hero.m_nSp,
                                    hero.m_CharaEffect.nNumber, hero.m_CharaEffect.nMode,
                                    hero.m_CharaEffect.bRepeat, scene.m_nTime, Progress.m_nLives,
                                    Progress.m_nStageBgm);
    }
}

// The story clear of the entered map entry: its switch on and the stage's best score kept.
void RecordStoryClear() {
    GameProgress& p = Progress;
    if (p.m_nClearSwitch >= 0 && p.m_nClearSwitch < static_cast<int>(p.m_vecSwitch.Size())) {
        p.m_vecSwitch[p.m_nClearSwitch] = 1;
    } else {
        ReportLog("stage clear : switch %d does not exist; no switch is set", p.m_nClearSwitch);
    }
    p.RecordStageScore(p.m_strStageBase, p.m_nScore);
}

// The challenge stage m_nClearSwitch (from 1) is cleared: its best score, the next stage
// opened when it was the highest open one, and the challenge file written.
void RecordChallengeClear() {
    GameProgress& p = Progress;
    const int index = p.m_nClearSwitch - 1;
    if (index < 0 || index >= static_cast<int>(p.m_vecChallenge.Size())) {
        ReportLog("stage clear : challenge stage %d does not exist; nothing is recorded",
                  p.m_nClearSwitch);
        return;
    }
    ChallengeRecord& record = p.m_vecChallenge[index];
    record.m_bCleared = 1;
    if (p.m_nScore > record.m_nBest) {
        p.m_nTotalBest = Saturate(std::int64_t{p.m_nTotalBest} + p.m_nScore - record.m_nBest);
        record.m_nBest = p.m_nScore;
    }
    if (p.m_nChallengeOpen <= p.m_nClearSwitch) {
        p.m_nChallengeOpen = p.m_nClearSwitch + 1;
        if (p.m_nChallengeOpen > EdSystem.nChallengeStages)
            p.m_nChallengeOpen = EdSystem.nChallengeStages;
    }
    p.SaveChallenge();
}

}  // namespace

void GiveStageTotals(cGameScene& scene) {
    GameProgress& p = Progress;
    const std::int32_t old = p.m_nScore;
    p.m_nScore = Saturate(std::int64_t{old} + p.m_nStageScore);
    if (scene.m_bNoTimeLimit == 0)
        p.m_nRestTime = Saturate(std::int64_t{p.m_nRestTime} + scene.m_nTime);
    p.m_nClearTime = Saturate(std::int64_t{p.m_nClearTime} + scene.m_nPlayTime);
    if (!Player.Empty()) {
        p.m_nRestHP = Saturate(std::int64_t{p.m_nRestHP} + Player[0].m_nHp);
        p.m_nRestSP = Saturate(std::int64_t{p.m_nRestSP} + Player[0].m_nSp);
    }

    const std::int32_t step = EdSystem.nExtraLifeScore;
    if (p.m_nLives == kUnlimitedLives || EdSystem.bExtraLife == 0 || step == 0) return;
    std::int64_t lives = std::int64_t{p.m_nScore} / step - std::int64_t{old} / step;
    // Lives stop at 99: a step past that gives nothing, and shows nothing (a small score
    // step would otherwise queue a notice for every point of a large stage score).
    if (lives > kMaxLives - p.m_nLives) lives = kMaxLives - p.m_nLives;
    for (std::int64_t i = 0; i < lives; ++i) {
        ++p.m_nLives;
        PlaySystemSe(kSeExtraLife);
        // The extra-life mark rises over the hero while the play stands still.
        MessageSettings notice =
            RisingNotice(MESSAGE_EXTRA_LIFE, Player.Empty() ? 0 : Player[0].m_nSerial);
        notice.bWait = 1;
        const MessageWindow* window = scene.AddMessage(notice);
        scene.m_WaitControl.Set(WAIT_EXTRA_LIFE, 0, kMessageIconFrames, 0);
        RunPauseThread(scene, 1);
        scene.RemoveMessage(window);
        if (scene.m_bCloseRequest) {
            plat::PostMessage(hWndMain, plat::WM_CLOSE, 0, 0);
            return;
        }
        while (bActiveApp == 0 && bQuit == 0) plat::Sleep(1);
    }
}

void EndStage(cGameScene& scene) {
    PlaySystemSe(kSeStageClear);
    GiveStageTotals(scene);
    scene.m_bRankingDone = 0;
    scene.m_bRankAchieved = 0;
    scene.m_vecRank.resize(kRankValueCount, -1);
    for (std::int32_t& rank : scene.m_vecRank) rank = -1;
    if (!DirectPlay()) {
        if (SceneMgr.m_bRanking == 0 || !IsLastStage(scene, scene.m_nNextStage)) return;
    }
    const GameProgress& p = Progress;
    scene.m_vecRankValue.resize(kRankValueCount, 0);
    const std::int32_t values[kRankValueCount] = {p.m_nScore, p.m_nRestTime, p.m_nClearTime,
                                                  p.m_nRestHP, p.m_nRestSP};
    for (int i = 0; i < kRankValueCount; ++i) scene.m_vecRankValue[i] = values[i];
    // Neither a play the editor started nor a play-back (which has no ranking folder, so an
    // entry could never be kept) looks up places.
    if (bEditorLaunch || SceneMgr.m_nTitleChoice == TITLE_REPLAY) return;
    for (int i = 0; i < kRankValueCount; ++i) {
        if (!TableOn(SceneMgr.m_nPlayMode, i) || !ResultLineOn(i)) continue;
        scene.m_vecRank[i] = FindRankSlot(i, values[i]);
        if (scene.m_vecRank[i] != -1) scene.m_bRankAchieved = 1;
    }
}

int MakeNextStageFileName(cGameScene& scene, std::string& out, int number) {
    out.clear();
    if (Progress.m_bSeries == 0 || scene.m_nNextStage == 0) return 0;
    std::string path;
    if (!scene.m_strNextStageBase.empty()) {
        const std::string base =
            scene.m_strNextStageBase.substr(0, scene.m_strNextStageBase.size() - 1);
        FormatString(path, "%s.%s", base.c_str(), "stg4");
    } else {
        if (Progress.m_strStageBase.empty()) return 0;
        const std::string base =
            Progress.m_strStageBase.substr(0, Progress.m_strStageBase.size() - 1);
        FormatString(path, "%s-%d.%s", base.c_str(), number, "stg4");
    }
    if (!FindLatestNumberedFile(path, "stg4")) return 0;
    out = path;
    return 1;
}

int IsLastStage(cGameScene& scene, int number) {
    std::string path;
    return MakeNextStageFileName(scene, path, number) ? 0 : 1;
}

int ChooseNextScene(cGameScene& scene) {
    GameProgress& p = Progress;
    if (EdStageWork.bStoreStatus != 0) StoreHeroes(scene);
    const std::int32_t saved = p.m_nSeriesIndex;
    switch (SceneMgr.m_nTitleChoice) {
        case 0:
        case 1: {
            if (p.m_bSeries != 0 && scene.m_nNextStage != 0) {
                p.m_nSeriesIndex = scene.m_nNextStage;
                if (LoadNextStage(scene)) return SCENE_GAME;
            }
            RecordStoryClear();
            // A stage not entered from the map in this run goes back to the map.
            const int afterClear = p.m_pPlayingEntry ? p.m_pPlayingEntry->nAfterClear : 0;
            if (afterClear == 1) {
                p.StartNextRound();
                p.m_nSeriesIndex = saved;
                return SCENE_WORLDMAP;
            }
            if (afterClear == 2) {
                MenuCursor.Current()->nRow = SceneMgr.m_nTitleChoice;
                return SCENE_TITLE;
            }
            p.m_nSeriesIndex = saved;
            return SCENE_WORLDMAP;
        }
        case 2:
            if (p.m_bSeries != 0 && scene.m_nNextStage != 0) {
                p.m_nSeriesIndex = scene.m_nNextStage;
                if (LoadNextStage(scene)) return SCENE_GAME;
            }
            RecordChallengeClear();
            p.m_nSeriesIndex = saved;
            return SCENE_STAGESELECT;
        case 3:
            if (p.m_bSeries != 0 && !DirectPlay()) {
                if (scene.m_nNextStage != 0) {
                    p.m_nSeriesIndex = scene.m_nNextStage;
                    if (LoadNextStage(scene)) return SCENE_GAME;
                }
                p.m_nSeriesIndex = saved;
                return SCENE_TITLE;
            }
            // The same stage again (the scene's leave reads a single free stage again).
            p.m_bWarpPos = 0;
            return SCENE_GAME;
        case 4:
            p.RestoreCheckpoint(1);
            return SCENE_GAME;
        default:
            return SCENE_STAGESELECT;
    }
}

void EnterRanking(cGameScene& scene) {
    if (SceneMgr.m_bRanking == 0 || scene.m_bRankAchieved == 0 || scene.m_bRankingDone != 0) return;
    GameProgress& p = Progress;
    if (Option.nRankingMode == 0 || Option.nRankingMode == 2) {
        scene.m_strRankName = p.m_strPlayerName;
        RequestNameEntry();
        p.m_strPlayerName = scene.m_strRankName;
    } else {
        scene.m_strRankName = Option.strRankingName;
    }
    PlaySystemSe(kSeRankingEntry);
    for (int t = 0; t < kRankValueCount && t < static_cast<int>(scene.m_vecRank.Size()); ++t) {
        if (scene.m_vecRank[t] == -1 || t >= static_cast<int>(Ranking.m_vecTable.Size())) continue;
        const std::int32_t value =
            t < static_cast<int>(scene.m_vecRankValue.Size()) ? scene.m_vecRankValue[t] : 0;
        Ranking.m_vecTable[t].Add(scene.m_strRankName, value);
    }
    SaveRankingFile(Ranking, SceneMgr.m_nPlayMode, p.m_strStageBase);
    scene.m_bRankingDone = 1;
    RunRankingThread(scene);
}
