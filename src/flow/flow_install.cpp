#include "flow/flow_install.h"

#include <algorithm>
#include <cstddef>
#include <cstdint>
#include <vector>

#include "base/log.h"
#include "data/anime_records.h"
#include "data/database.h"
#include "data/stage_record.h"
#include "flow/flow_instance.h"
#include "flow/move_setup_table.h"
#include "stage/actor.h"
#include "stage/actor_geometry.h"
#include "stage/post_load_tables.h"

namespace {

constexpr int kLoopType = 39;  // the flow type of both loop commands
constexpr int kJumpType = 10;
constexpr int kSwordType = 12;

// The value a 16-bit int holds after the sum: data from a damaged file may not fit, and
// the sum then wraps instead of being undefined.
std::int16_t Wrap16(std::int64_t v) {
    return static_cast<std::int16_t>(static_cast<std::uint16_t>(static_cast<std::uint64_t>(v)));
}

// Repeat count and block length of a loop. A loop with fewer than two parameters goes
// through the checked access: the error is logged, the program asked to close, and the
// stand-by element stands in.
void LoopParams(cEdCommand& loop, std::int64_t& repeat, std::int64_t& following) {
    repeat = loop.vecParam[0];
    following = loop.vecParam[1];
}

FirstHeroLookup s_firstHero = nullptr;

// The lead time of an animation in frames: its frame times up to (not including) the
// first key frame, × 6.
std::int32_t LeadFrames(int anime) {
    const cEdAnime& record = EdDatabase.vecAnime[anime];
    std::int32_t tenths = 0;
    for (const cEdAnimeFrame& frame : record.vecFrame) {
        if (frame.bKeyFrame) break;
        tenths = Wrap32(std::int64_t{tenths} + frame.nTime);
    }
    return Wrap32(std::int64_t{tenths} * 6);
}

// The cues of a freshly installed instance: each command with a lead-in animation gets one
// that makes the animation end when the command starts. When the commands before it are too
// short, the animation starts with the flow, its first part skipped.
void BuildCues(FlowInstance& inst, std::int32_t b) {
    inst.m_vecCue.Clear();
    std::int32_t start = 0;  // the tick at which the current command starts
    const int count = static_cast<int>(inst.m_vecCmd.Size());
    for (int v = 0; v < count; ++v) {
        const cCommandInstance& ci = inst.m_vecCmd[v];
        const cEdCommand* cmd = ci.m_pCmd;
        if (!cmd) continue;
        if (cmd->nAnime != 0) {
            const std::int32_t lead = LeadFrames(cmd->nAnime);
            const std::int32_t leadTicks = Wrap32(std::int64_t{b} * lead);
            const int type = cmd->FlowType();
            FlowCue cue;
            cue.nAnime = cmd->nAnime;
            cue.nHold = Wrap16(std::int64_t{cmd->nTime} * 6);
            cue.bHoldFlag = (type == kSwordType || type == kJumpType) ? 0 : 1;
            std::int32_t rest = leadTicks;
            // Tested before the first command is passed as well: a lead time of 0 or less
            // needs no time before the command, so the animation starts with the command
            // even when it is the first one, or when damaged durations before it are
            // negative and would otherwise push the leftover lead time above 0 again. For a
            // positive lead time this is the same as testing after each subtraction only.
            bool placed = rest <= 0;
            for (int u = v - 1; u >= 0 && !placed; --u) {
                const cCommandInstance& before = inst.m_vecCmd[u];
                if (!before.m_pCmd || before.m_pCmd->bParallel != 1)
                    rest = Wrap32(std::int64_t{rest} - before.m_nDuration);
                placed = rest <= 0;
            }
            if (placed) {
                cue.nStartTick = Wrap32(std::int64_t{start} - leadTicks);
                cue.nSkip = 0;
                cue.nLength = Wrap16(lead);
            } else {
                // b is positive here: a lead time left over needs b × lead above 0.
                const std::int32_t skip = std::min<std::int32_t>(b > 0 ? rest / b : 0, lead);
                cue.nStartTick = 0;
                cue.nSkip = Wrap16(skip);
                cue.nLength = Wrap16(std::int64_t{lead} - skip);
            }
            inst.m_vecCue.push_back(cue);
        }
        if (cmd->bParallel != 1) start = Wrap32(std::int64_t{start} + ci.m_nDuration);
    }
}

// One command instance: its command, the resolved duration and move values, then the
// set-up of its type.
void InstallCommand(cCommandInstance& ci, cEdCommand& cmd, cActorBase& actor) {
    const GameSpeedConstants& speed = EdStageWork.speed;
    const int clone = actor.m_nCloneValue;
    ci.m_pCmd = &cmd;
    ci.m_nDuration = CommandDurationTicks(cmd, clone);
    if (const cEdMove* move = cmd.spMove.get()) {
        const std::int32_t tenths = Wrap32(std::int64_t{move->nSpeedInc} * clone + move->nSpeed);
        if (speed.RunsSubSteps()) {
            ci.m_dSpeed = tenths * 0.1 / speed.dSubSteps;
            if (move->bInertia) ci.m_dMaxSpeed = move->nMaxSpeed * 0.1 / speed.dSubSteps;
        }
        ci.m_nMoveChoice = move->nDirection;
    }
    if (MoveSetup setup = MoveSetupFor(cmd.FlowType())) setup(ci, actor);
}

int PlaceFlows(cActorBase& actor, const CheckedVector<cEdFlow>& flows, int insert, int position);

}  // namespace

