#include "flow/key_conditions.h"

#include <algorithm>

#include "base/input.h"
#include "data/system_record.h"
#include "flow/flow_instance.h"
#include "stage/actor.h"
#include "stage/stage_objects.h"

namespace {

// A mirrored condition written for a right-facing actor: left and right trade places, up,
// down and the two catch-all channels stay.
constexpr int kMirroredDirection[kKeyDirChannelCount] = {
    kKeyNoDirection, kKeyRight,     kKeyLeft,   kKeyUp,       kKeyDown,
    kKeyUpRight,     kKeyDownRight, kKeyUpLeft, kKeyDownLeft, kKeyAnyDirection,
};

bool Combined(int combine, int matches, int failures) {
    switch (combine) {
        case kKeyCombineAll:
            return failures == 0;
        case kKeyCombineAny:
            return matches >= 1;
        case kKeyCombineOne:
            return matches == 1;
        default:
            return true;
    }
}

// The runs the point may visit in a channel.
int SearchedRuns(const KeyEventLog& log) {
    return std::min(static_cast<int>(log.Size()), kKeyRunsSearched);
}

// A missing condition (a flow re-pointed at a shorter definition) never matches.
bool StepMatches(const cActorBase& actor, const cEdKeyCondition* cond, const cInput& input,
                 const KeyHistoryPos& at, std::int32_t& length) {
    length = 0;
    return cond && MatchKeyStep(actor, *cond, input, at, length);
}

}  // namespace

const KeyEventLog& KeyChannelLog(const cInput& input, int channel) {
    if (channel < kKeyDirChannelCount) return input.DirLog[channel];
    return input.ButtonLog[channel - kKeyDirChannelCount];
}

KeyHistoryPos CurrentKeyHistoryPos(const cInput& input) {
    KeyHistoryPos at;
    for (int ch = 0; ch < kKeyChannelCount; ++ch) {
        const KeyEventLog& log = KeyChannelLog(input, ch);
        at.pos[ch] = 0;
        at.cnt[ch] = log.empty() ? 0 : log[0].frames;
    }
    return at;
}

const cInput* PlayerOneInput() {
    // Player 1's hero reads its player's input; before a stage has made it, the input state
    // itself is read.
    if (const cHeroActor* hero = FirstHero(); hero && hero->m_pInput) return hero->m_pInput;
    if (!InputList.empty()) return &InputList[0];
    return nullptr;
}

bool CheckKeyConditions(cActorBase& actor, FlowInstance& flow) {
    if (flow.m_vecKeyCond.empty()) return true;
    const cEdFlow* def = flow.m_pFlow;
    if (!def) return false;

    const bool matched = MatchKeySequence(actor, flow.m_vecKeyCond, def->nKeySlack);
    if (def->bKeyLevel) return matched;

    if (!matched) {
        flow.m_bKeyEdgeLatch = 0;
        return false;
    }
    if (!flow.m_bKeyEdgeLatch) {
        flow.m_bKeyEdgeLatch = 1;
        return true;
    }
    // Still held since it started. An always-running flow of a group would otherwise leave
    // the group free for its neighbours at every tick the player keeps the keys down; the
    // group is marked busy for the rest of the tick and freed at the end of the flow pass.
    if (def->nTrigger == 0 && def->nGroup != 0) {
        actor.m_vecGroupBusy[def->nGroup] = 1;
        actor.m_vecGroupFreed[def->nGroup] = 1;
        actor.m_bGroupFreed = 1;
    }
    return false;
}

bool MatchKeySequence(const cActorBase& actor, const CheckedVector<cEdKeyCondition*>& conds,
                      int slack) {
    const int n = static_cast<int>(conds.Size());
    if (n == 0) return false;
    const cInput* input = PlayerOneInput();
    if (!input) return false;
    // A negative slack from a damaged file would move the trial forward; it means none.
    slack = std::max(slack, 0);

    KeyHistoryPos at = CurrentKeyHistoryPos(*input);
    std::int32_t length = 0;
    // The sequence must end now.
    if (!StepMatches(actor, conds[n - 1], *input, at, length)) return false;

    for (int i = n - 2; i >= 0; --i) {
        // To the last frame before the later condition's run began.
        ShiftKeyHistory(at, *input, -length);
        if (StepMatches(actor, conds[i], *input, at, length)) continue;
        if (slack == 0) return false;

        bool found = false;
        for (int t = 0; t < slack && !found; ++t) {
            ShiftKeyHistory(at, *input, -1);
            found = StepMatches(actor, conds[i], *input, at, length);
        }
        if (found) continue;

        // The earlier keys may have gone down in the same frame as the later ones: the
        // first frame of the later run is tried.
        ShiftKeyHistory(at, *input, slack);
        ShiftKeyHistory(at, *input, 1);
        if (!StepMatches(actor, conds[i], *input, at, length)) return false;
        // Unless the project keeps the loose join, such a frame counts for the earlier
        // condition only when it does not already belong to the later one.
        if (!EdSystem.bCompat669) {
            std::int32_t laterLength = 0;
            if (StepMatches(actor, conds[i + 1], *input, at, laterLength)) return false;
        }
    }
    return true;
}

