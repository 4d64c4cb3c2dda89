// The player's progress: what is carried from stage to stage and kept from one start of the
// program to the next (lives and score, the place on the world map, the switches and common
// variables of the flows, best scores, the challenge stages, the hero's carried statuses, a
// checkpoint for retries, a pending warp position and a few preferences).
//
// The record is also the body of every save file and the end of every replay; reading and
// writing those files (the list tail after the registered members) come with the saves.
#pragma once

#include <cstdint>
#include <string>
#include <string_view>

#include "base/checked_vector.h"
#include "data/chara_record.h"
#include "data/serial_record.h"

class cEdMapStage;
class cEdStage;

// Lives of this value never run out.
inline constexpr std::int32_t kUnlimitedLives = 999999;
inline constexpr int kSwitchCount = 1000;
inline constexpr int kCommonVariableCount = 256;
inline constexpr int kCarryGroupCount = 25;

// The local time of a save, in the 16-byte layout the save files keep.
struct SaveTime {
    std::uint16_t wYear = 0;
    std::uint16_t wMonth = 0;
    std::uint16_t wDayOfWeek = 0;
    std::uint16_t wDay = 0;
    std::uint16_t wHour = 0;
    std::uint16_t wMinute = 0;
    std::uint16_t wSecond = 0;
    std::uint16_t wMilliseconds = 0;
};

// The best score of one stage (story mode), by stage key.
class StageScore : public SerialRecord {
public:
    StageScore();
    StageScore(const StageScore&) = default;
    StageScore& operator=(const StageScore&) = default;
    void Rebind(std::uint32_t version) override;

    std::int32_t m_nValue = 0;
    std::string m_strKey;
};

// One challenge stage: cleared, and its best score.
class ChallengeRecord : public SerialRecord {
public:
    ChallengeRecord();
    ChallengeRecord(const ChallengeRecord&) = default;
    ChallengeRecord& operator=(const ChallengeRecord&) = default;
    void Rebind(std::uint32_t version) override;

    std::int32_t m_bCleared = 0;
    std::int32_t m_nBest = 0;
};

// The statuses one hero carries into the next stage: a whole character record for the
// character-record groups, and the five values of the other groups.
class ProgressChara : public SerialRecord {
public:
    ProgressChara();
    ProgressChara(const ProgressChara&) = default;
    ProgressChara& operator=(const ProgressChara&) = default;
    void Rebind(std::uint32_t version) override;

    cEdChara m_Chara;
    std::int32_t m_nHp = 0;        // group 11
    std::int32_t m_nSp = 0;        // group 12
    std::int32_t m_nRestTime = 0;  // group 22
    std::int32_t m_nLives = 0;     // group 23
    std::int32_t m_nStageBgm = 0;  // group 24
};

class GameProgress : public SerialRecord {
public:
    GameProgress();
    GameProgress(const GameProgress&) = default;
    GameProgress& operator=(const GameProgress&) = default;

    void Rebind(std::uint32_t version) override;

    // The empty progress: registered members 0 and strings empty, the carry flags 0, one
    // default carried-status record, the switches 0 but switch 0 on, the variables 0, no
    // stage scores or challenge records, one challenge stage open, no save slot, the player
    // name "aaa". The checkpoint stays as it is.
    void Reset();
    // The carried-status list becomes n default records.
    void ResetCarriedStatus(int n);
    // The score and the four result values 0 (the stage score, the total of the best scores
    // and the lives stay).
    void ResetScores();

    // The stage key of a stage file: the path without its extension, ending in the dot; a
    // file of a numbered series ("-1" in its name, the last one counts) loses the series
    // number too and sets m_bSeries. A null path is taken as "".
    void SetStageFile(const char* path);

    // The variables, lives and score at the start of an attempt.
    void SaveCheckpoint();
    // Back to the checkpoint: a retry (flag not 0) restores variables, lives and score; a
    // lost life (flag 0) the score, and the variables only where the System asks for it.
    // Returns the restored score.
    std::int32_t RestoreCheckpoint(int flag);

    // The carried statuses of hero `hero` into its character record and the running stage
    // (time limit, music) and the lives, for the groups that are both carried (System carry
    // mask) and stored. Nothing while nothing was stored.
    void RestoreCarriedStatus(int hero, cEdChara& record);
    // The carried HP and SP, where carried and stored; the out values stay otherwise.
    void RestoreCarriedValues(int hero, std::int32_t* lpHp, std::int32_t* lpSp);
    // A lost life forgets the carried groups that the System's reset mask names.
    void ClearMaskedCounters();

    // Registered members, in declaration order (the file order is that of Rebind).
    std::int32_t m_bCarried = 0;
    CheckedVector<std::int32_t> m_vecCarryFlags;
    CheckedVector<ProgressChara> m_vecCarryChara;
    std::int32_t m_nMapX = 0;
    std::int32_t m_nMapY = 0;
    // The world-map entry whose stage is being played: meaningful only between entering a
    // stage from the map and the end of that stage. Files keep a 32-bit word in its place
    // that means nothing after loading.
    cEdMapStage* m_pPlayingEntry = nullptr;
    std::int32_t m_nPlayingEntryWord = 0;
    CheckedVector<std::int32_t> m_vecSwitch;
    std::int32_t m_nPlayThrough = 0;
    CheckedVector<std::int32_t> m_vecVariable;
    std::string m_strStageBase;
    std::string m_strExtra;
    std::int32_t m_nClearSwitch = 0;
    std::int32_t m_nSeriesIndex = 0;
    std::int32_t m_nContinueLives = 0;
    std::int32_t m_nLives = 0;
    std::int32_t m_nStageScore = 0;
    std::int32_t m_nScore = 0;
    std::int32_t m_nTotalBest = 0;
    std::int32_t m_nRestTime = 0;
    std::int32_t m_nClearTime = 0;
    std::int32_t m_nRestHP = 0;
    std::int32_t m_nRestSP = 0;
    std::int32_t m_bSeries = 0;
    std::int32_t m_nStageBgm = 0;
    std::int32_t m_bBgmLoop = 0;
    std::int32_t m_nMapFacing = 0;
    std::int32_t m_bBackToMap = 0;
    std::int32_t m_nEntryX = 0;
    std::int32_t m_nEntryY = 0;
    CheckedVector<StageScore> m_vecStageScore;
    std::int32_t m_nChallengeOpen = 0;
    CheckedVector<ChallengeRecord> m_vecChallenge;
    CheckedVector<std::int32_t> m_vecCheckVariable;
    std::int32_t m_nCheckLives = 0;
    std::int32_t m_nCheckScore = 0;
    std::int32_t m_nSlot = 0;
    std::int32_t m_bAutoSave = 0;
    SaveTime m_SaveTime;
    std::string m_strPlayerName;
    std::int32_t m_bShowRanking = 0;
    std::int32_t m_nRankTable = 0;
    std::int32_t m_bWarpPos = 0;
    std::int32_t m_nWarpX = 0;
    std::int32_t m_nWarpY = 0;
    std::int32_t m_nWarpDir = 0;
};

// The live progress, and the snapshots taken when an attempt is set up for the current and
// the previous replay.
extern GameProgress Progress;
extern GameProgress CurReplayProgress;
extern GameProgress PrevReplayProgress;