bool IsLoopCommand(const cEdCommand& cmd) {
    return cmd.FlowType() == kLoopType;
}

std::int64_t UnrolledCount(std::int64_t count, std::int64_t at, std::int64_t repeat,
                           std::int64_t following) {
    if (at + following >= count) following = count - at - 1;
    std::int64_t result = count - 1;
    if (following > 0 && repeat > 1) result += (repeat - 1) * following;
    return result;
}

int UnrollFirstLoop(CheckedVector<cEdCommand>& commands) {
    const auto first = std::find_if(commands.begin(), commands.end(), IsLoopCommand);
    if (first == commands.end()) return 0;
    const std::int64_t n = static_cast<std::int64_t>(commands.size());
    const std::int64_t j = first - commands.begin();
    std::int64_t r = 0;
    std::int64_t h = 0;
    LoopParams(*first, r, h);
    // Both counts come from the file: the product is formed only once they are known to
    // keep the list within its limit (a repeat of 2^31 − 1 over one command already would
    // not), so it cannot overflow.
    if (j + h >= n) h = n - j - 1;
    if (h > 0 && r > 1 && r - 1 > (kMaxFlowCommands - (n - 1)) / h) {
        ReportLog("loop of %lld x %lld commands too large to unroll", static_cast<long long>(r),
                  static_cast<long long>(h));
        return kUnrollFailed;
    }
    const std::int64_t total = UnrolledCount(n, j, r, h);

    CheckedVector<cEdCommand> result;
    result.reserve(static_cast<std::size_t>(total));
    result.insert(result.end(), commands.begin(), first);
    const auto blockBegin = first + 1;
    const auto blockEnd = h > 0 ? blockBegin + h : blockBegin;
    const std::int64_t runs = (h > 0 && r > 1) ? r : 1;
    for (std::int64_t k = 0; k < runs; ++k) result.insert(result.end(), blockBegin, blockEnd);
    result.insert(result.end(), blockEnd, commands.end());
    commands = std::move(result);
    return 1;
}

