#include "scene/game_progress.h"

#include <cstring>
#include <string>

#include "base/globals.h"
#include "base/paths.h"
#include "data/stage_record.h"
#include "data/system_record.h"
#include "scene/scene_manager.h"

GameProgress Progress;
GameProgress CurReplayProgress;
GameProgress PrevReplayProgress;

namespace {

// Registered fields of the character record (numbered from 0 in file order at the current
// version) that each carry group stores. Groups 11, 12 and 22 to 24 are values of their own,
// group 21 the flow list.
struct CarryGroup {
    int nFields[3];
    int nCount;
};
constexpr CarryGroup kCarryGroups[21] = {
    {{13, 12, 14}, 3},  // 0 graphic source, graphic, pattern base
    {{15}, 1},          // 1 animation set
    {{16}, 1},          // 2 Z order
    {{17}, 1},          // 3 transparency
    {{18, 19, 20}, 3},  // 4 start effect, its mode and parameter
    {{30}, 1},          // 5 fixed facing
    {{29}, 1},          // 6 block collision
    {{31}, 1},          // 7 shot collision
    {{34}, 1},          // 8 giant size
    {{35}, 1},          // 9 auto-scroll synchronisation
    {{36, 37}, 2},      // 10 sight shape and sight
    {{}, 0},            // 11 HP (a value of its own)
    {{}, 0},            // 12 SP
    {{38}, 1},          // 13 max HP
    {{39}, 1},          // 14 max SP
    {{41}, 1},          // 15 hit-box kind
    {{42}, 1},          // 16 body-attack power
    {{43}, 1},          // 17 body-attack impact
    {{45}, 1},          // 18 defence
    {{46}, 1},          // 19 impact resistance
    {{40}, 1},          // 20 stop tendency
};
constexpr int kGroupFlows = 21;
constexpr int kGroupRestTime = 22;
constexpr int kGroupLives = 23;
constexpr int kGroupStageBgm = 24;
constexpr int kGroupHp = 11;
constexpr int kGroupSp = 12;

// Copies registered field `index` of one character record into another.
void CopyCharaField(cEdChara& dst, cEdChara& src, int index) {
    if (index >= src.FieldCount() || index >= dst.FieldCount()) return;
    const FieldEntry& s = src.FieldAt(index);
    const FieldEntry& d = dst.FieldAt(index);
    if (s.size != d.size || s.count != d.count || !s.address || !d.address) return;
    std::memcpy(d.address, s.address, static_cast<std::size_t>(s.size) * s.count);
}

bool Carried(const GameProgress& p, int group) {
    return EdSystem.vecCarryMask[group] != 0 && p.m_vecCarryFlags[group] != 0;
}

}  // namespace

// ---------------------------------------------------------------- sub-records

StageScore::StageScore() {
    Rebind(kCurrentDataVersion);
    SerialRecord::Reset();
}

void StageScore::Rebind(std::uint32_t) {
    ClearTables();
    AddInt(&m_nValue, 1, "m_nValue");
    AddString(&m_strKey, 1, "m_strKey");
}

ChallengeRecord::ChallengeRecord() {
    Rebind(kCurrentDataVersion);
    SerialRecord::Reset();
}

void ChallengeRecord::Rebind(std::uint32_t) {
    ClearTables();
    AddInt(&m_bCleared, 1, "m_bCleared");
    AddInt(&m_nBest, 1, "m_nBest");
}

ProgressChara::ProgressChara() {
    Rebind(kCurrentDataVersion);
    SerialRecord::Reset();
}

void ProgressChara::Rebind(std::uint32_t) {
    ClearTables();
    AddInt(&m_nHp, 1, "m_nHp");
    AddInt(&m_nSp, 1, "m_nSp");
    AddInt(&m_nRestTime, 1, "m_nRestTime");
    AddInt(&m_nLives, 1, "m_nLives");
    AddInt(&m_nStageBgm, 1, "m_nStageBgm");
}

// ---------------------------------------------------------------- the record

