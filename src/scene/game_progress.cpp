#include "scene/game_progress.h"

#include <cstdlib>
#include <cstring>
#include <limits>
#include <string>

#include "base/globals.h"
#include "base/paths.h"
#include "data/stage_record.h"
#include "data/system_record.h"
#include "data/world_map.h"
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

// Totals are summed in 64 bits and held at the limits of their 32-bit fields.
std::int32_t Saturate(std::int64_t value) {
    constexpr std::int64_t lo = std::numeric_limits<std::int32_t>::min();
    constexpr std::int64_t hi = std::numeric_limits<std::int32_t>::max();
    return static_cast<std::int32_t>(value < lo ? lo : value > hi ? hi : value);
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

void GameProgress::RecordStageScore(const std::string& key, std::int32_t value) {
    for (StageScore& score : m_vecStageScore) {
        if (score.m_strKey != key) continue;
        if (score.m_nValue >= value) return;
        m_nTotalBest = Saturate(std::int64_t{m_nTotalBest} + value - score.m_nValue);
        score.m_nValue = value;
        return;
    }
    StageScore score;
    score.m_strKey = key;
    score.m_nValue = value;
    m_vecStageScore.push_back(score);
    m_nTotalBest = Saturate(std::int64_t{m_nTotalBest} + value);
}

std::int32_t GameProgress::GetStageScore(const std::string& key) const {
    for (const StageScore& score : m_vecStageScore)
        if (score.m_strKey == key) return score.m_nValue;
    return 0;
}

void GameProgress::RecountTotal() {
    std::int64_t total = 0;
    for (const StageScore& score : m_vecStageScore)
        if (EdWorldMap.HasStageName(score.m_strKey)) total += score.m_nValue;
    m_nTotalBest = Saturate(total);
}

void GameProgress::StoreCarriedStatus(int hero, cEdChara& record, std::int32_t hp, std::int32_t sp,
                                      std::int32_t effect, std::int32_t effectMode,
                                      std::int32_t effectRepeat, std::int32_t restTime,
                                      std::int32_t lives, std::int32_t stageBgm) {
    // A hero beyond the stored ones gets a record of its own; a number no hero can have
    // stores nothing.
    constexpr int kMaxHeroes = 8;
    if (hero < 0 || hero >= kMaxHeroes) return;
    while (static_cast<int>(m_vecCarryChara.Size()) <= hero) m_vecCarryChara.emplace_back();
    if (m_vecCarryFlags.Size() < static_cast<std::size_t>(kCarryGroupCount))
        m_vecCarryFlags.resize(kCarryGroupCount, 0);
    m_bCarried = 1;
    ProgressChara& stored = m_vecCarryChara[hero];
    stored.m_Chara.Rebind(kCurrentDataVersion);
    record.Rebind(kCurrentDataVersion);
    for (int g = 0; g < kCarryGroupCount; ++g) {
        if (EdSystem.vecCarryMask[g] == 0) continue;
        switch (g) {
            case 4:
                // The running character effect, not the record's starting one.
                stored.m_Chara.nCharaEffect1 = static_cast<std::int16_t>(effect);
                stored.m_Chara.nCharaEffect1Mode = static_cast<std::int8_t>(effectMode);
                stored.m_Chara.nCharaEffect1Param = static_cast<std::uint8_t>(effectRepeat);
                break;
            case kGroupHp:
                stored.m_nHp = hp;
                break;
            case kGroupSp:
                stored.m_nSp = sp;
                break;
            case kGroupFlows:
                stored.m_Chara.vecFlow = record.vecFlow;
                break;
            case kGroupRestTime:
                stored.m_nRestTime = restTime;
                break;
            case kGroupLives:
                stored.m_nLives = lives;
                break;
            case kGroupStageBgm:
                stored.m_nStageBgm = stageBgm;
                break;
            default:
                for (int i = 0; i < kCarryGroups[g].nCount; ++i)
                    CopyCharaField(stored.m_Chara, record, kCarryGroups[g].nFields[i]);
                break;
        }
        m_vecCarryFlags[g] = 1;
    }
}

void GameProgress::StartNextRound() {
    if (m_nPlayThrough < std::numeric_limits<std::int32_t>::max()) ++m_nPlayThrough;
    for (std::int32_t& s : m_vecSwitch) s = 0;
    m_nMapX = EdWorldMap.nStartX;
    m_nMapY = EdWorldMap.nStartY;
}

void GameProgress::CycleRankingTable(int mode, int step) {
    if (mode < 0 || mode >= static_cast<int>(EdSystem.vecRankingRules.Size())) return;
    const CheckedVector<std::uint8_t>& flags = EdSystem.vecRankingRules[mode].vecTableOn;
    const auto enabled = [&](int table) {
        return table < static_cast<int>(flags.Size()) && flags[table] != 0;
    };
    int count = 0;
    for (int t = 0; t < kRankingTableCount; ++t) count += enabled(t) ? 1 : 0;
    if (count == 0) return;
    // From a table outside the five the advance would never meet an enabled one.
    int table = m_nRankTable >= 0 && m_nRankTable < kRankingTableCount ? m_nRankTable : 0;
    const int direction = step < 0 ? kRankingTableCount - 1 : 1;
    // After the first step the walk stands on an enabled table, and every `count` steps
    // from there come back to it.
    std::int64_t steps = std::llabs(std::int64_t{step});
    if (steps > count) steps = 1 + (steps - 1) % count;
    for (std::int64_t k = 0; k < steps; ++k) {
        do {
            table = (table + direction) % kRankingTableCount;
        } while (!enabled(table));
    }
    while (!enabled(table)) table = (table + 1) % kRankingTableCount;
    m_nRankTable = table;
}