int UnrollAllLoops(CheckedVector<cEdCommand>& commands, std::int64_t workLimit,
                   const CommandWeight* room, CommandWeight* used) {
    // The result is weighed command by command as it is planned, so that a result beyond
    // the room fails before a single copy of a command is made.
    CommandWeight weight;
    std::vector<std::int64_t> bytesOf;
    auto fits = [&](std::size_t index) {
        if (!room) return true;
        std::int64_t& bytes = bytesOf[index];
        if (bytes < 0) bytes = InstalledCommandBytes(commands[index]);
        ++weight.nCommands;
        weight.nBytes += bytes;
        return weight.nCommands <= room->nCommands && weight.nBytes <= room->nBytes;
    };
    auto report = [&] {
        if (used) *used = weight;
    };
    if (room) bytesOf.assign(commands.size(), -1);

    const auto first = std::find_if(commands.begin(), commands.end(), IsLoopCommand);
    const std::size_t head = static_cast<std::size_t>(first - commands.begin());
    bool roomy = true;
    for (std::size_t i = 0; i < head && roomy; ++i) roomy = fits(i);
    if (!roomy) {
        ReportLog("flow commands beyond the stage's limit (%lld commands, %lld bytes)",
                  static_cast<long long>(weight.nCommands), static_cast<long long>(weight.nBytes));
        return kUnrollFailed;
    }
    if (first == commands.end()) {
        report();
        return 0;
    }
    const std::size_t count = commands.size();

    // Everything before the first loop is final. The rest becomes a stack whose top is the
    // next command: a plain command on top is final and goes to the result; a loop on top
    // repeats the block below it by pushing copies, without moving what lies behind the
    // block. Step by step this is what unrolling the first loop again and again does,
    // without shifting the tail of the list for every loop. The stack and the result hold
    // positions in the original list, not commands: a command may be large (parameters,
    // nested flows), and the list is only built once the whole result is known to fit.
    std::vector<std::uint32_t> pending;
    pending.reserve(count - head);
    for (std::size_t i = count; i > head; --i) pending.push_back(static_cast<std::uint32_t>(i - 1));
    std::vector<std::uint32_t> written;

    // Which commands are loops and each loop's counts, read once from the original: a loop
    // with too few parameters is then reported once, not for every copy of it.
    struct LoopCounts {
        std::int64_t repeat = 0;
        std::int64_t following = 0;
        bool read = false;
    };
    std::vector<LoopCounts> counts(count - head);
    std::vector<std::uint8_t> isLoop(count - head);
    for (std::size_t i = head; i < count; ++i)
        isLoop[i - head] = IsLoopCommand(commands[i]) ? 1 : 0;

    std::int64_t work = 0;
    bool failed = false;
    while (!pending.empty()) {
        const std::uint32_t top = pending.back();
        if (!isLoop[top - head]) {
            if (!fits(top)) {
                failed = true;
                break;
            }
            written.push_back(top);
            pending.pop_back();
            continue;
        }
        LoopCounts& loop = counts[top - head];
        if (!loop.read) {
            LoopParams(commands[top], loop.repeat, loop.following);
            loop.read = true;
        }
        const std::int64_t r = loop.repeat;
        std::int64_t h = loop.following;
        const std::int64_t m = static_cast<std::int64_t>(pending.size()) - 1;  // after it
        if (h > m) h = m;
        const std::int64_t held = static_cast<std::int64_t>(head + written.size()) + m;
        std::int64_t copies = 0;
        if (h > 0 && r > 1) {
            if (r - 1 > (kMaxFlowCommands - held) / h) {
                failed = true;
                break;
            }
            copies = (r - 1) * h;
        }
        if (++work + copies > workLimit) {
            failed = true;
            break;
        }
        work += copies;
        pending.pop_back();
        if (copies == 0) continue;
        // Grown geometrically: an exact reservation per loop would copy the whole stack
        // for every loop.
        const std::size_t needed = pending.size() + static_cast<std::size_t>(copies);
        if (pending.capacity() < needed) pending.reserve(std::max(needed, 2 * pending.capacity()));
        const std::size_t blockStart = pending.size() - static_cast<std::size_t>(h);
        for (std::int64_t k = 1; k < r; ++k) {
            for (std::size_t i = 0; i < static_cast<std::size_t>(h); ++i)
                pending.push_back(pending[blockStart + i]);
        }
    }
    if (failed) {
        ReportLog("flow commands too many to unroll (%zu written, %zu left)", head + written.size(),
                  pending.size());
        return kUnrollFailed;
    }

    // One copy per command of the result, each from its original.
    CheckedVector<cEdCommand> result;
    result.reserve(head + written.size());
    result.insert(result.end(), commands.begin(), first);
    for (const std::uint32_t index : written) result.push_back(commands[index]);
    commands = std::move(result);
    report();
    return 0;
}