GameProgress::GameProgress() {
    Rebind(kCurrentDataVersion);
    // A restore before the first checkpoint finds the variables of a new game, never an
    // empty list.
    m_vecCheckVariable.resize(kCommonVariableCount);
    Reset();
}

void GameProgress::Rebind(std::uint32_t version) {
    ClearTables();
    AddInt(&m_bCarried, 1, "m_bCarried");
    AddInt(&m_nMapX, 1, "m_nMapX");
    AddInt(&m_nMapY, 1, "m_nMapY");
    AddInt(&m_nPlayingEntryWord, 1, "m_pPlayingEntry");
    AddInt(&m_nPlayThrough, 1, "m_nPlayThrough");
    AddInt(&m_nClearSwitch, 1, "m_nClearSwitch");
    AddInt(&m_nSeriesIndex, 1, "m_nSeriesIndex");
    AddInt(&m_nContinueLives, 1, "m_nContinueLives");
    AddInt(&m_nLives, 1, "m_nLives");
    AddInt(&m_nStageScore, 1, "m_nStageScore");
    AddInt(&m_nScore, 1, "m_nScore");
    AddInt(&m_nTotalBest, 1, "m_nTotalBest");
    AddInt(&m_nRestTime, 1, "m_nRestTime");
    AddInt(&m_nClearTime, 1, "m_nClearTime");
    if (version >= 182) {
        AddInt(&m_nRestHP, 1, "m_nRestHP");
        AddInt(&m_nRestSP, 1, "m_nRestSP");
    }
    AddInt(&m_bSeries, 1, "m_bSeries");
    AddInt(&m_nStageBgm, 1, "m_nStageBgm");
    if (version >= 166) AddInt(&m_bBgmLoop, 1, "m_bBgmLoop");
    if (version >= 194) AddInt(&m_nMapFacing, 1, "m_nMapFacing");
    if (version >= 190) AddInt(&m_bBackToMap, 1, "m_bBackToMap");
    if (version >= 191) {
        AddInt(&m_nEntryX, 1, "m_nEntryX");
        AddInt(&m_nEntryY, 1, "m_nEntryY");
    }
    AddInt(&m_nChallengeOpen, 1, "m_nChallengeOpen");
    AddInt(&m_nSlot, 1, "m_nSlot");
    if (version >= 169) AddInt(&m_bAutoSave, 1, "m_bAutoSave");
    AddInt(&m_bShowRanking, 1, "m_bShowRanking");
    AddInt(&m_nRankTable, 1, "m_nRankTable");
    if (version >= 678) {
        AddInt(&m_bWarpPos, 1, "m_bWarpPos");
        AddInt(&m_nWarpX, 1, "m_nWarpX");
        AddInt(&m_nWarpY, 1, "m_nWarpY");
    }
    if (version >= 679) AddInt(&m_nWarpDir, 1, "m_nWarpDir");
    AddString(&m_strStageBase, 1, "m_strStageBase");
    if (version >= 724) AddString(&m_strExtra, 1, "m_strExtra");
    AddString(&m_strPlayerName, 1, "m_strPlayerName");
}

void GameProgress::Reset() {
    SerialRecord::Reset();
    m_pPlayingEntry = nullptr;
    m_vecCarryFlags.Clear();
    m_vecCarryFlags.resize(kCarryGroupCount, 0);
    ResetCarriedStatus(1);
    m_vecSwitch.Clear();
    m_vecSwitch.resize(kSwitchCount, 0);
    m_vecSwitch[0] = 1;
    m_vecVariable.Clear();
    m_vecVariable.resize(kCommonVariableCount, 0);
    m_vecStageScore.Clear();
    m_vecChallenge.Clear();
    m_nChallengeOpen = 1;
    m_nSlot = -1;
    m_strPlayerName = "aaa";
}

void GameProgress::ResetCarriedStatus(int n) {
    m_vecCarryChara.Clear();
    const ProgressChara blank;
    for (int i = 0; i < n; ++i) m_vecCarryChara.push_back(blank);
}