bool MatchKeyStep(const cActorBase& actor, const cEdKeyCondition& cond, const cInput& input,
                  const KeyHistoryPos& at, std::int32_t& length) {
    length = 0;
    // A condition written for an actor facing right means the same motion turned round.
    const bool mirrored = cond.bMirror == 1 && !actor.m_bFacingRight;
    int matches = 0;
    int failures = 0;
    for (int ch = 0; ch < kKeyChannelCount; ++ch) {
        const int state = cond.vecKeyState[ch];
        if (state == kKeyUntested) continue;
        const int tested = mirrored && ch < kKeyDirChannelCount ? kMirroredDirection[ch] : ch;
        const std::int32_t runLength = at.cnt[tested];
        if (!TestKeyHistoryEntry(KeyChannelLog(input, tested)[at.pos[tested]], runLength, cond,
                                 state)) {
            ++failures;
            continue;
        }
        ++matches;
        switch (cond.nCombine) {
            case kKeyCombineAll:
                // The step lasted as long as all its keys together; 0 means none yet.
                if (length == 0 || runLength < length) length = runLength;
                break;
            case kKeyCombineAny:
                length = std::max(length, runLength);
                break;
            case kKeyCombineOne:
                length = runLength;
                break;
            default:
                break;
        }
    }
    return Combined(cond.nCombine, matches, failures);
}

bool TestKeyHistoryEntry(const KEYEVENT& run, std::int32_t length, const cEdKeyCondition& cond,
                         int state) {
    switch (state) {
        case kKeyHeld:
            if (!run.active) return false;
            if (cond.bAnyLength) return length >= 1;
            return cond.nMinFrames <= length && length <= cond.nMaxFrames;
        case kKeyReleased:
            return !run.active && length >= 1;
        default:
            return false;
    }
}

void ShiftKeyHistory(KeyHistoryPos& at, const cInput& input, int n) {
    for (int ch = 0; ch < kKeyChannelCount; ++ch) {
        const KeyEventLog& log = KeyChannelLog(input, ch);
        const int runs = SearchedRuns(log);
        if (runs == 0) continue;
        int& pos = at.pos[ch];
        // Wide enough for a run that has lasted as long as a count can hold.
        long long cnt = at.cnt[ch];
        if (n <= 0) {
            cnt += n;
            while (cnt < 0) {
                if (++pos >= runs) {
                    pos = runs - 1;
                    break;
                }
                cnt += log[pos].frames;
            }
            // Before the first frame of a run is the last frame of the run before it.
            if (cnt == 0 && pos + 1 < runs) {
                ++pos;
                cnt = log[pos].frames;
            }
        } else {
            cnt += n;
            while (cnt > log[pos].frames) {
                cnt -= log[pos].frames;
                // Past the present the point stays in the current run with what is left.
                if (--pos < 0) {
                    pos = 0;
                    break;
                }
            }
        }
        at.cnt[ch] = static_cast<std::int32_t>(cnt);
    }
}

bool TestKeyCondition(const cActorBase&, const cInput* input, const cEdKeyCondition* cond) {
    if (!input || !cond) return false;
    int matches = 0;
    int failures = 0;
    for (int ch = 0; ch < kKeyChannelCount; ++ch) {
        const int state = cond->vecKeyState[ch];
        if (state == kKeyUntested) continue;
        const bool pressed = KeyChannelLog(*input, ch)[0].active != 0;
        const bool holds = (state == kKeyHeld && pressed) || (state == kKeyReleased && !pressed);
        if (!holds) {
            ++failures;
            continue;
        }
        ++matches;
        if (cond->nCombine == kKeyCombineAny) break;
    }
    return Combined(cond->nCombine, matches, failures);
}

int GetInputDirection(const cInput& input) {
    for (int ch = kKeyNoDirection; ch <= kKeyAnyDirection; ++ch)
        if (input.DirLog[ch][0].active) return ch;
    return kKeyNoDirection;
}
