#include "stage/state_log.h"

#include <cstdio>

#include "flow/flow_instance.h"
#include "platform/frame.h"
#include "platform/random.h"
#include "scene/game_progress.h"
#include "stage/game_scene.h"
#include "stage/stage_objects.h"

namespace {

void AddMessage(StateHash& h, const MessageWindow& w) {
    h.Add(w.nKind);
    h.Add(static_cast<std::uint64_t>(w.strText.size()));
    h.AddBytes(w.strText.data(), w.strText.size());
    h.Add(w.nPosition);
    h.Add(w.nWidth);
    h.Add(w.nHeight);
    h.Add(w.nLastX);
    h.Add(w.nLastY);
    h.Add(w.nRemaining);
    h.Add(w.dOpening);
    h.Add(w.bManagedById);
    h.Add(w.nId);
}

void AddActor(StateHash& h, const cActorBase& a) {
    h.Add(a.m_dX);
    h.Add(a.m_dY);
    h.Add(a.m_dVX);
    h.Add(a.m_dVY);
    h.Add(a.m_dMoveVX);
    h.Add(a.m_dMoveVY);
    h.Add(a.m_nHp);
    h.Add(a.m_bDying);
    h.Add(a.m_bFalling);
    h.Add(a.m_bJumping);
    h.Add(a.m_bAirborne);
    h.Add(a.m_nJumpCount);
    h.Add(a.m_bContactLeft);
    h.Add(a.m_bContactRight);
    h.Add(a.m_bContactUp);
    h.Add(a.m_bContactDown);
    h.Add(a.m_nSerial);
    h.Add(a.m_nSp);
    h.Add(a.m_nInvincibleFrames);
    h.Add(static_cast<std::uint64_t>(a.m_listHitBy.size()));
    for (const HitByEntry& entry : a.m_listHitBy) h.Add(entry.nTicks);
    h.Add(a.m_dKnockVX);
    h.Add(a.m_dKnockVY);
    h.Add(a.m_bKnocked);
    h.Add(a.m_bRiding);
    h.Add(a.m_nRideSerial);
    // Where each flow stands: a flow that waits or runs another command than it should has
    // not moved anything yet.
    h.Add(static_cast<std::uint64_t>(a.m_vecFlow.size()));
    for (const FlowInstance& flow : a.m_vecFlow) {
        h.Add(flow.m_bRunning);
        h.Add(flow.m_bPaused);
        h.Add(flow.m_bHalted);
        h.Add(flow.m_nCurrent);
        h.Add(flow.m_nTickCount);
    }
}

// What the hero carries from the blocks it stood on.
void AddHeroBlockState(StateHash& h, const cHeroActor& hero) {
    h.Add(hero.m_nTouchKind);
    h.Add(hero.m_nTouchTicks);
    h.Add(hero.m_nItemBlockWait);
}

void AddProjectile(StateHash& h, const cProjectile& p) {
    h.Add(p.m_nSerial);
    h.Add(p.m_bIsShot);
    h.Add(p.m_dX);
    h.Add(p.m_dY);
    h.Add(p.m_dVX);
    h.Add(p.m_dVY);
    h.Add(p.m_dOwnVX);
    h.Add(p.m_dOwnVY);
    h.Add(p.m_dMoveVX);
    h.Add(p.m_dMoveVY);
    h.Add(p.m_nRangeTicks);
    h.Add(p.m_nLifeTicks);
    h.Add(p.m_nTick);
    h.Add(p.m_nSwordFrame);
    h.Add(p.m_nHomingStart);
    h.Add(p.m_nHomingEnd);
    h.Add(p.m_bHomingDone);
    h.Add(p.m_dWavePhase);
    h.Add(p.m_bFlying);
    h.Add(p.m_bFacingRight);
    h.Add(static_cast<std::int32_t>(p.m_pTarget ? p.m_pTarget->m_nSerial : -1));
}

// The log's file, kept open between frames; a different path (another run in the same
// process) opens that one instead.
struct LogFile {
    std::FILE* file = nullptr;
    std::string path;
};
LogFile g_log;

std::FILE* OpenLog(const std::string& path) {
    if (g_log.path == path) return g_log.file;
    if (g_log.file) std::fclose(g_log.file);
    g_log = LogFile{};
    g_log.path = path;
    g_log.file = std::fopen(path.c_str(), "ab");
    // Said once: the run goes on, and the test that asked for the log finds it missing.
    if (!g_log.file)
        std::fprintf(stderr, "kestrune4: K4_STATE_LOG: cannot open %s\n", path.c_str());
    return g_log.file;
}

}  // namespace