std::int32_t CommandDurationTicks(const cEdCommand& cmd, int cloneValue) {
    const std::int64_t tenths = Wrap32(std::int64_t{cmd.nTimeInc} * cloneValue + cmd.nTime);
    const std::int64_t b = EdStageWork.speed.nSubSteps;
    return Wrap32(std::int64_t{Wrap32(tenths * b)} * 6);
}

int UnrollAndCharge(CheckedVector<cEdCommand>& commands, CommandCharge& charge) {
    const CommandWeight room = StageCommandRoom();
    CommandWeight used;
    if (UnrollAllLoops(commands, kMaxUnrollWork, &room, &used) != 0) return kUnrollFailed;
    // The room was measured just before: the charge cannot fail.
    charge.Take(used);
    return 0;
}

int InstallFlows(cActorBase& actor, CheckedVector<cEdFlow>& flows, int insert, int position) {
    // Weighed all together before any is charged: the flows of one call fit as a whole.
    // Flows that replace the actor's own have the room of those they replace as well.
    CommandWeight room = StageCommandRoom();
    if (!insert) {
        room.nCommands += actor.m_CommandCharge.Held().nCommands;
        room.nBytes += actor.m_CommandCharge.Held().nBytes;
    }
    CommandWeight total;
    for (cEdFlow& flow : flows) {
        CommandWeight used;
        if (UnrollAllLoops(flow.vecCommand, kMaxUnrollWork, &room, &used) != 0)
            return kInstallFailed;
        room.nCommands -= used.nCommands;
        room.nBytes -= used.nBytes;
        total.nCommands += used.nCommands;
        total.nBytes += used.nBytes;
    }
    if (!insert) actor.m_CommandCharge.Release();
    actor.m_CommandCharge.Take(total);
    if (insert && actor.InFlowPass()) {
        // The pass's end puts them in: no instance moves under a running flow.
        PendingFlowChange change;
        change.vecFlow = flows;
        change.nPosition = position;
        actor.m_listPendingFlowChange.push_back(std::move(change));
        return static_cast<int>(flows.Size());
    }
    return PlaceFlows(actor, flows, insert, position);
}

