// The run-time state of the flows of one actor: one FlowInstance per flow definition of the
// actor's own character record, one cCommandInstance per command of that flow, the cues that
// start a command's lead-in animation, and the animation entries that an actor plays on top
// of its base animation.
//
// An instance points into the actor's own copy of its definitions; whenever that list or the
// instance list changes, the actor re-points every instance (cActorBase::RelinkFlows).
#pragma once

#include <cstdint>

#include "base/checked_list.h"
#include "base/checked_vector.h"
#include "data/flow_records.h"
#include "gfx/anim_pattern.h"

class cActorBase;
class FlowInstance;

// Trigger kinds that the runtime itself treats apart: the flows raised every tick, those
// that run when their actor dies, and those that run to the end at once when the stage is
// set up.
inline constexpr int kTriggerAlways = 0;
inline constexpr std::uint8_t kTriggerDeath = 3;
// The events of a hit: damage taken, an impact taken, a body contact with an actor of
// another group, a shot or sword over the actor, an item under the hero.
inline constexpr int kTriggerDamage = 1;
inline constexpr int kTriggerImpact = 2;
inline constexpr int kTriggerCharaHit = 4;
inline constexpr int kTriggerShotHit = 7;
inline constexpr int kTriggerItemHit = 8;
inline constexpr int kTriggerBeforeStart = 18;

// A goal point remembered by the homing move.
struct GoalPoint {
    double x = 0;
    double y = 0;
    friend bool operator==(const GoalPoint&, const GoalPoint&) = default;
};

class cCommandInstance {
public:
    // Prepares the command for its first tick in a run of `flow` on `actor`: the full
    // duration, the per-run counters cleared. The arranges waiting in the flow change this
    // command and are used up, unless it is an arrange itself (flow/flow_runtime.cpp).
    void Reset(cActorBase& actor, FlowInstance* flow);
    // One tick of the command on the actor; 1 when it finished in this tick. A duration of
    // 0 or less runs the handler once.
    int Step(cActorBase& actor);

    cEdCommand* m_pCmd = nullptr;
    std::int32_t m_bDone = 0;
    // Ticks: (time base + clone value × time increase) × b × 6, set at installation.
    std::int32_t m_nDuration = 0;
    // Ticks left; 0 = not started in the current run.
    std::int32_t m_nRemaining = 0;
    std::int8_t m_nMoveChoice = 0;
    std::int32_t m_nOffsetX = 0;  // target offset in dots
    std::int32_t m_nOffsetY = 0;
    double m_dSpeed = 0;         // dots per tick
    std::int32_t m_nAngle = 0;   // degrees
    std::int32_t m_nRadius = 0;  // circle: radius × b; homing: delay × b
    std::int32_t m_nStartAngle = 0;
    std::int32_t m_nEndAngle = 0;
    CheckedList<GoalPoint> m_listGoal;
    double m_dVX = 0;  // velocity worked out by a movement command
    double m_dVY = 0;
    std::int32_t m_nFacing = 0;  // 0 none, 1 left, 2 right
    std::int32_t m_nTickCounter = 0;
    std::int32_t m_bFirstTickDone = 0;
    double m_dPhaseX = 0;
    double m_dPhaseY = 0;
    double m_dMaxSpeed = 0;
    std::int32_t m_nPrevFacing = 0;
};

// A lead-in animation that fires when the flow's tick count reaches nStartTick.
struct FlowCue {
    std::int32_t nStartTick = 0;
    std::int16_t nAnime = 0;  // index into the run-time animation patterns
    std::int16_t nSkip = 0;   // steps already past when it fires
    std::int16_t nLength = 0;
    std::int16_t nHold = 0;      // the command's base time × 6
    std::int32_t bHoldFlag = 0;  // 0 for jump and sword commands, else 1
    friend bool operator==(const FlowCue&, const FlowCue&) = default;
};

class FlowInstance {
public:
    // The flow of `actor` starts from its first command (flow/flow_runtime.cpp). A halted
    // flow never starts again. A flow raised before the stage starts runs to its end here
    // and is left stopped; the command context of the scene is as it was afterwards, and the
    // flow changes items queued on the hero in the run follow when no pass of it is left
    // (the instance may then be gone).
    void Start(cActorBase& actor);
    // Stops a running flow: remaining times and waiting arranges go, its group is freed. 0
    // when it was not running.
    int Stop(cActorBase& actor);
    // One tick of the running flow; 1 when its last command finished.
    int Update(cActorBase& actor);
    void Pause() { m_bPaused = 1; }
    void Resume() { m_bPaused = 0; }
    // Permanent stop: never advanced nor started again; a running flow keeps its running
    // flag but lets go of its commands' times and its group.
    void Halt(cActorBase& actor);

    std::int32_t m_nIndex = 0;
    std::int32_t m_nKey = 0;
    cEdFlow* m_pFlow = nullptr;
    std::uint8_t m_bCondLatch = 0;
    CheckedVector<cEdKeyCondition*> m_vecKeyCond;
    std::int32_t m_bKeyEdgeLatch = 0;
    CheckedVector<cCommandInstance> m_vecCmd;
    CheckedVector<FlowCue> m_vecCue;
    std::int32_t m_bRunning = 0;
    std::int32_t m_bPaused = 0;
    std::int32_t m_bHalted = 0;
    std::int32_t m_bDeleteRequest = 0;
    std::int32_t m_nCurrent = 0;
    std::int32_t m_nTickCount = 0;
    std::int32_t m_nInputDir = 0;
    std::int32_t m_bTestedThisFrame = 0;
    std::int32_t m_bStartedThisFrame = 0;
    std::int32_t m_bMessageWait = 0;
    std::int32_t m_bAbort = 0;
    CheckedList<CheckedVector<std::int32_t>> m_listPendingArrange;
    // Set while a stage-start flow runs its commands at once: a command of it that starts
    // the flow again (itself, or through another such flow) must not run them again.
    std::int32_t m_bRunningAtOnce = 0;

private:
    // The commands of a stage-start flow run in one step, then the flow stops.
    void RunAtOnce(cActorBase& actor);
};

// An animation played over the actor's base animation, tagged with the key of its flow.
struct AnimeEntry {
    cAnimPattern m_Pattern;
    std::int32_t m_bLimited = 0;  // 1 started by a cue, 0 by the animation command
    std::int32_t m_nLength = 0;
    std::int32_t m_nHold = 0;
    std::int32_t m_nFlowKey = 0;
    std::int32_t m_bPaused = 0;
};