std::uint64_t HashPlayState(cGameScene& scene) {
    StateHash h;
    // Each list starts with its length, so that where one list ends is part of the hash.
    h.Add(static_cast<std::uint64_t>(Player.Size()));
    for (cHeroActor& hero : Player) {
        AddActor(h, hero);
        AddHeroBlockState(h, hero);
    }
    h.Add(static_cast<std::uint64_t>(CharaList.Size()));
    for (const cCharaActor& chara : CharaList) AddActor(h, chara);
    h.Add(static_cast<std::uint64_t>(ItemList.Size()));
    for (const cItemObject& item : ItemList) {
        h.Add(item.m_dX);
        h.Add(item.m_dY);
    }
    h.Add(scene.m_ScrollX.m_dPos);
    h.Add(scene.m_ScrollY.m_dPos);
    h.Add(scene.m_nTime);
    h.Add(scene.m_nTickTotal);
    h.Add(Progress.m_nScore);
    h.Add(Progress.m_nStageScore);
    h.Add(static_cast<std::uint64_t>(Progress.m_vecSwitch.size()));
    for (const std::int32_t value : Progress.m_vecSwitch) h.Add(value);
    // The variables code texts, status commands and arranges work with: a change that shows
    // nowhere else yet (a count, a flag for later) still shows here.
    h.Add(static_cast<std::uint64_t>(Progress.m_vecVariable.size()));
    for (const std::int32_t value : Progress.m_vecVariable) h.Add(value);
    h.Add(static_cast<std::uint64_t>(scene.m_vecStageVar.size()));
    for (const std::int32_t value : scene.m_vecStageVar) h.Add(value);
    h.Add(static_cast<std::uint64_t>(scene.m_listEffect.size()));
    // The projectiles, only while there are any: the runs of stages without shots keep
    // their hashes.
    if (!scene.m_listProjectile.Empty()) {
        h.Add(static_cast<std::uint64_t>(scene.m_listProjectile.Size()));
        for (const cProjectile& shot : scene.m_listProjectile) AddProjectile(h, shot);
    }
    // The message windows and the last wait, only once there were any: the runs of stages
    // that never show one keep their hashes.
    if (!scene.m_listMessage.empty()) {
        h.Add(static_cast<std::uint64_t>(scene.m_listMessage.size()));
        for (const MessageWindow& window : scene.m_listMessage) AddMessage(h, window);
    }
    const WaitControl& wait = scene.m_WaitControl;
    if (wait.m_nKind != 0 || wait.m_nGuard != 0 || wait.m_bWaitButton != 0 || wait.m_nFrames != 0 ||
        wait.m_bDone != 0) {
        h.Add(wait.m_nKind);
        h.Add(wait.m_nGuard);
        h.Add(wait.m_bWaitButton);
        h.Add(wait.m_nFrames);
        h.Add(wait.m_bDone);
    }
    h.Add(plat::RandState());
    return h.Value();
}

std::string FormatStateLine(std::uint32_t frame, cGameScene& scene) {
    cHeroActor& hero = Player[0];
    // The first characters' positions, "-" while there is none.
    std::string positions;
    int shown = 0;
    for (const cCharaActor& chara : CharaList) {
        if (shown == kStateLogCharas) break;
        char pos[64];
        std::snprintf(pos, sizeof pos, "%s%.17g,%.17g", shown == 0 ? "" : ";", chara.m_dX,
                      chara.m_dY);
        positions += pos;
        ++shown;
    }
    if (positions.empty()) positions.push_back('-');
    char line[768];
    std::snprintf(line, sizeof line,
                  "frame=%u scene=%d state=%d x=%.17g y=%.17g vx=%.17g vy=%.17g dying=%d "
                  "falling=%d airborne=%d contacts=%d%d%d%d charas=%zu lives=%d hp=%d "
                  "score=%d stagescore=%d items=%zu cpos=%s hash=%016llx",
                  frame, scene.m_nFrame, scene.m_nState, hero.m_dX, hero.m_dY, hero.m_dVX,
                  hero.m_dVY, hero.m_bDying, hero.m_bFalling, hero.m_bAirborne,
                  hero.m_bContactLeft != 0, hero.m_bContactRight != 0, hero.m_bContactUp != 0,
                  hero.m_bContactDown != 0, CharaList.Size(), Progress.m_nLives, hero.m_nHp,
                  Progress.m_nScore, Progress.m_nStageScore, ItemList.Size(), positions.c_str(),
                  static_cast<unsigned long long>(HashPlayState(scene)));
    return line;
}

void WriteStateLine(const std::string& path, cGameScene& scene) {
    if (Player.Empty()) return;
    std::FILE* file = OpenLog(path);
    if (!file) return;
    // The frame is presented after the scene has run: it is the next one counted.
    const std::string line = FormatStateLine(plat::FrameCount() + 1, scene);
    std::fputs(line.c_str(), file);
    std::fputc('\n', file);
    std::fflush(file);
}