namespace {

// The unrolled and charged flows become definitions of the actor with instances beside them,
// replacing the actor's own or inserted at `position`.
int PlaceFlows(cActorBase& actor, const CheckedVector<cEdFlow>& flows, int insert, int position) {
    const int count = static_cast<int>(flows.Size());
    CheckedVector<cEdFlow>& defs = actor.m_Chara.vecFlow;

    int offset = 0;
    if (!insert) {
        // The instances point into the record copy, so a list of elsewhere becomes it.
        if (&flows != &defs) defs = flows;
        actor.m_vecFlow.Clear();
        actor.m_vecFlow.resize(static_cast<std::size_t>(count));
    } else {
        // Inserting the actor's own list into itself needs the list as it was.
        CheckedVector<cEdFlow> ownCopy;
        const CheckedVector<cEdFlow>* source = &flows;
        if (&flows == &defs) {
            ownCopy = flows;
            source = &ownCopy;
        }
        const bool inside = position >= 0 && static_cast<unsigned>(position) < defs.Size() &&
                            static_cast<unsigned>(position) <= actor.m_vecFlow.Size();
        if (inside) {
            offset = position;
            defs.insert(defs.begin() + offset, source->begin(), source->end());
            actor.m_vecFlow.insert(actor.m_vecFlow.begin() + offset,
                                   static_cast<std::size_t>(count), FlowInstance{});
        } else {
            offset = static_cast<int>(actor.m_vecFlow.Size());
            defs.insert(defs.end(), source->begin(), source->end());
            actor.m_vecFlow.resize(actor.m_vecFlow.size() + static_cast<std::size_t>(count));
        }
    }

    for (int i = 0; i < count; ++i) {
        const int index = offset + i;
        FlowInstance& inst = actor.m_vecFlow[index];
        cEdFlow& def = defs[index];
        inst.m_nIndex = index;
        inst.m_pFlow = &def;
        inst.m_nKey = actor.m_nNextFlowKey;
        actor.m_nNextFlowKey = Wrap32(std::int64_t{actor.m_nNextFlowKey} + 1);
        const int keys = static_cast<int>(def.vecKeyCondition.Size());
        inst.m_vecKeyCond.Clear();
        inst.m_vecKeyCond.reserve(static_cast<std::size_t>(keys));
        for (int k = 0; k < keys; ++k) inst.m_vecKeyCond.push_back(&def.vecKeyCondition[k]);
        const int cmds = static_cast<int>(def.vecCommand.Size());
        inst.m_vecCmd.Clear();
        inst.m_vecCmd.resize(static_cast<std::size_t>(cmds));
        for (int c = 0; c < cmds; ++c) InstallCommand(inst.m_vecCmd[c], def.vecCommand[c], actor);
        if (insert && def.bKeyLevel == 0) inst.m_bKeyEdgeLatch = 1;
    }
    if (insert) actor.RelinkFlows();

    const std::int32_t b = EdStageWork.speed.nSubSteps;
    for (int i = 0; i < count; ++i) BuildCues(actor.m_vecFlow[offset + i], b);
    return count;
}

}  // namespace

void AddFlow(cActorBase& actor, const FlowInstance& instance) {
    actor.m_vecFlow.push_back(instance);
    actor.RelinkFlows();
}

void ApplyPendingFlowChanges(cActorBase& actor) {
    if (actor.InFlowPass()) return;
    CheckedList<PendingFlowChange> changes = std::move(actor.m_listPendingFlowChange);
    actor.m_listPendingFlowChange.clear();
    for (PendingFlowChange& change : changes)
        PlaceFlows(actor, change.vecFlow, 1, change.nPosition);
}

void SetFirstHeroLookup(FirstHeroLookup lookup) {
    s_firstHero = lookup;
}