void GameProgress::ResetScores() {
    m_nScore = 0;
    m_nRestTime = 0;
    m_nClearTime = 0;
    m_nRestHP = 0;
    m_nRestSP = 0;
}

void GameProgress::SetStageFile(const char* path) {
    std::string key = path ? path : "";
    m_bSeries = 0;
    // The last "-1" marks the first stage of a numbered series ("-12" counts as well): the
    // key ends where it begins. Neither byte can be the second byte of a double-byte
    // character, so the scan needs no character boundaries.
    std::size_t series = std::string::npos;
    for (std::size_t i = key.size(); i-- > 1;) {
        if (key[i - 1] == '-' && key[i] == '1') {
            series = i - 1;
            break;
        }
    }
    if (series != std::string::npos) {
        m_bSeries = 1;
        key.resize(series);
        key += '.';
    } else if (const std::size_t dot = key.rfind('.'); dot != std::string::npos) {
        key.resize(dot + 1);
    } else {
        key.clear();
    }
    m_strStageBase = key;
}

void GameProgress::SaveCheckpoint() {
    m_vecCheckVariable = m_vecVariable;
    m_nCheckLives = m_nLives;
    m_nCheckScore = m_nScore;
}

std::int32_t GameProgress::RestoreCheckpoint(int flag) {
    bool variables = true;
    if (flag == 0) {
        if (SceneMgr.m_nPlayMode == PLAYMODE_REPLAY) {
            variables = true;
        } else if (bTestPlay) {
            variables = EdSystem.bDirectRestoreVars != 0;
        } else if (SceneMgr.m_nPlayMode == PLAYMODE_STORY) {
            variables = EdSystem.bStoryRestoreVars != 0;
        } else if (SceneMgr.m_nPlayMode == PLAYMODE_CHALLENGE) {
            variables = EdSystem.bChallengeRestoreVars != 0;
        } else {
            variables = EdSystem.bFreeRestoreVars != 0;
        }
    }
    if (variables) m_vecVariable = m_vecCheckVariable;
    if (flag != 0) m_nLives = m_nCheckLives;
    m_nScore = m_nCheckScore;
    return m_nScore;
}

void GameProgress::RestoreCarriedStatus(int hero, cEdChara& record) {
    if (m_bCarried == 0) return;
    ProgressChara& stored = m_vecCarryChara[hero];
    // The field tables name the members of the current version.
    stored.m_Chara.Rebind(kCurrentDataVersion);
    record.Rebind(kCurrentDataVersion);
    for (int g = 0; g <= kGroupFlows; ++g) {
        if (g == kGroupHp || g == kGroupSp || !Carried(*this, g)) continue;
        if (g == kGroupFlows) {
            record.vecFlow = stored.m_Chara.vecFlow;
            continue;
        }
        for (int i = 0; i < kCarryGroups[g].nCount; ++i)
            CopyCharaField(record, stored.m_Chara, kCarryGroups[g].nFields[i]);
        // A stored graphic 0 would show nothing: it comes back as graphic 1.
        if (g == 0 && record.nGraphic == 0) record.nGraphic = 1;
    }
    if (Carried(*this, kGroupRestTime)) EdStageWork.nTimeLimit = stored.m_nRestTime;
    if (Carried(*this, kGroupLives)) m_nLives = stored.m_nLives;
    if (Carried(*this, kGroupStageBgm)) EdStageWork.nBgm = stored.m_nStageBgm;
}

void GameProgress::RestoreCarriedValues(int hero, std::int32_t* lpHp, std::int32_t* lpSp) {
    if (m_bCarried == 0) return;
    ProgressChara& stored = m_vecCarryChara[hero];
    if (lpHp && Carried(*this, kGroupHp)) *lpHp = stored.m_nHp;
    if (lpSp && Carried(*this, kGroupSp)) *lpSp = stored.m_nSp;
}

void GameProgress::ClearMaskedCounters() {
    for (int g = 0; g < static_cast<int>(m_vecCarryFlags.Size()); ++g)
        if (EdSystem.vecCounterResetMask[g] != 0) m_vecCarryFlags[g] = 0;
}