void ResetActor(cActorBase& actor, const cEdChara* record, double homeX, double homeY,
                int cloneValue) {
    actor.m_nCloneValue = static_cast<std::int16_t>(cloneValue);
    // The actor stays where it is, so those that still target it keep their target and
    // their place in its list; only entries of actors that target another one by now (or
    // of the actor itself, which retargets below) are dropped.
    auto& targetedBy = actor.m_vecTargetedBy;
    targetedBy.erase(std::remove_if(targetedBy.begin(), targetedBy.end(),
                                    [&actor](const cActorBase* other) {
                                        return !other || other == &actor ||
                                               other->m_pTarget != &actor;
                                    }),
                     targetedBy.end());
    actor.ReleaseHomingShots();

    cActorBase* hero = s_firstHero ? s_firstHero() : nullptr;
    // The former target would keep this actor in its list after it retargets.
    if (actor.m_pTarget && actor.m_pTarget != hero && actor.m_pTarget != &actor) {
        auto& list = actor.m_pTarget->m_vecTargetedBy;
        list.erase(std::remove(list.begin(), list.end(), &actor), list.end());
    }
    actor.m_pTarget = hero;
    if (hero) {
        auto& list = hero->m_vecTargetedBy;
        if (std::find(list.begin(), list.end(), &actor) == list.end()) list.push_back(&actor);
    }

    actor.m_nNextFlowKey = 0;
    for (auto* groups : {&actor.m_vecGroupBusy, &actor.m_vecGroupFreed, &actor.m_vecGroupStarted}) {
        groups->Clear();
        groups->resize(kFlowGroupSlots, 0);
    }
    actor.m_bGroupFreed = 0;
    actor.m_bFlowDeleted = 0;

    actor.m_dHomeX = homeX;
    actor.m_dHomeY = homeY;

    actor.m_dKnockVX = 0;
    actor.m_dKnockVY = 0;
    actor.m_bKnocked = 0;
    actor.m_dKnockVYApplied = 0;
    actor.m_bGravityOff = 0;
    actor.m_bFalling = 1;
    actor.m_bJumping = 0;
    actor.m_bAirborne = 0;
    actor.m_nJumpCount = 0;
    actor.m_bHitCeiling = 0;
    actor.m_nWallSide = -1;
    actor.m_bWallTurn = 0;
    actor.m_pStandBlock = nullptr;
    actor.m_nHoldFrames = 0;
    actor.m_bFixedScreenX = 0;
    actor.m_bFixedScreenY = 0;
    actor.m_nFixedScreenX = 0;
    actor.m_nFixedScreenY = 0;
    actor.m_bDying = 0;
    actor.m_nDeathFrames = 0;
    actor.m_bContactLeft = 0;
    actor.m_bContactRight = 0;
    actor.m_bContactUp = 0;
    actor.m_bContactDown = 0;
    actor.m_bLeftRide = 0;
    actor.m_bRiding = 0;
    actor.m_nHp = 0;
    actor.m_nSp = 0;
    actor.m_HpGauge = GaugeAnim{};
    actor.m_SpGauge = GaugeAnim{};

    actor.m_vecVar.Clear();
    actor.m_vecVar.resize(kCharaVarCount, 0);

    if (record) {
        if (record != &actor.m_Chara) actor.m_Chara = *record;
        actor.m_nHp = actor.m_Chara.nMaxHp;
        actor.m_nSp = actor.m_Chara.nMaxSp;
    }
    const cEdChara& chara = actor.m_Chara;
    actor.m_bScrollSync = chara.bScrollSync;
    actor.m_bVanish = 0;

    actor.m_nSight = chara.nSight * 16;
    actor.m_dStopDecel = SpeedFromHundredths(chara.nStopping);

    actor.m_CharaEffect = CharaEffectInstance{};
    if (chara.nCharaEffect1 != 0) {
        actor.m_CharaEffect.Start(chara.nCharaEffect1, chara.nCharaEffect1Mode,
                                  chara.nCharaEffect1Param);
    }

    actor.m_nInvincibleFrames = 0;
    actor.m_listHitBy.clear();
    SetAnimeSet(actor, actor.m_Chara.nAnimeSet, 1);
    actor.m_listAnime.clear();
}

void SetAnimeSet(cActorBase& actor, int index, int force) {
    if (!force && index == actor.m_Chara.nAnimeSet) return;
    actor.m_Chara.nAnimeSet = static_cast<std::int16_t>(index);
    cAnimPattern& pattern = actor.m_AnimPattern;
    pattern.m_vecSeq.Clear();
    // The record's field is 16 bits wide: a value with bit 15 set is a negative index.
    const cEdAnimeSet& set = EdDatabase.vecAnimeSet[actor.m_Chara.nAnimeSet];
    pattern.m_vecSeq.reserve(set.vecAnime.size());
    for (const cEdAnime& anime : set.vecAnime) {
        ANIMSEQ& seq = pattern.m_vecSeq.emplace_back();
        seq.reserve(anime.vecFrame.size() + 1);
        for (const cEdAnimeFrame& frame : anime.vecFrame)
            seq.push_back(ANIMSTEP{frame.nPattern, Wrap32(std::int64_t{frame.nTime} * 6), 1});
        seq.push_back(ANIMSTEP{ANIM_RESTART, 0, 1});
    }
    pattern.m_nSeq = 0;
    pattern.m_nStep = 0;
}
